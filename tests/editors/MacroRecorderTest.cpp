// SPDX-License-Identifier: GPL-3.0-or-later
// What a recording makes of key events, apart from any window.

#include "editors/MacroRecorder.h"
#include "model/KeyInputCodes.h"

#include <gtest/gtest.h>

namespace {

constexpr KeyCode kA = 0x01E;

RecordedStep Step(KeyCode key, uint16_t direction, uint32_t wait) {
    return {{0, key, direction}, wait};
}

TEST(MacroRecorder, TakesNothingUntilStartedAndAfterStop) {
    MacroRecorder recorder;
    EXPECT_TRUE(recorder.Take(kA, true, 100).empty());
    recorder.Start(100, true);
    EXPECT_EQ(recorder.Take(kA, true, 130).size(), 1U);
    recorder.Stop();
    EXPECT_TRUE(recorder.Take(kA, false, 160).empty());
}

TEST(MacroRecorder, MeasuredWaitsAreBoundedByTheLongestDelayAndNeverNegative) {
    MacroRecorder recorder;
    recorder.Start(1000, true);
    EXPECT_EQ(recorder.Take(kA, true, 1000 + 3'600'000),
              std::vector{Step(kA, MacroAction::kPress, kMaxHandDelayMs)});
    // A clock read on another thread may come a little behind.
    EXPECT_EQ(recorder.Take(kA, false, 900),
              std::vector{Step(kA, MacroAction::kRelease, 0)});
}

TEST(MacroRecorder, ARestartForgetsTheKeysHeldBefore) {
    MacroRecorder recorder;
    recorder.Start(0, false);
    recorder.Take(kA, true, 10);
    EXPECT_TRUE(recorder.Take(kA, true, 20).empty());
    recorder.Start(30, false);
    EXPECT_EQ(recorder.Take(kA, true, 40),
              std::vector{Step(kA, MacroAction::kPress, MacroRecorder::kFixedDelayMs)});
}

TEST(MacroRecorder, OnlyReleaseOnlyKeysGetASuppliedPress) {
    MacroRecorder recorder;
    recorder.Start(0, true);
    // A key held before the recording began gives its release alone.
    EXPECT_EQ(recorder.Take(kA, false, 10), std::vector{Step(kA, MacroAction::kRelease, 10)});
    EXPECT_EQ(recorder.Take(kPrintScreenKey, false, 30),
              (std::vector{Step(kPrintScreenKey, MacroAction::kPress,
                                MacroRecorder::kSuppliedPressDelayMs),
                           Step(kPrintScreenKey, MacroAction::kRelease, 20)}));
}

} // namespace
