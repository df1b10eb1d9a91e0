// SPDX-License-Identifier: GPL-3.0-or-later
#include "model/AssignmentText.h"

#include "SimKeyboardFixture.h"
#include "model/KeyRecordAccess.h"
#include "model/MacroChecks.h"

#include <gtest/gtest.h>

namespace {

class Assignments : public SimKeyboardTest {
protected:
    void SetUp() override {
        SimKeyboardTest::SetUp();
        DeviceState().CachedProfile.store(1);
        MacroRecord macro;
        macro.id = 5;
        SetMacroName(macro, std::string_view("Greeting"));
        WorkingStore().macros = {macro};
    }
    MacroRecord Macro(uint16_t id, uint16_t isNew = 0) {
        MacroRecord m;
        m.id = id;
        m.isNew = isNew;
        return m;
    }
    std::unique_lock<std::recursive_mutex> guard{WorkingStore().lock};
};

TEST_F(Assignments, TooltipsNameTheKeyAndWhatItWasGiven) {
    auto text = [](KeyCode code, KeyAssignment r) { return DescribeAssignmentText(code, r); };
    EXPECT_EQ(text(0x01E, {}).tooltip, "A");
    EXPECT_FALSE(text(0x01E, {}).assigned);
    EXPECT_EQ(text(0x01E, {AssignmentType::kKey, 0, 0x030}).tooltip, "A (set): key (B)");
    EXPECT_TRUE(text(0x01E, {AssignmentType::kKey, 0, 0x030}).assigned);
    EXPECT_EQ(text(GKeyCode(3), {AssignmentType::kMacro, 1, 5}).tooltip,
              "G3 (set): macro (Greeting)");
    EXPECT_EQ(text(GKeyCode(12), {AssignmentType::kMacro, 1, 6}).tooltip, "G3 (set): macro ()");
    EXPECT_EQ(text(0x001, {AssignmentType::kMedia, 0, 7}).tooltip, "Esc (set): media (Mute)");
    EXPECT_EQ(text(0x001, {AssignmentType::kMedia, 0, 99}).tooltip, "Esc (set): media ()");
    EXPECT_EQ(text(0x001, {AssignmentType::kFunction, 0, 2}).tooltip, "Esc (set): function (Copy)");
    for (uint16_t type : {AssignmentType::kDisabled, AssignmentType::kProgram,
                          AssignmentType::kStopMacro, AssignmentType::kText}) {
        EXPECT_EQ(text(0x001, {type}).tooltip, "Esc (set)");
    }
    EXPECT_EQ(text(0x064, {}).tooltip, "Unknown (100)");
}

TEST_F(Assignments, RestoreDefaultClearsTheActiveProfilesButtonsOnly) {
    buttons.codes = {0x01E, GKeyCode(2)};
    Block().Record(1, 0x01E) = {AssignmentType::kDisabled, 0, 0, 1};
    Block().Record(1, 257) = {AssignmentType::kMacro, 3, 5};
    Block().Record(1, 0x030) = {AssignmentType::kDisabled}; // no button
    Block().Record(0, 0x01E) = {AssignmentType::kDisabled};
    ASSERT_TRUE(ResetProfileAssignments(buttons));
    EXPECT_EQ(Block().Record(1, 0x01E), KeyAssignment{});
    EXPECT_EQ(Block().Record(1, 257), KeyAssignment{});
    EXPECT_EQ(Block().Record(1, 0x030).type, AssignmentType::kDisabled);
    EXPECT_EQ(Block().Record(0, 0x01E).type, AssignmentType::kDisabled);
    EXPECT_EQ(buttons.described.size(), 2u);
    EXPECT_EQ(buttons.described[GKeyCode(2)], (std::pair<std::string, bool>{"G2", false}));
    EXPECT_EQ(buttons.pending, std::vector<int>{1});

    // No active profile: nothing to restore.
    DeviceState().CachedProfile.store(-1);
    DeviceState().DeviceOpen.store(0);
    Block().Record(1, 0x01E).type = AssignmentType::kDisabled;
    EXPECT_FALSE(ResetProfileAssignments(buttons));
    EXPECT_EQ(Block().Record(1, 0x01E).type, AssignmentType::kDisabled);
    EXPECT_EQ(buttons.pending, std::vector<int>{1});
}

TEST_F(Assignments, DeletingAUsedMacroAsksFirst) {
    EXPECT_TRUE(MacroMayBeDeleted(Macro(5), messages));
    EXPECT_TRUE(messages.asked.empty());
    EXPECT_FALSE(MacroDeletedFlag.load());
    // Only a G-key of another profile uses it.
    Block().Record(2, 270) = {AssignmentType::kMacro, 1, 5};
    EXPECT_FALSE(MacroMayBeDeleted(Macro(5), messages));
    EXPECT_EQ(messages.asked, std::vector<std::string>{"MACRO_DELETE_CONFIRM_OF_KEYS"});
    EXPECT_TRUE(MacroDeletedFlag.load());
    messages.answer = true;
    EXPECT_TRUE(MacroMayBeDeleted(Macro(5), messages));
    // One not yet applied goes without a question.
    EXPECT_TRUE(MacroMayBeDeleted(Macro(5, 1), messages));
    EXPECT_EQ(messages.asked.size(), 2u);
}

TEST_F(Assignments, ApplyingTheDialogsListResolvesEveryMacroReference) {
    buttons.codes = {0x01E, 0x030, GKeyCode(3)};
    Block().Record(1, 0x01E) = {AssignmentType::kMacro, 2, 5};       // kept
    Block().Record(1, 0x030) = {AssignmentType::kMacro, 2, 7};       // gone
    Block().Record(1, 258) = {AssignmentType::kMacro, 2, 8};         // not yet applied
    Block().Record(0, 0x030) = {AssignmentType::kMacro, 2, 0x10005}; // 16 bits: id 5
    Block().Record(2, 0x02E) = {AssignmentType::kMacro, 2, 0};       // no id yet
    Block().Record(0, 0x02E) = {AssignmentType::kMacro, 2, 9};       // gone, not shown
    // The colour view's mark of that record number belongs to a button, not to the macro.
    Block().Record(0, 0x02E).ColourMark = 1;
    ApplyDialogMacros({Macro(5), Macro(8, 1)}, &buttons);
    EXPECT_EQ(Block().Record(1, 0x01E).value, 5u);
    EXPECT_EQ(Block().Record(1, 0x030), KeyAssignment{});
    EXPECT_EQ(Block().Record(1, 258), (KeyAssignment{0, 0x303, 0}));
    EXPECT_EQ(Block().Record(0, 0x030).type, AssignmentType::kMacro);
    EXPECT_EQ(Block().Record(2, 0x02E).value, 5u);
    EXPECT_EQ(Block().Record(0, 0x02E), (KeyAssignment{0, 0, 0, 1}));
    // The buttons show profile 1: only its changed records are redescribed.
    EXPECT_EQ(buttons.described.size(), 2u);
    EXPECT_FALSE(buttons.described[0x030].second);
    EXPECT_FALSE(buttons.described[GKeyCode(3)].second);
    EXPECT_EQ(buttons.pending, std::vector<int>{1});
    ASSERT_EQ(WorkingStore().macros.size(), 2u);
    EXPECT_EQ(WorkingStore().macros[1].isNew, 0);

    // An empty list turns every macro key back to default.
    buttons.pending.clear();
    ApplyDialogMacros({}, &buttons);
    EXPECT_EQ(Block().Record(1, 0x01E).type, AssignmentType::kDefault);
    EXPECT_EQ(Block().Record(0, 0x030).type, AssignmentType::kDefault);
    EXPECT_TRUE(WorkingStore().macros.empty());
    EXPECT_EQ(buttons.pending, std::vector<int>{1});
    // Nothing to change: the flag is left alone.
    buttons.pending.clear();
    ApplyDialogMacros({}, &buttons);
    EXPECT_TRUE(buttons.pending.empty());
}

} // namespace
