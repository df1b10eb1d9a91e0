// SPDX-License-Identifier: GPL-3.0-or-later
#include "model/KeyTargetText.h"

#include "model/ProfileFile.h"
#include "model/StoreDiff.h"

#include <gtest/gtest.h>

namespace {

constexpr int kRecordA = 0x01E;
constexpr int kRecordF1 = 0x03B;
constexpr int kRecordG1 = kFirstGKeyRecord;

KeyTarget Target(std::string_view text) {
    KeyTarget target;
    std::string error;
    EXPECT_TRUE(ParseKeyTarget(text, target, error)) << text << ": " << error;
    return target;
}

std::string TargetError(std::string_view text) {
    KeyTarget target;
    std::string error;
    EXPECT_FALSE(ParseKeyTarget(text, target, error)) << text;
    return error;
}

MacroRecord NamedMacro(std::string_view name, uint16_t id, uint8_t repeat = 1) {
    MacroRecord macro;
    SetMacroName(macro, name);
    macro.id = id;
    macro.repeat = repeat;
    return macro;
}

// The working store with a default block and two macros; released afterwards.
class KeyTargets : public ::testing::Test {
protected:
    void SetUp() override {
        ClearWorkingStore();
        WorkingStore().block = MakeDefaultBlock(0);
        WorkingStore().macros = {NamedMacro("Hello", 4, 2), NamedMacro("Odd*2", 9)};
    }
    void TearDown() override { ClearWorkingStore(); }

    // Parsed, resolved against the working store and applied to a record of profile 1.
    KeyAssignment Applied(int recordIndex, std::string_view text) {
        KeyTarget target = Target(text);
        std::string error;
        EXPECT_TRUE(ResolveMacroTarget(target, WorkingStore().macros, error)) << error;
        EXPECT_TRUE(ApplyKeyTarget(1, recordIndex, target)) << text;
        return WorkingStore().block->Record(1, recordIndex);
    }
    std::string Text(int recordIndex) { return KeyTargetText(WorkingStore(), 1, recordIndex); }

    std::unique_lock<std::recursive_mutex> guard{WorkingStore().lock};
};

TEST(KeyTargetParsing, EveryFormNamesItsChoice) {
    EXPECT_EQ(Target("b").choice.kind, AssignmentKind::Key);
    EXPECT_EQ(Target("b").choice.value, 0x030u);
    EXPECT_EQ(Target("Mouse:Wheel-Up").choice.kind, AssignmentKind::Mouse);
    EXPECT_EQ(Target("Mouse:Wheel-Up").choice.value, kWheelUp);
    EXPECT_EQ(Target("media:mute").choice.kind, AssignmentKind::Media);
    EXPECT_EQ(Target("media:mute").choice.value, 7u);
    EXPECT_EQ(Target("function:1").choice.value, 0u);
    EXPECT_EQ(Target("function:11").choice.value, 10u);
    EXPECT_EQ(Target("DISABLED").choice.kind, AssignmentKind::Disabled);
    EXPECT_EQ(Target("default").choice.kind, AssignmentKind::Default);
    EXPECT_EQ(Target("macro:a=b").macroText, "a=b");

    EXPECT_NE(TargetError("media:Muet").find("Mute"), std::string::npos);
    TargetError("function:0");
    TargetError("function:12");
    TargetError("function:");
    TargetError("macro:");
    TargetError("mouse:wheel");
    TargetError("G1");
    EXPECT_NE(TargetError("Shiftt").find("LeftShift"), std::string::npos);
}

TEST(KeyTargetParsing, OnlyKeysOfTheKeyboardTakeAFunction) {
    int record = -1;
    std::string error;
    EXPECT_TRUE(ParseKeyOfRecord("a", record, error));
    EXPECT_EQ(record, kRecordA);
    EXPECT_TRUE(ParseKeyOfRecord("RightCtrl", record, error));
    EXPECT_EQ(record, 0x11D - 0x80);
    EXPECT_TRUE(ParseKeyOfRecord("G9", record, error));
    EXPECT_EQ(record, kFirstGKeyRecord + 8);
    EXPECT_FALSE(ParseKeyOfRecord("Power", record, error));
    EXPECT_NE(error.find("only be given"), std::string::npos);
    EXPECT_FALSE(ParseKeyOfRecord("mouse:left", record, error));
    EXPECT_FALSE(ParseKeyOfRecord("", record, error));
}

TEST_F(KeyTargets, MacrosAreFoundByNameWithTheirOwnRepeatUnlessOneIsGiven) {
    KeyTarget target = Target("macro:hello");
    std::string error;
    ASSERT_TRUE(ResolveMacroTarget(target, WorkingStore().macros, error)) << error;
    EXPECT_EQ(target.choice.value, 4u);
    EXPECT_EQ(target.choice.repeat, 2);

    target = Target("macro:Hello*255");
    ASSERT_TRUE(ResolveMacroTarget(target, WorkingStore().macros, error));
    EXPECT_EQ(target.choice.repeat, 255);
    target = Target("macro:Odd*2"); // a name that only looks like a repeat
    ASSERT_TRUE(ResolveMacroTarget(target, WorkingStore().macros, error));
    EXPECT_EQ(target.choice.value, 9u);

    for (std::string_view bad : {"macro:Hello*256", "macro:Hello*0", "macro:Bye", "macro:Bye*2"}) {
        target = Target(bad);
        EXPECT_FALSE(ResolveMacroTarget(target, WorkingStore().macros, error)) << bad;
    }
    target = Target("macro:Bye*2");
    ResolveMacroTarget(target, WorkingStore().macros, error);
    EXPECT_NE(error.find("no macro named 'Bye'"), std::string::npos) << error;
}

TEST_F(KeyTargets, WhatAKeyIsGivenReadsBackAsTheSameTarget) {
    for (std::string_view text :
         {"B", "mouse:left", "mouse:wheel-down", "media:VolumeUp", "function:4", "macro:Hello*3",
          "macro:Odd*2", "disabled", "default", "0x15E", "Power"}) {
        const KeyAssignment first = Applied(kRecordA, text);
        const std::string shown = Text(kRecordA);
        const KeyAssignment again = Applied(kRecordF1, shown);
        EXPECT_EQ(first.type, again.type) << text << " shown as " << shown;
        EXPECT_EQ(first.value, again.value) << text << " shown as " << shown;
        EXPECT_EQ(first.param, again.param) << text << " shown as " << shown;
    }
    EXPECT_EQ(Text(kRecordF1), "Power");
}

TEST_F(KeyTargets, ApplyBuildsTheDialogsRecordAndKeepsTheRepeatWithTheMacro) {
    KeyAssignment& a = WorkingStore().block->Record(1, kRecordA);
    a.ColourMark = 1;
    EXPECT_EQ(Applied(kRecordA, "macro:Hello*3"),
              (KeyAssignment{AssignmentType::kMacro, 3, 4, 1, 0}));
    EXPECT_EQ(WorkingStore().macros[0].repeat, 3); // what the keyboard plays
    EXPECT_EQ(Text(kRecordA), "macro:Hello*3");
    // A key given itself does its default; a G-key keeps its code.
    EXPECT_EQ(Applied(kRecordA, "a").type, AssignmentType::kDefault);
    EXPECT_EQ(Applied(kRecordG1, "B"), (KeyAssignment{AssignmentType::kKey, GKeyParam(1), 0x030}));
    EXPECT_EQ(Applied(kRecordG1, "default"), (KeyAssignment{0, GKeyParam(1), 0}));
    // Only profile 1 was touched.
    EXPECT_EQ(WorkingStore().block->Record(0, kRecordA), KeyAssignment{});
}

TEST_F(KeyTargets, RecordsNoTargetGivesAreDescribed) {
    KeyAssignment& a = WorkingStore().block->Record(1, kRecordA);
    a = {AssignmentType::kMacro, 1, 33};
    EXPECT_EQ(Text(kRecordA), "(macro 33, which is gone)");
    a = {AssignmentType::kProgram, 0, 0};
    WorkingStore().strings.Set(kRecordsPerArea + kRecordA, u"/usr/bin/true");
    EXPECT_EQ(Text(kRecordA), "(program \"/usr/bin/true\")");
    a = {AssignmentType::kMedia, 0, kMediaCount};
    EXPECT_EQ(Text(kRecordA), "(type 7, value 18)");
    a = {AssignmentType::kKey, 0, kMouseRight};
    EXPECT_EQ(Text(kRecordA), "mouse:right");
}

TEST(StoreComparison, KeysAndMacrosDifferByWhatTheyDoNotByTheirNumbers) {
    ProfileStore first;
    ProfileStore second;
    first.block = MakeDefaultBlock(0);
    second.block = MakeDefaultBlock(0);
    EXPECT_TRUE(CompareStores(first, second).Empty());

    // The same macro under another id, played by the same key: no difference.
    first.macros = {NamedMacro("Hello", 1)};
    second.macros = {NamedMacro("Other", 1), NamedMacro("Hello", 2)};
    first.block->Record(0, kRecordG1) = {AssignmentType::kMacro, 1, 1};
    second.block->Record(0, kRecordG1) = {AssignmentType::kMacro, 1, 2};
    second.block->Record(2, kRecordF1) = {AssignmentType::kMedia, 0, 7};
    second.macros[1].stepCount = 0;
    StoreDifferences d = CompareStores(first, second);
    ASSERT_EQ(d.keys.size(), 1u);
    EXPECT_EQ(d.keys[0].profile, 2);
    EXPECT_EQ(d.keys[0].name, "F1");
    EXPECT_EQ(d.keys[0].first, "default");
    EXPECT_EQ(d.keys[0].second, "media:Mute");
    ASSERT_EQ(d.macros.size(), 1u);
    EXPECT_EQ(d.macros[0].name, "Other");
    EXPECT_FALSE(d.macros[0].first);

    second.macros[1].stepCount = 1;
    second.macros[1].steps[0] = {10, 0x01E, MacroAction::kPress};
    d = CompareStores(first, second);
    ASSERT_EQ(d.macros.size(), 2u);
    EXPECT_EQ(d.macros[0].name, "Hello");
    EXPECT_EQ(d.macros[0].first->steps, "");
    EXPECT_EQ(d.macros[0].second->steps, "+A 10");
    // Records of no named key are compared too.
    second.block->Record(0, kFirstGKeyRecord + 12) = {AssignmentType::kDisabled};
    d = CompareStores(first, second);
    ASSERT_EQ(d.keys.size(), 2u);
    EXPECT_EQ(d.keys[0].name, "record 268"); // profile 0 comes first
    EXPECT_EQ(d.keys[0].second, "disabled");
}

} // namespace
