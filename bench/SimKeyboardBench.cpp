// SPDX-License-Identifier: GPL-3.0-or-later
// The simulated keyboard's own cost. Transaction: one request written and its reply read on
// the configuration interface, with and without a state file attached (the file adds one stat
// per frame). Apply: a session of eleven writes (macro area and one key table), which reaches
// the state file as one atomic save when the session ends.

#include "platform/hid/sim/SimulatedKeyboard.h"

#include <benchmark/benchmark.h>
#include <cstdlib>
#include <filesystem>
#include <unistd.h>

namespace {

using Frame = std::array<uint8_t, 64>;

Frame Request(uint8_t command, uint8_t length, uint16_t offset, uint8_t fill) {
    Frame frame{};
    frame[0] = 4;
    frame[3] = command;
    frame[4] = length;
    frame[5] = static_cast<uint8_t>(offset & 0xFF);
    frame[6] = static_cast<uint8_t>(offset >> 8);
    for (size_t i = 0; i < length; ++i) {
        frame[8 + i] = fill;
    }
    unsigned sum = 0;
    for (size_t i = 3; i < 64; ++i) {
        sum += frame[i];
    }
    frame[1] = static_cast<uint8_t>(sum);
    frame[2] = static_cast<uint8_t>(sum >> 8);
    return frame;
}

struct Link {
    explicit Link(bool withFile) {
        if (withFile) {
            file = std::filesystem::temp_directory_path() /
                   ("kestrow-sim-bench-" + std::to_string(::getpid()) + ".state");
            keyboard.AttachStateFile(file);
        }
        HidOpenFlags flags;
        flags.read = true;
        flags.write = true;
        HidOpenError error = HidOpenError::None;
        handle = keyboard.Open(keyboard.ConfigurationPath(), flags, error);
    }
    ~Link() {
        handle.reset();
        keyboard.DetachStateFile();
        if (!file.empty()) {
            std::filesystem::remove(file);
        }
    }
    bool Transact(const Frame& request) {
        Frame reply{};
        size_t moved = 0;
        return handle->Write(request.data(), request.size(), moved, 1000) ==
                   HidTransferResult::Ok &&
               handle->Read(reply.data(), reply.size(), moved, 300) == HidTransferResult::Ok;
    }

    SimulatedKeyboard keyboard;
    std::filesystem::path file;
    std::unique_ptr<HidInterface> handle;
};

void Transaction(benchmark::State& state) {
    Link link(state.range(0) != 0);
    const Frame request = Request(kSimCmdReadInfoBlock, 44, 0, 0);
    for (auto _ : state) {
        if (!link.Transact(request)) {
            state.SkipWithError("no reply");
            break;
        }
    }
}
BENCHMARK(Transaction)->ArgName("stateFile")->Arg(0)->Arg(1);

void Apply(benchmark::State& state) {
    Link link(state.range(0) != 0);
    uint8_t fill = 0;
    for (auto _ : state) {
        ++fill;
        link.Transact(Request(kSimCmdBeginSession, 0, 0, 0));
        link.Transact(Request(kSimCmdWriteMacroArea, 56, 0, fill));
        link.Transact(Request(kSimCmdWriteMacroArea, 44, 56, fill));
        for (uint16_t done = 0; done < 378; done += 56) {
            const auto piece = static_cast<uint8_t>(done + 56 <= 378 ? 56 : 378 - done);
            link.Transact(Request(kSimCmdWriteKeyTable, piece, done, fill));
        }
        link.Transact(Request(kSimCmdEndSession, 0, 0, 0));
    }
}
BENCHMARK(Apply)->ArgName("stateFile")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

} // namespace
