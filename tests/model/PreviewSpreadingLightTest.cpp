// SPDX-License-Identifier: GPL-3.0-or-later
#include "model/PreviewColourTables.h"
#include "model/PreviewEngine.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <vector>

namespace {

constexpr uint32_t kBase = PackColour(255, 255, 255);
constexpr KeyCode kEsc = 0x001, kGrave = 0x029, kD1 = 0x002, kQ = 0x010, kLAlt = 0x038, kD6 = 0x007,
                  kY = 0x015, kH = 0x023, kN = 0x031, kT = 0x014, kU = 0x016, kF1 = 0x03B,
                  kF4 = 0x03E, kF6 = 0x040, kF9 = 0x043, kF12 = 0x058, kD2 = 0x003, kD5 = 0x006,
                  kD7 = 0x008, kP = 0x019, kLCtrl = 0x01D, kLShift = 0x02A, kNum5 = 0x04C;

uint32_t Grey(uint8_t level) {
    return PackColour(level, level, level);
}

TEST(PreviewFade, RulesTakeTheirStepInEachBand) {
    struct Case {
        uint8_t before, ruleA, rule13, rule14;
    };
    const Case cases[] = {
        {255, 235, 175, 225}, {128, 108, 48, 98}, {127, 111, 77, 107}, {64, 48, 14, 44},
        {63, 53, 43, 53},     {32, 22, 12, 22},   {31, 26, 26, 26},    {17, 12, 12, 12},
        {16, 15, 15, 15},     {1, 0, 0, 0},       {0, 0, 0, 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Faded(c.before, kFadeRuleA), c.ruleA) << int{c.before};
        EXPECT_EQ(Faded(c.before, kFadeRule13), c.rule13) << int{c.before};
        EXPECT_EQ(Faded(c.before, kFadeRule14), c.rule14) << int{c.before};
    }
}

TEST(PreviewWaveMasks, EachMaskSpreadsItsWayAndLeavesTheGrid) {
    WaveMasks masks;
    masks.Set(WaveMasks::Left, {1, 2});
    masks.Set(WaveMasks::Right, {21, 2});
    masks.Set(WaveMasks::Up, {5, 1});
    masks.Set(WaveMasks::Down, {6, 4});
    masks.Spread();
    EXPECT_TRUE(masks.IsSet({0, 2}));
    EXPECT_TRUE(masks.IsSet({22, 2}));
    EXPECT_TRUE(masks.IsSet({5, 0}));
    EXPECT_TRUE(masks.IsSet({6, 5}));
    EXPECT_FALSE(masks.IsSet({1, 2}));
    EXPECT_FALSE(masks.Empty());
    masks.Spread();
    EXPECT_TRUE(masks.Empty()) << "nothing wraps round";
}

class SpreadingLightTest : public ::testing::Test {
protected:
    void Tick(uint8_t effect, bool multicolour = false) {
        PreviewInput in;
        in.effect = effect;
        in.multicolour = multicolour;
        in.baseColour = kBase;
        engine.Tick(in);
    }
    uint32_t At(KeyCode code) const {
        const auto colour = engine.Frame()[static_cast<size_t>(PreviewKeyIndex(code))];
        EXPECT_TRUE(colour.has_value()) << std::hex << code;
        return colour.value_or(0xFFFFFFFF);
    }

    PreviewEngine engine;
};

TEST_F(SpreadingLightTest, Effect13RipplesFromTheMiddleAndRestartsWhenItHasLeft) {
    Tick(13);
    for (KeyCode code : {kD6, kY, kH, kN}) {
        EXPECT_EQ(At(code), Grey(175)) << std::hex << code;
    }
    EXPECT_EQ(At(kU), 0u) << "dark ring keys show black";
    EXPECT_EQ(engine.Frame()[static_cast<size_t>(PreviewKeyIndex(kNum5))], std::nullopt);
    Tick(13);
    EXPECT_EQ(At(kT), Grey(175)) << "the column moved left";
    EXPECT_EQ(At(kU), Grey(175)) << "and right";
    EXPECT_EQ(At(kY), Grey(175)) << "the cell moved up";
    EXPECT_EQ(At(kN), Grey(175)) << "and down";
    EXPECT_EQ(At(kH), Grey(95));
    EXPECT_EQ(At(kD6), Grey(95));
    for (int tick = 3; tick <= 16; ++tick) {
        Tick(13);
        ASSERT_NE(At(kH), Grey(175)) << "tick " << tick;
    }
    Tick(13); // the right front left column 22 on the 16th spread
    EXPECT_EQ(At(kH), Grey(175));
}

TEST_F(SpreadingLightTest, Effect16RipplesFromTheEscCornerWithRuleA) {
    Tick(16);
    for (KeyCode code : {kEsc, kD1, kQ, kLAlt}) {
        EXPECT_EQ(At(code), Grey(235)) << std::hex << code;
    }
    EXPECT_EQ(At(kGrave), 0u);
    Tick(16);
    EXPECT_EQ(At(kGrave), Grey(235));
    EXPECT_EQ(At(kEsc), Grey(215));
}

TEST_F(SpreadingLightTest, Effect15DropsFallFromTheTopRowThreeColumnsApart) {
    Tick(15); // columns 0, 3, 6
    EXPECT_EQ(At(kF1), Grey(235));
    EXPECT_EQ(At(kF4), Grey(235));
    EXPECT_EQ(At(kEsc), 0u);
    Tick(15); // columns 9, 12, 15; the first drops one row down
    EXPECT_EQ(At(kF6), Grey(235));
    EXPECT_EQ(At(kF9), Grey(235));
    EXPECT_EQ(At(kF12), Grey(235));
    EXPECT_EQ(At(kD2), Grey(235));
    EXPECT_EQ(At(kD5), Grey(235));
    EXPECT_EQ(At(kF1), Grey(215));
}

TEST_F(SpreadingLightTest, Effect14PlaysItsScriptAndStartsAgainOnceLeftCtrlHasFaded) {
    Tick(14, true);
    Tick(14, true);
    Tick(14, true); // sweep step 2: Grave (colour index 0) and then Esc (11)
    EXPECT_EQ(At(kGrave), ScaleColour(PackedColour(kHueWheel255[0]), 225));
    EXPECT_EQ(At(kEsc), ScaleColour(PackedColour(kHueWheel255[11]), 225));

    for (int tick = 4; tick <= 21; ++tick) {
        Tick(14);
    }
    EXPECT_EQ(At(kD6), Grey(225)) << "tick 21 lights the first middle pair";
    EXPECT_EQ(At(kD7), Grey(225));

    for (int tick = 22; tick <= 37; ++tick) {
        Tick(14);
    }
    EXPECT_EQ(At(kP), Grey(225)) << "tick 37 starts the wave at P";
    for (int tick = 38; tick <= 47; ++tick) {
        Tick(14);
        ASSERT_NE(At(kLCtrl), Grey(225)) << "tick " << tick;
    }
    Tick(14);
    EXPECT_EQ(At(kLCtrl), Grey(225)) << "tick 48: the wave reaches left Ctrl";
    EXPECT_EQ(At(kLShift), Grey(225));

    // Once left Ctrl is dark the script starts again: Grave lights on the sweep's third step.
    std::vector<uint32_t> ctrl;
    std::vector<uint32_t> grave;
    for (int tick = 49; tick <= 120; ++tick) {
        Tick(14);
        ctrl.push_back(At(kLCtrl));
        grave.push_back(At(kGrave));
    }
    const auto dark = std::find(ctrl.begin(), ctrl.end(), 0u);
    ASSERT_NE(dark, ctrl.end()) << "left Ctrl never faded";
    const auto restart = static_cast<size_t>(dark - ctrl.begin()) + 1;
    ASSERT_LT(restart + 2, grave.size());
    EXPECT_EQ(grave[restart + 2], Grey(225));
    EXPECT_EQ(std::count(grave.begin(), grave.begin() + static_cast<long>(restart) + 2, Grey(225)),
              0);
}

} // namespace
