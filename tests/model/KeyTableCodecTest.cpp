// SPDX-License-Identifier: GPL-3.0-or-later
#include "model/KeyTableCodec.h"

#include "ModelTestSupport.h"
#include "support/RandomKeyStore.h"

#include <gtest/gtest.h>
#include <random>

namespace {

using Table = std::array<uint8_t, kKeyTableBufferSize>;

struct Codec : ::testing::Test {
    std::vector<uint8_t> defaults = BuiltInDefaultTable();
    KeyTableLayout layout{defaults, 126};
    KeyRecordBlock block{};
    std::vector<MacroRecord> macros;

    Table Encode(int profile = 0) {
        Table out{};
        EncodeKeyTableWith(
            block, profile, layout, [this](uint32_t id) { return MacroPositionIn(macros, id); },
            out);
        return out;
    }
    SlotAction At(const Table& t, int pos) { return {t[3 * pos], t[3 * pos + 1], t[3 * pos + 2]}; }
    KeyAssignment& Rec(KeyCode code, int profile = 0) {
        return block.Record(profile, RecordIndexOfCode(code));
    }
    void Put(int pos, SlotAction a) {
        defaults[3 * pos] = a.b0;
        defaults[3 * pos + 1] = a.b1;
        defaults[3 * pos + 2] = a.b2;
    }
};

TEST(SlotActionTranslation, NamesTheKeysOfEveryCategory) {
    EXPECT_EQ(SlotActionToKeyCode({1, 1, 1}), kMouseLeft);
    EXPECT_EQ(SlotActionToKeyCode({1, 1, 4}), kMouseMiddle);
    EXPECT_EQ(SlotActionToKeyCode({1, 5, 0xFF}), kWheelDown);
    EXPECT_EQ(SlotActionToKeyCode({1, 1, 8}), 0);
    EXPECT_EQ(SlotActionToKeyCode({2, 2, 0x04}), 0x01E);
    EXPECT_EQ(SlotActionToKeyCode({2, 2, 0x00}), 0);
    // Several mask bits: the lowest decides.
    EXPECT_EQ(SlotActionToKeyCode({2, 1, 0x60}), 0x036);
    EXPECT_EQ(SlotActionToKeyCode({2, 1, 0x00}), 0);
    EXPECT_EQ(SlotActionToKeyCode({3, 0xE9, 0x00}), 0x130);
    EXPECT_EQ(SlotActionToKeyCode({4, 0x81, 0x00}), 0x15E);
    EXPECT_EQ(SlotActionToKeyCode({6, 0xA2, 1}), GKeyCode(1));
    EXPECT_EQ(SlotActionToKeyCode({6, 0xA2, 18}), GKeyCode(18));
    // Markers of G-keys the keyboard does not have would address records of no key.
    EXPECT_EQ(SlotActionToKeyCode({6, 0xA2, 0}), 0);
    EXPECT_EQ(SlotActionToKeyCode({6, 0xA2, 19}), 0);
    EXPECT_EQ(SlotActionToKeyCode({5, 1, 0}), 0);
}

TEST_F(Codec, DecodingTheFactoryTableGivesDefaultRecordsWithGKeyCodes) {
    block.Record(1, 5).type = AssignmentType::kKey;
    DecodeKeyTableInto(defaults, layout, block, 1);
    for (int r = 0; r < kRecordsPerArea; ++r) {
        KeyAssignment expected{};
        if (r >= 256 && r < 274) {
            expected.param = r < 265 ? 0x301 + (r - 256) : 0x1301 + (r - 265);
        }
        ASSERT_EQ(block.Record(1, r), expected) << r;
    }
}

TEST_F(Codec, DefaultAndProgramRecordsReproduceTheFactoryBytes) {
    for (uint16_t type : {AssignmentType::kDefault, AssignmentType::kProgram}) {
        for (auto& r : block.records) {
            r.type = type;
            r.value = 77;
        }
        const Table t = Encode();
        EXPECT_TRUE(std::equal(defaults.begin(), defaults.end(), t.begin())) << type;
        EXPECT_EQ(At(t, 12), (SlotAction{2, 1, 2})); // a modifier position
    }
}

TEST_F(Codec, EncodesEveryAssignmentType) {
    Rec(0x001) = {AssignmentType::kDisabled};           // pos 8
    Rec(0x029) = {AssignmentType::kText, 0, 4};         // pos 9 (usage 0x35)
    Rec(0x00F) = {AssignmentType::kKey, 0, 0x054};      // pos 10: Sys Req has no usage
    Rec(0x03A) = {AssignmentType::kKey, 0, 0x138};      // pos 11: right Alt
    Rec(0x02A) = {AssignmentType::kKey, 0, kWheelDown}; // pos 12
    Rec(0x01D) = {AssignmentType::kKey, 0, 0x01E};      // pos 13: A
    Rec(0x03B) = {AssignmentType::kStopMacro};          // pos 16
    Rec(0x002) = {AssignmentType::kMedia, 0, 7};        // pos 17
    Rec(0x010) = {AssignmentType::kFunction, 0, 10};    // pos 18
    Rec(0x01E) = {AssignmentType::kMedia, 0, 18};       // pos 19: no such media entry
    Rec(0x02C) = {AssignmentType::kKey, 0, 0x10171};    // pos 20: no key code fits
    const Table t = Encode();
    EXPECT_EQ(At(t, 8), (SlotAction{0, 0, 0}));
    EXPECT_EQ(At(t, 9), (SlotAction{0, 0, 0}));
    EXPECT_EQ(At(t, 10), (SlotAction{2, 2, 0}));
    EXPECT_EQ(At(t, 11), (SlotAction{2, 1, 0x40}));
    EXPECT_EQ(At(t, 12), (SlotAction{1, 5, 0xFF}));
    EXPECT_EQ(At(t, 13), (SlotAction{2, 2, 0x04}));
    EXPECT_EQ(At(t, 16), (SlotAction{5, 2, 0}));
    EXPECT_EQ(At(t, 17), (SlotAction{3, 0xE2, 0x00}));
    EXPECT_EQ(At(t, 18), (SlotAction{5, 5, 10}));
    EXPECT_EQ(At(t, 19), (SlotAction{0, 0, 0}));
    EXPECT_EQ(At(t, 20), (SlotAction{2, 2, 0}));
    EXPECT_EQ(At(t, 0), (SlotAction{5, 0, 0})); // positions of no key keep their default
}

TEST_F(Codec, MacrosAreSentByListPositionAndUnknownIdsAsTheFirst) {
    Put(100, {6, 0xA2, 3});
    Put(101, {6, 0xA2, 12});
    macros.resize(3);
    macros[0].id = 4;
    macros[1].id = 9;
    macros[2].id = 2;
    block.Record(0, 255 + 3) = {AssignmentType::kMacro, 1, 2};
    block.Record(0, 255 + 12) = {AssignmentType::kMacro, 1, 55};
    const Table t = Encode();
    EXPECT_EQ(At(t, 100), (SlotAction{5, 1, 2}));
    EXPECT_EQ(At(t, 101), (SlotAction{5, 1, 0}));
    // Read back, the macro of position 2 is id 3.
    DecodeKeyTableInto(t, layout, block, 2);
    EXPECT_EQ(block.Record(2, 258), (KeyAssignment{AssignmentType::kMacro, 0x303, 3}));
}

TEST_F(Codec, Position87AlwaysMirrorsPosition95) {
    Put(95, {2, 2, 0x04}); // A
    Put(87, {2, 2, 0x05}); // B
    Table t = Encode();
    EXPECT_EQ(At(t, 87), (SlotAction{2, 2, 0x04}));
    Rec(0x01E) = {AssignmentType::kKey, 0, 0x02E}; // A becomes C
    Rec(0x030) = {AssignmentType::kDisabled};      // B disabled, but mirrored over
    for (int p = 0; p < 3; ++p) {
        block.Record(p, RecordIndexOfCode(0x01E)) = Rec(0x01E);
        t = Encode(p);
        EXPECT_EQ(At(t, 87), At(t, 95)) << p;
        EXPECT_EQ(At(t, 95), (SlotAction{2, 2, 0x06}));
    }
}

TEST_F(Codec, DecodesEveryKindOfSlotAction) {
    std::vector<uint8_t> t = defaults;
    auto set = [&](int pos, SlotAction a) {
        t[3 * pos] = a.b0;
        t[3 * pos + 1] = a.b1;
        t[3 * pos + 2] = a.b2;
    };
    set(8, {0, 0, 0});        // Esc
    set(9, {3, 0xE2, 0x00});  // `
    set(10, {3, 0x99, 0x00}); // Tab
    set(11, {1, 1, 2});       // Caps
    set(12, {1, 1, 8});       // left Shift: unknown mouse action
    set(13, {2, 1, 0x24});    // left Ctrl: mask 0x24, lowest bit left Alt
    set(16, {2, 2, 0xFE});    // F1: usage of no key
    set(17, {5, 1, 4});       // 1
    set(18, {5, 5, 3});       // Q
    set(19, {4, 0x81, 0});    // A: system control
    set(20, {5, 2, 0});       // Z
    DecodeKeyTableInto(t, layout, block, 0);
    EXPECT_EQ(Rec(0x001), (KeyAssignment{AssignmentType::kDisabled}));
    EXPECT_EQ(Rec(0x029), (KeyAssignment{AssignmentType::kMedia, 0, 7}));
    EXPECT_EQ(Rec(0x00F), (KeyAssignment{AssignmentType::kDisabled}));
    EXPECT_EQ(Rec(0x03A), (KeyAssignment{AssignmentType::kKey, 0, kMouseRight}));
    EXPECT_EQ(Rec(0x02A), (KeyAssignment{AssignmentType::kDisabled}));
    EXPECT_EQ(Rec(0x01D), (KeyAssignment{AssignmentType::kKey, 0, 0x038}));
    EXPECT_EQ(Rec(0x03B), (KeyAssignment{AssignmentType::kDisabled}));
    EXPECT_EQ(Rec(0x002), (KeyAssignment{AssignmentType::kMacro, 0, 5}));
    EXPECT_EQ(Rec(0x010), (KeyAssignment{AssignmentType::kFunction, 0, 3}));
    EXPECT_EQ(Rec(0x01E), (KeyAssignment{AssignmentType::kDisabled}));
    EXPECT_EQ(Rec(0x02C), (KeyAssignment{AssignmentType::kStopMacro}));
}

TEST_F(Codec, ShortOrOddInputsAreReadOnlyAsFarAsTheyGo) {
    // A table of 10 bytes holds three positions; the rest stay default.
    std::vector<uint8_t> t(10, 0);
    DecodeKeyTableInto(t, layout, block, 0);
    for (const auto& r : block.records) {
        EXPECT_EQ(r.type, AssignmentType::kDefault);
    }
    // A factory table shorter than the slots: the missing positions are 00 00 00 and belong
    // to no key.
    std::vector<uint8_t> shortDefaults(defaults.begin(), defaults.begin() + 30);
    KeyTableLayout small{shortDefaults, 128};
    std::vector<uint8_t> read = defaults;
    read[3 * 9] = read[3 * 9 + 1] = read[3 * 9 + 2] = 0;    // position 9, inside
    read[3 * 16] = read[3 * 16 + 1] = read[3 * 16 + 2] = 0; // position 16, beyond
    DecodeKeyTableInto(read, small, block, 0);
    EXPECT_EQ(block.Record(0, 0x29).type, AssignmentType::kDisabled);
    EXPECT_EQ(block.Record(0, 0x3B).type, AssignmentType::kDefault);
    Table out{};
    EncodeKeyTableWith(
        block, 0, small, [](uint32_t) { return 0; }, out);
    EXPECT_TRUE(std::equal(read.begin(), read.begin() + 30, out.begin()));
    EXPECT_TRUE(std::all_of(out.begin() + 30, out.end(), [](uint8_t b) { return b == 0; }));
}

// Random records of every type the keyboard can represent survive encode, decode, encode.
TEST_F(Codec, RandomStoresSurviveEncodeDecodeEncode) {
    std::mt19937 random(20261209);
    for (int g = 1; g <= 18; ++g) {
        Put(63 + g, {6, 0xA2, static_cast<uint8_t>(g)});
    }
    macros.resize(7);
    for (size_t i = 0; i < macros.size(); ++i) {
        macros[i].id = static_cast<uint16_t>(i + 1);
    }
    const KeyCode keys[] = {0x01E,        0x01D,    0x15C, 0x138, kMouseLeft,
                            kMouseMiddle, kWheelUp, 0x130, 0x148, 0x00E};
    const RandomRecordKinds kinds{.keys = keys, .macroCount = 9, .stopMacro = true};
    for (int round = 0; round < 200; ++round) {
        block = KeyRecordBlock{};
        for (int r = 0; r < kRecordsPerArea; ++r) {
            block.Record(0, r) = RandomRecord(random, kinds);
        }
        const Table first = Encode(0);
        DecodeKeyTableInto(first, layout, block, 1);
        const Table second = Encode(1);
        ASSERT_EQ(first, second) << "round " << round;
    }
}

} // namespace
