// SPDX-License-Identifier: GPL-3.0-or-later
#include "model/PreviewEngine.h"

#include "model/PreviewColourTables.h"
#include "model/UserColourFile.h"

#include <functional>
#include <gtest/gtest.h>

namespace {

constexpr uint32_t kBase = PackColour(200, 100, 50);
constexpr KeyCode kEsc = 0x001, kGrave = 0x029, kU = 0x016, kH = 0x023, kPause = 0x045, kF5 = 0x03F,
                  kBackslash = 0x02B, kNum5 = 0x04C, kNumEnter = 0x11C, kNum0 = 0x052,
                  kNumDecimal = 0x053, kDelete = 0x153;

PreviewInput Effect(uint8_t code) {
    PreviewInput in;
    in.effect = code;
    in.direction = kDirectionFirst;
    in.baseColour = kBase;
    return in;
}
PreviewInput Multicolour(PreviewInput in) {
    in.multicolour = true;
    return in;
}
PreviewInput Backward(PreviewInput in) {
    in.direction = kDirectionSecond;
    return in;
}

uint32_t Hue(int index) {
    return PackedColour(kHueWheel192[static_cast<size_t>(index % 192)]);
}

class PreviewEngineTest : public ::testing::Test {
protected:
    void Ticks(const PreviewInput& in, int count) {
        for (int i = 0; i < count; ++i) {
            engine.Tick(in);
        }
    }
    std::optional<uint32_t> At(KeyCode code) const {
        return engine.Frame()[static_cast<size_t>(PreviewKeyIndex(code))];
    }
    // Columns are painted left to right, so a wide key shows its right-hand column's colour.
    void ExpectColumns(const std::function<uint32_t(int)>& colourOfColumn) const {
        const PreviewLayout& layout = PreviewLayoutTable();
        for (int column = 0; column < kPreviewColumns; ++column) {
            for (int8_t key : layout.grid[static_cast<size_t>(column)]) {
                const bool rightmost =
                    key != kEmptyCell &&
                    (column + 1 == kPreviewColumns ||
                     std::find(layout.grid[static_cast<size_t>(column + 1)].begin(),
                               layout.grid[static_cast<size_t>(column + 1)].end(),
                               key) == layout.grid[static_cast<size_t>(column + 1)].end());
                if (rightmost) {
                    EXPECT_EQ(engine.Frame()[static_cast<size_t>(key)], colourOfColumn(column))
                        << "column " << column;
                }
            }
        }
    }
    void ExpectWholeGrid(std::optional<uint32_t> colour) const {
        for (const auto& key : engine.Frame()) {
            EXPECT_EQ(key, colour);
        }
    }
    int RingKeyCode(int ringIndex) const {
        const PreviewLayout& layout = PreviewLayoutTable();
        return layout.keys[layout.ring[static_cast<size_t>(ringIndex)].key].code;
    }

    PreviewEngine engine;
};

TEST(PreviewStep, WrapsAtTheModulusBothWays) {
    EXPECT_EQ(Step(187, 4, 192, StepDirection::Forward), 191);
    EXPECT_EQ(Step(188, 4, 192, StepDirection::Forward), 0);
    EXPECT_EQ(Step(2, 2, 192, StepDirection::Backward), 0);
    EXPECT_EQ(Step(1, 2, 192, StepDirection::Backward), 191);
    // A phase left over from a larger modulus (multicolour switched off) comes back in range.
    EXPECT_EQ(Step(190, 7, 96, StepDirection::Forward), 5);
    EXPECT_EQ(Step(190, 7, 96, StepDirection::Backward), 87);
}

TEST(PreviewStep, OnlyTheFirstChoiceRunsForward) {
    EXPECT_EQ(DirectionOf(0xFF), StepDirection::Forward);
    EXPECT_EQ(DirectionOf(0), StepDirection::Backward);
    EXPECT_EQ(DirectionOf(1), StepDirection::Backward) << "as the panel shows it";
}

TEST(PreviewInputOf, ReadsTheStateAndTheProfilesBank) {
    LightingModel model;
    model.state.effect = 12;
    model.state.direction = 0xFF;
    model.state.multicolour = true;
    model.state.colour = {kBase, 1, 2};
    const PreviewInput in = PreviewInputOf(model, 1);
    EXPECT_EQ(in.effect, 12);
    EXPECT_EQ(in.direction, 0xFF);
    EXPECT_TRUE(in.multicolour);
    EXPECT_EQ(in.baseColour, kBase);
    EXPECT_EQ(in.userColours, &model.keyColourBanks[1]);
    EXPECT_EQ(PreviewInputOf(model, -1).userColours, nullptr);
    EXPECT_EQ(PreviewInputOf(model, 3).userColours, nullptr);
}

TEST_F(PreviewEngineTest, Effect1ColumnsWalkTheHueWheelOrThePulse) {
    engine.Tick(Multicolour(Effect(1)));
    ExpectColumns([](int k) { return Hue(9 + 9 * k); });
    engine.Tick(Multicolour(Effect(1)));
    ExpectColumns([](int k) { return Hue(18 + 9 * k); });

    PreviewEngine backward;
    backward.Tick(Backward(Multicolour(Effect(1))));
    EXPECT_EQ(backward.Frame()[static_cast<size_t>(PreviewKeyIndex(kEsc))], Hue(183 + 9 * 2));

    engine.Reset();
    Ticks(Effect(1), 2);
    ExpectColumns([](int k) { return ScaleColour(kBase, kPulse96[(14 + 7 * k) % 96]); });
}

TEST_F(PreviewEngineTest, Effect1KeepsItsPhaseInRangeWhenMulticolourGoesOff) {
    Ticks(Multicolour(Effect(1)), 21); // phase 189
    engine.Tick(Effect(1));            // 196 wraps to 4 on the 96-step pulse
    ExpectColumns([](int k) { return ScaleColour(kBase, kPulse96[(4 + 7 * k) % 96]); });
}

TEST_F(PreviewEngineTest, Effect2FlashMovesAlongTheColumnsAndWrapsBy123) {
    const uint32_t white = PackColour(255, 255, 255);
    PreviewInput in = Effect(2);
    in.baseColour = white;
    auto grey = [](uint8_t level) { return PackColour(level, level, level); };
    Ticks(in, 31); // phase 124: column 0 reads 129 - 123 = 6, column 1 reads 11
    EXPECT_EQ(At(kGrave), grey(kFlash128[11]));
    ExpectColumns([&](int k) {
        const int v = 124 + 5 * (k + 1);
        return grey(kFlash128[static_cast<size_t>(v > 128 ? v - 123 : v)]);
    });

    engine.Reset();
    Ticks(Backward(in), 10); // the phase still runs forward, to 40; the index steps back
    EXPECT_EQ(At(kEsc), grey(kFlash128[25]));
    ExpectColumns([&](int k) {
        const int v = 40 - 5 * (k + 1);
        return grey(kFlash128[static_cast<size_t>(v < 0 ? v + 123 : v)]);
    });

    engine.Reset();
    Ticks(Multicolour(Backward(Effect(2))), 1);
    ExpectColumns([](int k) { return Hue(188 + 5 * k); });
}

TEST_F(PreviewEngineTest, Effect3WalksTheRingAndLeavesTheKeypadDark) {
    engine.Tick(Multicolour(Effect(3)));
    EXPECT_EQ(At(kPause), Hue(4));
    EXPECT_EQ(At(kF5), Hue(4 + 5 * 10));
    EXPECT_EQ(At(kBackslash), Hue(4 + 5 * 88)) << "the later ring position wins";
    EXPECT_EQ(At(kNum5), std::nullopt);

    engine.Reset();
    engine.Tick(Backward(Effect(3)));
    EXPECT_EQ(At(kPause), ScaleColour(kBase, kPulse96[92]));
    EXPECT_EQ(At(kF5), ScaleColour(kBase, kPulse96[(92 + 50) % 96]));
}

TEST_F(PreviewEngineTest, Effect4WithDirection0WalksTheWheelBackwardsBy2) {
    for (int hue : {190, 188, 186}) {
        engine.Tick(Backward(Effect(4)));
        ExpectWholeGrid(Hue(hue));
        EXPECT_EQ(engine.ChangedKeys().size(), 106u);
    }
    engine.Reset();
    Ticks(Multicolour(Effect(4)), 2);
    ExpectWholeGrid(Hue(4));
}

TEST_F(PreviewEngineTest, Effect5PulsesColumnsTogether) {
    engine.Tick(Multicolour(Effect(5)));
    ExpectColumns([](int k) { return ScaleColour(Hue(7 * k), kPulse128[2]); });
    Ticks(Backward(Effect(5)), 63); // always forward: 128 wraps to 0
    ExpectColumns([](int) { return ScaleColour(kBase, kPulse128[0]); });
}

TEST_F(PreviewEngineTest, Effect6ShowsFixedDiagonalsOrTheBaseColour) {
    engine.Tick(Multicolour(Effect(6)));
    const PreviewLayout& layout = PreviewLayoutTable();
    for (int d = 0; d < kDiagonalCount; ++d) {
        for (uint8_t key : layout.diagonals[static_cast<size_t>(d)]) {
            if (layout.keys[key].code != kBackslash) {
                EXPECT_EQ(engine.Frame()[key], Hue(131 - 11 * d)) << "diagonal " << d;
            }
        }
    }
    EXPECT_EQ(At(kNumEnter), std::nullopt);
    engine.Tick(Multicolour(Effect(6)));
    EXPECT_TRUE(engine.ChangedKeys().empty());

    engine.Reset();
    engine.Tick(Effect(6));
    ExpectWholeGrid(kBase);
    EXPECT_EQ(engine.ChangedKeys().size(), 106u);
    for (int i = 0; i < 50; ++i) {
        engine.Tick(Effect(6));
        ASSERT_TRUE(engine.ChangedKeys().empty()) << "tick " << i;
    }
    ExpectWholeGrid(kBase);
}

TEST_F(PreviewEngineTest, EffectsWithoutAPreviewClearTheFrames) {
    for (uint8_t code : {7, 8, 9, 17, 0, 19, 21, 255}) {
        PreviewEngine lit;
        lit.Tick(Effect(4));
        lit.Tick(Multicolour(Effect(code)));
        EXPECT_EQ(lit.ChangedKeys().size(), 106u) << "effect " << int{code};
        for (const auto& key : lit.Frame()) {
            EXPECT_EQ(key, std::nullopt) << "effect " << int{code};
        }
        lit.Tick(Effect(code));
        EXPECT_TRUE(lit.ChangedKeys().empty());
    }
}

TEST_F(PreviewEngineTest, Effect10DropsThreeKeysATickInAFixedOrder) {
    engine.Tick(Effect(10));
    const PreviewLayout& layout = PreviewLayoutTable();
    int lit = 0;
    for (const RingKey& ring : layout.ring) {
        const auto colour = engine.Frame()[ring.key];
        ASSERT_TRUE(colour.has_value());
        lit += *colour != 0;
    }
    EXPECT_EQ(lit, 3);
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(At(static_cast<KeyCode>(RingKeyCode(layout.dropOrder[i]))),
                  ScaleColour(kBase, 235))
            << "255 faded once by rule A";
    }
    EXPECT_EQ(At(kNum5), std::nullopt);

    Ticks(Multicolour(Effect(10)), 29); // 90 drops: every ring key once
    for (const RingKey& ring : layout.ring) {
        EXPECT_NE(engine.Frame()[ring.key], 0u);
    }
    const PreviewFrame first = engine.Frame();
    engine.Reset();
    Ticks(Multicolour(Effect(10)), 30);
    EXPECT_EQ(engine.Frame(), first) << "a restart plays the same drops";
}

TEST_F(PreviewEngineTest, Effect11RingHuesIgnoreMulticolourAndStayOnTheWheel) {
    engine.Tick(Effect(11));
    EXPECT_EQ(At(kPause), Hue(36));
    EXPECT_EQ(At(static_cast<KeyCode>(RingKeyCode(1))), Hue(69));
    // 64 x 33 is a whole number of turns: the start hue wraps to 0, not to 192.
    EXPECT_EQ(At(static_cast<KeyCode>(RingKeyCode(63))), Hue(3));
    PreviewEngine multicolour;
    multicolour.Tick(Multicolour(Effect(11)));
    EXPECT_EQ(multicolour.Frame(), engine.Frame());

    Ticks(Effect(11), 8); // ring key 4 started at 165: 192 is reached and restarts at 0
    EXPECT_EQ(At(static_cast<KeyCode>(RingKeyCode(4))), Hue(0));
    engine.Reset();
    engine.Tick(Effect(11));
    EXPECT_EQ(At(static_cast<KeyCode>(RingKeyCode(4))), Hue(3)) << "hues carry on";
}

TEST_F(PreviewEngineTest, Effect12RowsFollowTheDirection) {
    engine.Tick(Effect(12));
    EXPECT_EQ(At(kEsc), Hue(3));
    EXPECT_EQ(At(kNum0), Hue(3 + 32 * 5));
    engine.Reset();
    engine.Tick(Multicolour(Backward(Effect(12))));
    EXPECT_EQ(At(kGrave), Hue(189 + 32));
    EXPECT_EQ(At(kNumDecimal), Hue(189 + 160));
}

TEST_F(PreviewEngineTest, Effect18DiagonalsDiffuseOrConverge) {
    engine.Tick(Effect(18));
    EXPECT_EQ(At(kU), Hue(2 + 21));
    EXPECT_EQ(At(kBackslash), Hue(2 + 21 * 8)) << "diagonal 7 is painted after 6";
    EXPECT_EQ(At(kDelete), Hue(2 + 21 * 10));
    EXPECT_EQ(At(kNum5), std::nullopt);
    engine.Reset();
    engine.Tick(Multicolour(Backward(Effect(18))));
    EXPECT_EQ(At(kU), Hue(190 + 21));
}

TEST_F(PreviewEngineTest, Effect20LeavesTheUserColoursInPlace) {
    std::array<uint8_t, kKeyColourBankSize> bank{};
    for (size_t i = 0; i < bank.size(); ++i) {
        bank[i] = static_cast<uint8_t>(i * 7);
    }
    PreviewInput in = Effect(20);
    in.userColours = &bank;
    auto slotColour = [&bank](int slot) {
        const size_t at = 3u * static_cast<size_t>(slot);
        return PackColour(bank[at], bank[at + 1], bank[at + 2]);
    };
    engine.Tick(in);
    EXPECT_EQ(At(kEsc), slotColour(0));
    EXPECT_EQ(At(kPreviewFnCode), slotColour(kFnColourSlot));
    EXPECT_EQ(At(kNum5), slotColour(116));
    EXPECT_EQ(At(kNumDecimal), slotColour(93)) << "shares Delete's slot";
    const PreviewFrame painted = engine.Frame();
    Ticks(in, 20);
    EXPECT_TRUE(engine.ChangedKeys().empty());
    EXPECT_EQ(engine.Frame(), painted);

    bank[3 * 93] = 1; // a key painted: Delete and keypad "." share the slot
    engine.Tick(in);
    ASSERT_EQ(engine.ChangedKeys().size(), 2u);
    EXPECT_EQ(At(kDelete), slotColour(93));

    PreviewEngine withoutBank;
    withoutBank.Tick(Effect(20));
    EXPECT_TRUE(withoutBank.ChangedKeys().empty());
}

TEST_F(PreviewEngineTest, ResetStartsAfreshFromClearedFrames) {
    Ticks(Multicolour(Effect(1)), 5);
    engine.Reset();
    EXPECT_EQ(At(kEsc), std::nullopt);
    engine.Tick(Multicolour(Effect(1)));
    EXPECT_EQ(At(kEsc), Hue(9 + 18));
    EXPECT_EQ(engine.ChangedKeys().size(), 106u);

    // Another effect arriving without a reset (a reload) also starts afresh, and the change
    // list takes back what the old effect lit.
    engine.Tick(Effect(13));
    EXPECT_EQ(engine.ChangedKeys().size(), 106u) << "the keypad goes dark";
    EXPECT_EQ(At(kH), ScaleColour(kBase, 175));
    engine.Tick(Effect(10));
    int lit = 0;
    for (const RingKey& ring : PreviewLayoutTable().ring) {
        lit += engine.Frame()[ring.key] != 0u;
    }
    EXPECT_EQ(lit, 3) << "only the first drops glow; the wave of 13 is gone";
}

} // namespace
