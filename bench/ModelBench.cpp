// SPDX-License-Identifier: GPL-3.0-or-later
// Profile file save and load of the largest store, the largest macro area, and a whole write
// of the configuration to the simulated keyboard.
#include "device/CHidDevice.h"
#include "device/DeviceState.h"
#include "device/Protocol.h"
#include "model/KeyboardTransfer.h"
#include "model/ProfileFile.h"
#include "platform/hid/HidBackend.h"
#include "platform/hid/sim/SimulatedKeyboard.h"

#include <benchmark/benchmark.h>
#include <cstdlib>
#include <filesystem>
#include <unistd.h>

namespace {

std::filesystem::path Scratch(const char* name) {
    const char* base = std::getenv("TMPDIR");
    return std::filesystem::path(base && *base ? base : "/tmp") /
           (std::string("kestrow-bench-") + name + "-" + std::to_string(::getpid()));
}

// 100 macros of 4000 steps with 249-character names, and a string for a few records.
void FillLargestStore() {
    ProfileStore& store = WorkingStore();
    std::lock_guard guard(store.lock);
    ClearWorkingStore();
    MakeDefaultStore({}, 0, DefaultStoreTarget::WorkingStore);
    store.macros.assign(kMaxMacros, MacroRecord{});
    for (int i = 0; i < kMaxMacros; ++i) {
        MacroRecord& m = store.macros[static_cast<size_t>(i)];
        m.id = static_cast<uint16_t>(i + 1);
        m.stepCount = kMaxMacroSteps;
        for (int s = 0; s < kMaxMacroSteps; ++s) {
            m.steps[static_cast<size_t>(s)] = {static_cast<uint32_t>(10 * (s % 4096)),
                                               static_cast<uint16_t>(s % 2 ? 0x01E : 0x02A),
                                               static_cast<uint16_t>(s % 2)};
        }
        SetMacroName(m, std::u16string(kMaxMacroNameChars, u'm'));
    }
    for (int r = 0; r < 16; ++r) {
        store.block->Record(0, r) = {AssignmentType::kProgram, 0, 0};
        store.strings.Set(r, u"/usr/bin/some-program --with-arguments");
    }
}

void BM_WriteProfileFile(benchmark::State& state) {
    FillLargestStore();
    const auto path = Scratch("write");
    for (auto _ : state) {
        benchmark::DoNotOptimize(WriteProfileFile(StoreLock::Take, path));
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                            static_cast<int64_t>(std::filesystem::file_size(path)));
    std::filesystem::remove(path);
}
BENCHMARK(BM_WriteProfileFile)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_LoadProfileFile(benchmark::State& state) {
    FillLargestStore();
    const auto path = Scratch("load");
    WriteProfileFile(StoreLock::Take, path);
    for (auto _ : state) {
        benchmark::DoNotOptimize(LoadProfileFile(path));
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                            static_cast<int64_t>(std::filesystem::file_size(path)));
    std::filesystem::remove(path);
}
BENCHMARK(BM_LoadProfileFile)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_EncodeLargestMacroArea(benchmark::State& state) {
    FillLargestStore();
    const std::vector<MacroRecord>& macros = WorkingStore().macros;
    const MacroAreaSize sizes = MacroAreaSizes(macros);
    std::vector<uint8_t> image(sizes.full);
    for (auto _ : state) {
        benchmark::DoNotOptimize(EncodeMacroArea(macros, image, image.size(), true));
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                            static_cast<int64_t>(image.size()));
    state.counters["area_bytes"] = static_cast<double>(image.size());
}
BENCHMARK(BM_EncodeLargestMacroArea)->Unit(benchmark::kMillisecond);

// The whole Apply of an import: macro area (filling the keyboard's capacity) and three tables.
void BM_WriteStoreToKeyboardAllProfiles(benchmark::State& state) {
    auto keyboard = std::make_shared<SimulatedKeyboard>(kSimModel5000);
    SetCurrentHidBackend(keyboard);
    DeviceState().Reset();
    ConfigDevice().Open(keyboard->ConfigurationPath(),
                        {.read = true, .write = true, .overlapped = true});
    DeviceState().KeyTableLength.store(kSimModel5000.keyTableLength);
    DeviceState().KeySlotCount.store(kSimModel5000.keySlotCount);
    DeviceState().DeviceOpen.store(1);
    KeyTableBytes factory{};
    CmdReadDefaultKeyTable(factory.data());
    DeviceState().SetDefaultKeyTable(factory);
    DeviceState().MacroCapacity.store(keyboard->MacroCapacity());
    {
        ProfileStore& store = WorkingStore();
        std::lock_guard guard(store.lock);
        ClearWorkingStore();
        MakeDefaultStore({}, 0, DefaultStoreTarget::WorkingStore);
        // Macros that fill the capacity with their names: 8 of 240 steps and 20-letter names.
        store.macros.assign(8, MacroRecord{});
        for (size_t i = 0; i < store.macros.size(); ++i) {
            store.macros[i].id = static_cast<uint16_t>(i + 1);
            store.macros[i].stepCount = 240;
            SetMacroName(store.macros[i], std::u16string(20, u'n'));
        }
        for (int p = 0; p < 3; ++p) {
            for (int r = 0; r < 256; r += 3) {
                store.block->Record(p, r) = {AssignmentType::kKey, 0, 0x01E};
            }
        }
    }
    for (auto _ : state) {
        keyboard->ClearFrameLog();
        std::lock_guard guard(WorkingStore().lock);
        benchmark::DoNotOptimize(WriteStoreToKeyboard(ProfilesToWrite::All, nullptr));
    }
    state.counters["frames"] = static_cast<double>(keyboard->RequestLog().size());
    ConfigDevice().Close();
    DeviceState().Reset();
}
BENCHMARK(BM_WriteStoreToKeyboardAllProfiles)->Unit(benchmark::kMillisecond);

} // namespace
