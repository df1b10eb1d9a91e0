// SPDX-License-Identifier: GPL-3.0-or-later
// The command protocol and the presence thread on the simulated keyboard.
//   Transaction          one CmdTest (write, read, status) without reply delay
//   KeyTableWrite        CmdWriteKeyTable of a 512-byte table (ten transactions)
//   KeyTableWriteDelayed the same with every reply 1 ms late; real time, with the ratio to
//                        ten times the delay in the "vs_delay" counter
//   RemovalNoticed /     time from Unplug (Replug) to the main window hearing of it, per event
//   ArrivalNoticed
// Run: build/bench/bench/bench_protocol

#include "TrayTimingLink.h"
#include "device/CHidDevice.h"
#include "device/DeviceState.h"
#include "device/MainWindowLink.h"
#include "device/MessageSink.h"
#include "device/Presence.h"
#include "device/Protocol.h"
#include "platform/hid/sim/SimulatedKeyboard.h"

#include <benchmark/benchmark.h>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <sys/prctl.h>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

std::shared_ptr<SimulatedKeyboard> Connect(const SimKeyboardModel& model) {
    auto keyboard = std::make_shared<SimulatedKeyboard>(model);
    SetCurrentHidBackend(keyboard);
    DeviceState().Reset();
    ConfigDevice().Open(keyboard->ConfigurationPath(),
                        {.read = true, .write = true, .overlapped = true});
    DeviceState().KeyTableLength.store(model.keyTableLength);
    DeviceState().DeviceOpen.store(1);
    return keyboard;
}

void Disconnect() {
    ConfigDevice().Close();
    DeviceState().Reset();
}

void Transaction(benchmark::State& state) {
    auto keyboard = Connect(kSimModel5000);
    size_t frames = 0;
    for (auto _ : state) {
        if (CmdTest() != 1) {
            state.SkipWithError("CmdTest failed");
            break;
        }
        // Keep the frame log from growing through the whole run.
        if (++frames == 4096) {
            state.PauseTiming();
            keyboard->ClearFrameLog();
            frames = 0;
            state.ResumeTiming();
        }
    }
    Disconnect();
}
BENCHMARK(Transaction);

void KeyTableWrite(benchmark::State& state) {
    auto keyboard = Connect(kSimModel5000);
    std::vector<uint8_t> table(512);
    for (size_t i = 0; i < table.size(); ++i) {
        table[i] = static_cast<uint8_t>(i * 13);
    }
    size_t writes = 0;
    for (auto _ : state) {
        if (CmdWriteKeyTable(table.data(), 1) != 1) {
            state.SkipWithError("CmdWriteKeyTable failed");
            break;
        }
        if (++writes == 400) {
            state.PauseTiming();
            keyboard->ClearFrameLog();
            writes = 0;
            state.ResumeTiming();
        }
    }
    state.counters["transactions"] = 10;
    Disconnect();
}
BENCHMARK(KeyTableWrite);

// Ten bare 1 ms waits on a condition variable, as the keyboard's delayed replies wait: what the
// host itself adds to a delay (timer slack, wake-up latency under load).
double HostWaitMs() {
    std::mutex mutex;
    std::condition_variable never;
    std::unique_lock lock(mutex);
    const auto start = Clock::now();
    for (int i = 0; i < 10; ++i) {
        const auto until = Clock::now() + std::chrono::milliseconds(1);
        while (never.wait_until(lock, until) != std::cv_status::timeout) {
        }
    }
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

void KeyTableWriteDelayed(benchmark::State& state) {
    // The default 50 us timer slack of a waiting thread would be a quarter of what we measure.
    prctl(PR_SET_TIMERSLACK, 1UL, 0UL, 0UL, 0UL);
    auto keyboard = Connect(kSimModel5000);
    keyboard->DelayReplies(1);
    std::vector<uint8_t> table(512, 0x42);
    double total = 0;
    double host = 0;
    int64_t runs = 0;
    for (auto _ : state) {
        const auto start = Clock::now();
        if (CmdWriteKeyTable(table.data(), 0) != 1) {
            state.SkipWithError("CmdWriteKeyTable failed");
            break;
        }
        total += std::chrono::duration<double, std::milli>(Clock::now() - start).count();
        ++runs;
        state.PauseTiming();
        keyboard->ClearFrameLog();
        host += HostWaitMs();
        state.ResumeTiming();
    }
    if (runs > 0) {
        const double perWrite = total / static_cast<double>(runs);
        state.counters["vs_delay"] = perWrite / 10.0;
        state.counters["host_waits_ms"] = host / static_cast<double>(runs);
        state.counters["vs_host_waits"] = perWrite / (host / static_cast<double>(runs));
    }
    Disconnect();
}
BENCHMARK(KeyTableWriteDelayed)->UseRealTime()->Unit(benchmark::kMillisecond);

void PresenceNoticed(benchmark::State& state, bool arrival) {
    auto keyboard = std::make_shared<SimulatedKeyboard>(kSimModel5004);
    SetCurrentHidBackend(keyboard);
    DeviceState().Reset();
    TrayTimingLink link;
    QuietSink sink;
    DeviceThreads threads(link, sink);
    threads.Start();
    link.WaitFor(kTrayIconPresent);
    double worst = 0;
    int run = 0;
    for (auto _ : state) {
        // Each run at another phase of the thread's own sleep, so the runs sample its period.
        const auto phase = std::chrono::milliseconds(arrival ? 20 + 125 * run : 7 + 13 * run);
        ++run;
        Clock::time_point start;
        Clock::time_point noticed;
        if (arrival) {
            keyboard->Unplug();
            link.WaitFor(kTrayIconAbsent);
            std::this_thread::sleep_for(phase);
            start = Clock::now();
            keyboard->Replug();
            noticed = link.WaitFor(kTrayIconPresent);
        } else {
            std::this_thread::sleep_for(phase);
            start = Clock::now();
            keyboard->Unplug();
            noticed = link.WaitFor(kTrayIconAbsent);
            keyboard->Replug();
            link.WaitFor(kTrayIconPresent);
        }
        const double seconds = std::chrono::duration<double>(noticed - start).count();
        worst = std::max(worst, seconds * 1000);
        state.SetIterationTime(seconds);
    }
    state.counters["worst_ms"] = worst;
    threads.Stop();
    DeviceState().Reset();
}

void RemovalNoticed(benchmark::State& state) {
    PresenceNoticed(state, false);
}
void ArrivalNoticed(benchmark::State& state) {
    PresenceNoticed(state, true);
}
BENCHMARK(RemovalNoticed)->UseManualTime()->Iterations(20)->Unit(benchmark::kMillisecond);
BENCHMARK(ArrivalNoticed)->UseManualTime()->Iterations(8)->Unit(benchmark::kMillisecond);

} // namespace
