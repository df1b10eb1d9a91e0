// SPDX-License-Identifier: GPL-3.0-or-later
#include "model/Lighting.h"
#include "model/PreviewColourTables.h"
#include "model/PreviewLayout.h"
#include "model/UserColourFile.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <set>

namespace {

TEST(PreviewColourTables, HueWheelTellingEntries) {
    EXPECT_EQ(kHueWheel192[0], (PreviewRgb{255, 1, 0}));
    EXPECT_EQ(kHueWheel192[8], (PreviewRgb{255, 26, 0}));
    EXPECT_EQ(kHueWheel192[16], (PreviewRgb{255, 81, 0}));
    EXPECT_EQ(kHueWheel192[24], (PreviewRgb{255, 164, 0}));
    EXPECT_EQ(kHueWheel192[32], (PreviewRgb{248, 255, 0}));
    EXPECT_EQ(kHueWheel192[64], (PreviewRgb{0, 255, 1}));
    EXPECT_EQ(kHueWheel192[128], (PreviewRgb{1, 0, 255}));
}

// Each sixth ramps one channel along the curve of the first sixth's green: up in the even
// sixths, down (the curve read backwards) in the odd ones, the other channels full or off.
TEST(PreviewColourTables, HueWheelSixthsShareOneRisingCurve) {
    std::array<uint8_t, 32> curve{};
    for (size_t j = 0; j < curve.size(); ++j) {
        curve[j] = kHueWheel192[j].green;
    }
    EXPECT_EQ(curve.front(), 1);
    EXPECT_TRUE(std::is_sorted(curve.begin(), curve.end(), std::less_equal<>()))
        << "the curve rises strictly";
    for (size_t j = 0; j < curve.size(); ++j) {
        const uint8_t up = curve[j];
        const uint8_t down = curve[31 - j];
        const PreviewRgb expected[6] = {{255, up, 0},   {down, 255, 0}, {0, 255, up},
                                        {0, down, 255}, {up, 0, 255},   {255, 0, down}};
        for (size_t sixth = 0; sixth < 6; ++sixth) {
            EXPECT_EQ(kHueWheel192[32 * sixth + j], expected[sixth]) << "entry " << 32 * sixth + j;
        }
    }
}

TEST(PreviewColourTables, RandomHueWheelRepeatsTheWheel) {
    for (size_t i = 0; i < kHueWheel255.size(); ++i) {
        EXPECT_EQ(kHueWheel255[i], kHueWheel192[i % 192]) << i;
    }
}

// Rises from `low` to 255 at `peak`, reached there first, and falls back symmetrically to
// `low` in the last entry.
template <size_t N>
void ExpectPulse(const std::array<uint8_t, N>& pulse, uint8_t low, size_t peak) {
    EXPECT_EQ(pulse[0], low);
    EXPECT_EQ(pulse[peak], 255);
    EXPECT_LT(pulse[peak - 1], 255);
    EXPECT_TRUE(std::is_sorted(pulse.begin(), pulse.begin() + peak + 1));
    for (size_t k = 1; k <= peak; ++k) {
        EXPECT_EQ(pulse[peak + k], pulse[peak - k]) << "index " << peak + k;
    }
    EXPECT_EQ(pulse[N - 1], low);
    EXPECT_EQ(*std::min_element(pulse.begin(), pulse.end()), low);
}

TEST(PreviewColourTables, PulsesRiseAndFallSymmetrically) {
    ExpectPulse(kPulse96, 22, 47);
    ExpectPulse(kPulse128, 3, 63);
}

TEST(PreviewColourTables, FlashRisesToIndex16AndIsDarkFrom80) {
    EXPECT_EQ(kFlash128.size(), 129u);
    EXPECT_EQ(kFlash128[0], 0);
    EXPECT_EQ(kFlash128[16], 255);
    EXPECT_TRUE(std::is_sorted(kFlash128.begin(), kFlash128.begin() + 17, std::less_equal<>()));
    EXPECT_TRUE(std::is_sorted(kFlash128.begin() + 16, kFlash128.begin() + 81, std::greater<>()))
        << "it never rises again while decaying";
    EXPECT_GT(kFlash128[40], 0);
    EXPECT_TRUE(
        std::all_of(kFlash128.begin() + 80, kFlash128.end(), [](uint8_t v) { return v == 0; }));
}

TEST(PreviewColourTables, ScalingTruncatesEachChannel) {
    const uint32_t colour = PackColour(255, 128, 1);
    EXPECT_EQ(ScaleColour(colour, 128), PackColour(128, 64, 0));
    EXPECT_EQ(ScaleColour(colour, 255), colour);
    EXPECT_EQ(ScaleColour(colour, 0), 0u);
    EXPECT_EQ(ScaleColour(PackColour(10, 200, 254), 100), PackColour(3, 78, 99));
}

int CellCount(const PreviewLayout& layout, int key) {
    int count = 0;
    for (const auto& column : layout.grid) {
        count += static_cast<int>(std::count(column.begin(), column.end(), key));
    }
    return count;
}

TEST(PreviewLayout, GridHoldsEveryKeyOnceWithFiveWideKeys) {
    const PreviewLayout& layout = PreviewLayoutTable();
    std::set<KeyCode> codes;
    for (size_t key = 0; key < layout.keys.size(); ++key) {
        const PreviewKey& k = layout.keys[key];
        codes.insert(k.code);
        const int expectedSlot = k.code == kPreviewFnCode ? kFnColourSlot : KeyColourSlot(k.code);
        EXPECT_EQ(k.slot, expectedSlot) << std::hex << k.code;
        EXPECT_LT(k.slot, kStateIndexCount);
        const bool wide = k.code == 0x00E || k.code == 0x036 || k.code == 0x138 ||
                          k.code == 0x11D || k.code == 0x052;
        EXPECT_EQ(CellCount(layout, static_cast<int>(key)), wide ? 2 : 1) << std::hex << k.code;
    }
    EXPECT_EQ(codes.size(), 106u);
    EXPECT_EQ(codes.count(0), 0u);
    EXPECT_EQ(PreviewKeyIndex(0x15C), -1) << "right Win has no cell";
    EXPECT_EQ(layout.keys[static_cast<size_t>(layout.grid[2][0])].code, 0x001); // Esc
    EXPECT_EQ(layout.keys[static_cast<size_t>(layout.grid[11][5])].code, kPreviewFnCode);
    EXPECT_EQ(layout.keys[static_cast<size_t>(layout.grid[22][4])].code, 0x11C); // keypad Enter
    EXPECT_EQ(layout.grid[22][5], kEmptyCell);
}

TEST(PreviewLayout, RingCoversEveryKeyButTheKeypadWithBackslashTwice) {
    const PreviewLayout& layout = PreviewLayoutTable();
    EXPECT_EQ(layout.keys[layout.ring.front().key].code, 0x045); // Pause
    EXPECT_EQ(layout.keys[layout.ring.back().key].code, 0x01C);  // Enter
    std::set<uint8_t> keys;
    std::set<uint8_t> states;
    int backslashes = 0;
    for (const RingKey& ring : layout.ring) {
        keys.insert(ring.key);
        states.insert(ring.stateIndex);
        EXPECT_EQ(ring.stateIndex, layout.keys[ring.key].slot);
        EXPECT_FALSE(ring.cells.empty());
        for (const PreviewCell& cell : ring.cells) {
            EXPECT_EQ(layout.grid[cell.column][cell.row], ring.key);
            EXPECT_LT(cell.column, 19) << "the keypad (columns 19..22) is outside the ring";
        }
        backslashes += layout.keys[ring.key].code == 0x02B;
    }
    EXPECT_EQ(backslashes, 2);
    EXPECT_EQ(keys.size(), 89u);
    EXPECT_EQ(states.size(), 89u) << "one state index per key";
}

TEST(PreviewLayout, DiagonalsAndDropOrder) {
    const PreviewLayout& layout = PreviewLayoutTable();
    const size_t sizes[kDiagonalCount] = {1, 6, 12, 11, 11, 11, 11, 10, 4, 4, 5, 4};
    for (size_t d = 0; d < layout.diagonals.size(); ++d) {
        EXPECT_EQ(layout.diagonals[d].size(), sizes[d]) << "diagonal " << d;
    }
    EXPECT_EQ(layout.keys[layout.diagonals[0][0]].code, 0x016);  // U
    EXPECT_EQ(layout.keys[layout.diagonals[11][3]].code, 0x045); // Pause
    std::array<uint8_t, kRingKeyCount> sorted = layout.dropOrder;
    std::sort(sorted.begin(), sorted.end());
    for (size_t i = 0; i < sorted.size(); ++i) {
        EXPECT_EQ(sorted[i], i) << "the drop order visits every ring key once";
    }
}

} // namespace
