// SPDX-License-Identifier: GPL-3.0-or-later
// CHidDevice on the hidraw backend against emulated nodes. Run through umockdev:
//     umockdev-wrapper build/bench/bench/bench_hid_device
// CloseLatency: time from Close() in one thread to the return of a read waiting without limit
// in another. WriteThenRead: one 64-byte write plus the 64-byte reply, answered by a device
// thread; the CPU column is the calling thread's own CPU time.

#include "device/CHidDevice.h"
#include "support/EmulatedHid.h"
#include "support/HidTestDescriptors.h"

#include <atomic>
#include <benchmark/benchmark.h>
#include <chrono>
#include <memory>
#include <thread>

namespace {

constexpr const char* kConfigPath = "/dev/hidraw230?vid_0c45&pid_5004";
constexpr const char* kConsumerPath = "/dev/hidraw231?vid_0c45&pid_5004";

struct Bed {
    std::unique_ptr<EmulatedHid> hid;
    int config = -1;
    int consumer = -1;
};

// One testbed for the whole run, removed at exit; null without the preload library.
Bed* TheBed() {
    static const std::unique_ptr<Bed> bed = [] {
        std::unique_ptr<Bed> b;
        if (EmulatedHid::Preloaded()) {
            b = std::make_unique<Bed>();
            b->hid = std::make_unique<EmulatedHid>();
            b->config = b->hid->Add("0003:0C45:5004.0001", 0x0C45, 0x5004, 230, kConfigDescriptor);
            b->consumer =
                b->hid->Add("0003:0C45:5004.0002", 0x0C45, 0x5004, 231, kConsumerDescriptor);
        }
        return b;
    }();
    return bed.get();
}

void CloseLatency(benchmark::State& state) {
    if (TheBed() == nullptr) {
        state.SkipWithError("run through umockdev-wrapper");
        return;
    }
    CHidDevice device;
    for (auto _ : state) {
        if (!device.Open(kConsumerPath, {.read = true, .overlapped = true})) {
            state.SkipWithError("cannot open the emulated consumer interface");
            return;
        }
        std::atomic<int64_t> returned{0};
        std::thread listener([&] {
            device.ReadReport(device.InputReportBuffer(), device.InputReportBufferLength(), nullptr,
                              kHidNoTimeout);
            returned = std::chrono::steady_clock::now().time_since_epoch().count();
        });
        while (!device.ReadBusy()) {
            std::this_thread::yield();
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2)); // asleep in poll() by now
        const auto closing = std::chrono::steady_clock::now();
        device.Close();
        listener.join();
        const std::chrono::steady_clock::duration waited(returned.load() -
                                                         closing.time_since_epoch().count());
        state.SetIterationTime(std::chrono::duration<double>(waited).count());
    }
}
BENCHMARK(CloseLatency)->UseManualTime()->Unit(benchmark::kMicrosecond)->Iterations(300);

void WriteThenRead(benchmark::State& state) {
    Bed* bed = TheBed();
    if (bed == nullptr) {
        state.SkipWithError("run through umockdev-wrapper");
        return;
    }
    CHidDevice device;
    if (!device.Open(kConfigPath, {.read = true, .write = true, .overlapped = true})) {
        state.SkipWithError("cannot open the emulated configuration interface");
        return;
    }
    std::atomic<bool> stop{false};
    std::thread keyboard([&] {
        uint8_t request[64];
        while (!stop.load() && ReadExactly(bed->config, request, sizeof request, 200)) {
            request[7] = 0; // status: success
            WriteAll(bed->config, std::vector<uint8_t>(request, request + 64));
        }
    });
    std::vector<uint8_t> frame(64, 0);
    frame[0] = 4;
    frame[3] = 3;
    uint8_t reply[64];
    for (auto _ : state) {
        size_t moved = 0;
        if (device.WriteReport(frame.data(), frame.size(), &moved, 1000) == 0 ||
            device.ReadReport(reply, sizeof reply, &moved, 1000) == 0) {
            state.SkipWithError("transaction failed");
            break;
        }
        benchmark::DoNotOptimize(reply);
    }
    stop = true;
    keyboard.join();
}
BENCHMARK(WriteThenRead)->Unit(benchmark::kMicrosecond);

void DecodeConsumerNotice(benchmark::State& state) {
    if (TheBed() == nullptr) {
        state.SkipWithError("run through umockdev-wrapper");
        return;
    }
    CHidDevice device;
    if (!device.Open(kConsumerPath, {.read = true, .overlapped = true})) {
        state.SkipWithError("cannot open the emulated consumer interface");
        return;
    }
    const uint8_t notice[] = {0x03, 0x01, 0x04};
    for (auto _ : state) {
        CHidDevice::DecodeInputReport(notice, sizeof notice, HidReportType::Input,
                                      device.InputData(), device.InputDataCount(),
                                      device.PreparsedData());
        benchmark::DoNotOptimize(device.InputData()[0].ButtonData.Usages[0]);
    }
}
BENCHMARK(DecodeConsumerNotice);

} // namespace
