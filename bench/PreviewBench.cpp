// SPDX-License-Identifier: GPL-3.0-or-later
// One tick of the lighting preview engine for every effect code, with multicolour off and on.

#include "model/PreviewEngine.h"

#include <benchmark/benchmark.h>

namespace {

void BM_PreviewTick(benchmark::State& state) {
    static const std::array<uint8_t, kKeyColourBankSize> userColours{};
    PreviewInput in;
    in.effect = static_cast<uint8_t>(state.range(0));
    in.multicolour = state.range(1) != 0;
    in.direction = kDirectionFirst;
    in.baseColour = PackColour(200, 100, 50);
    in.userColours = &userColours;
    PreviewEngine engine;
    for (int i = 0; i < 50; ++i) { // past the first tick's start and into a running wave
        engine.Tick(in);
    }
    for (auto _ : state) {
        engine.Tick(in);
        benchmark::DoNotOptimize(engine.Frame().data());
        benchmark::DoNotOptimize(engine.ChangedKeys().size());
    }
}

void EveryEffect(benchmark::internal::Benchmark* b) {
    b->ArgNames({"effect", "multicolour"});
    for (int effect : {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 20, 19}) {
        b->Args({effect, 0});
        b->Args({effect, 1});
    }
}
BENCHMARK(BM_PreviewTick)->Apply(EveryEffect)->Unit(benchmark::kMicrosecond);

} // namespace
