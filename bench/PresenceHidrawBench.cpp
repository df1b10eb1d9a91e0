// SPDX-License-Identifier: GPL-3.0-or-later
// How soon the presence thread notices a keyboard plugged in, on emulated hidraw nodes, with the
// udev monitor and with the periodic scan alone. Run through umockdev:
//     umockdev-wrapper build/bench/bench/bench_presence_hidraw
// Each of the 20 arrivals is timed from the moment the node is added (which sends its uevent)
// until the arrival is complete (factory key table and info block read, tray icon set). The
// keyboard is plugged in at another phase of the thread's wait each time, so the runs sample
// the whole scan period. Counters: worst_ms and median_ms.

#include "TrayTimingLink.h"
#include "device/DeviceState.h"
#include "device/Presence.h"
#include "platform/hid/HidrawBackend.h"
#include "support/EmulatedHid.h"
#include "support/HidTestDescriptors.h"

#include <algorithm>
#include <atomic>
#include <benchmark/benchmark.h>
#include <chrono>
#include <memory>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kArrivals = 20;
constexpr int kNode = 240;
constexpr const char* kKeyboardId = "0003:0C45:5004.0001";
// The step between the phases at which the keyboard is plugged in; 20 steps span the scan's
// 1000 ms.
constexpr int kPhaseStepMs = 53;

// Answers every request of the configuration interface with status 0.
class KeyboardPlayer {
public:
    explicit KeyboardPlayer(int deviceSide)
        : thread_([this, deviceSide] {
              uint8_t request[64];
              while (!stop_.load()) {
                  if (ReadExactly(deviceSide, request, sizeof request, 50)) {
                      request[7] = 0;
                      WriteAll(deviceSide, std::vector<uint8_t>(request, request + 64));
                  }
              }
          }) {}
    ~KeyboardPlayer() {
        stop_ = true;
        thread_.join();
    }

private:
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

void Arrival(benchmark::State& state, HidrawChangeWatch watch) {
    if (!EmulatedHid::Preloaded()) {
        state.SkipWithError("run through umockdev-wrapper");
        return;
    }
    std::vector<double> times;
    int run = 0;
    for (auto _ : state) {
        // A fresh testbed each time: an emulated node cannot be added again once unplugged.
        EmulatedHid hid;
        SetCurrentHidBackend(std::make_shared<HidrawBackend>(watch));
        DeviceState().Reset();
        TrayTimingLink link;
        QuietSink sink;
        DeviceThreads threads(link, sink);
        threads.Start();
        while (DeviceState().OpenNotified.load() == 0) { // the first pass found nothing
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(kPhaseStepMs * run++ % 1000));

        const Clock::time_point plugged = Clock::now();
        const int deviceSide = hid.Add(kKeyboardId, 0x0C45, 0x5004, kNode, kConfigDescriptor);
        if (deviceSide < 0) {
            state.SkipWithError("cannot add the emulated keyboard");
            return;
        }
        KeyboardPlayer player(deviceSide);
        const Clock::time_point arrived = link.WaitFor(kTrayIconPresent);
        const double seconds = std::chrono::duration<double>(arrived - plugged).count();
        times.push_back(seconds * 1000);
        state.SetIterationTime(seconds);
        threads.Stop();
    }
    std::sort(times.begin(), times.end());
    if (!times.empty()) {
        state.counters["worst_ms"] = times.back();
        state.counters["median_ms"] = (times[(times.size() - 1) / 2] + times[times.size() / 2]) / 2;
    }
    SetCurrentHidBackend(std::make_shared<HidrawBackend>(HidrawChangeWatch::ScanOnly));
    DeviceState().Reset();
}

void ArrivalWithMonitor(benchmark::State& state) {
    Arrival(state, HidrawChangeWatch::Udev);
}
void ArrivalByScan(benchmark::State& state) {
    Arrival(state, HidrawChangeWatch::ScanOnly);
}
BENCHMARK(ArrivalWithMonitor)
    ->UseManualTime()
    ->Iterations(kArrivals)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(ArrivalByScan)->UseManualTime()->Iterations(kArrivals)->Unit(benchmark::kMillisecond);

} // namespace
