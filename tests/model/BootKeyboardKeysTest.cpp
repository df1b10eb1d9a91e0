// SPDX-License-Identifier: GPL-3.0-or-later
// The keys of boot keyboard reports, and one press from two sources taken once.

#include "model/BootKeyboardKeys.h"

#include <gtest/gtest.h>
#include <vector>

namespace {

constexpr uint16_t kUsageA = 0x04;
constexpr uint16_t kUsageApplications = 0x65;
constexpr uint16_t kUsageLeftGui = 0xE3;
constexpr uint16_t kUsageRightGui = 0xE7;
constexpr uint16_t kUsageRollOver = 0x01;

using Keys = std::vector<KeyTransition>;

Keys Update(BootKeyboardKeys& keys, std::vector<uint16_t> usages) {
    return keys.Update(usages);
}

TEST(BootKeyboardKeys, ReportsGivePressesAndReleasesOnce) {
    BootKeyboardKeys keys;
    EXPECT_EQ(Update(keys, {kUsageLeftGui, kUsageA}), (Keys{{0x01E, true}, {0x15B, true}}));
    // The same report again, a key sent twice in the array: nothing new.
    EXPECT_EQ(Update(keys, {kUsageA, kUsageLeftGui, kUsageA}), Keys{});
    EXPECT_EQ(Update(keys, {kUsageLeftGui, kUsageApplications}),
              (Keys{{0x01E, false}, {0x15D, true}}));
    EXPECT_EQ(Update(keys, {kUsageRightGui}),
              (Keys{{0x15D, false}, {0x15B, false}, {0x15C, true}}));
    EXPECT_EQ(Update(keys, {}), (Keys{{0x15C, false}}));
}

TEST(BootKeyboardKeys, ErrorReportsAndUnknownUsagesChangeNothing) {
    BootKeyboardKeys keys;
    Update(keys, {kUsageA});
    // Too many keys down: the report holds only the error usage; what was down stays down.
    EXPECT_EQ(Update(keys, {kUsageLeftGui, kUsageRollOver, kUsageRollOver}), Keys{});
    EXPECT_EQ(Update(keys, {kUsageA, 0xA5, 0x300}), Keys{});
    EXPECT_EQ(Update(keys, {}), (Keys{{0x01E, false}}));
    Update(keys, {kUsageA});
    keys.Reset();
    EXPECT_EQ(Update(keys, {kUsageA}), (Keys{{0x01E, true}}));
}

TEST(KeyPressMerger, APressBothSourcesReportCountsOnce) {
    KeyPressMerger merger;
    EXPECT_TRUE(merger.IsNewPress(KeySource::Window, 0x15B, 100));
    EXPECT_FALSE(merger.IsNewPress(KeySource::KeyboardInterface, 0x15B, 130));
    // The next press of the same key, from either source.
    EXPECT_TRUE(merger.IsNewPress(KeySource::KeyboardInterface, 0x15B, 135));
    EXPECT_FALSE(merger.IsNewPress(KeySource::Window, 0x15B, 140));
    // Too far apart: two presses.
    EXPECT_TRUE(merger.IsNewPress(KeySource::Window, 0x15B, 300));
    EXPECT_TRUE(merger.IsNewPress(KeySource::KeyboardInterface, 0x15B, 300 + kSamePressWindowMs));
}

TEST(KeyPressMerger, PressesOnlyOneSourceSeesAllCount) {
    KeyPressMerger merger;
    // A Win key of another keyboard reaches only the window; one the desktop keeps, only the
    // keyboard interface.
    EXPECT_TRUE(merger.IsNewPress(KeySource::Window, 0x15B, 0));
    EXPECT_TRUE(merger.IsNewPress(KeySource::Window, 0x15B, 10));
    EXPECT_TRUE(merger.IsNewPress(KeySource::KeyboardInterface, 0x15C, 20));
    EXPECT_TRUE(merger.IsNewPress(KeySource::KeyboardInterface, 0x15C, 30));
    // Other keys never match.
    EXPECT_TRUE(merger.IsNewPress(KeySource::KeyboardInterface, 0x15D, 31));
    merger.Reset();
    EXPECT_TRUE(merger.IsNewPress(KeySource::KeyboardInterface, 0x15B, 32));
}

} // namespace
