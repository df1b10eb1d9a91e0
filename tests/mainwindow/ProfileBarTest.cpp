// SPDX-License-Identifier: GPL-3.0-or-later
// The profile bar: switching with its question, restore default, backup and restore files.

#include "MainWindowFixture.h"
#include "model/KeyRecordAccess.h"
#include "model/ProfileFile.h"
#include "model/ProfileFolder.h"
#include "model/ProfileStore.h"
#include "skin/ui/CPngButton.h"
#include "support/TempDir.h"

#include <QMenu>
#include <fstream>
#include <iterator>

namespace {

constexpr int kFactoryPositionA = 19;

std::string ReadAll(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

void WriteAll(const std::filesystem::path& file, const std::string& bytes) {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// A profile button first rereads the lighting (info block, session, the three records) and
// uploads the profile's user colours (the keyboard offers effect 20); then come the commands of
// the switch.
std::vector<uint8_t> AfterLightingReread(std::initializer_list<uint8_t> switchCommands) {
    std::vector<uint8_t> commands = {3, 1, 5, 2, 1, 17, 2};
    commands.insert(commands.end(), switchCommands);
    return commands;
}

class ProfileBarTest : public MainWindowTest {
protected:
    void ChooseFile(const std::filesystem::path& path) {
        dlg_->SetFileChooser([path](bool) { return path; });
    }
    TempDir files_;
};

} // namespace

TEST_F(ProfileBarTest, SwitchingWithoutChangesOnlyRewritesTheInfoBlock) {
    StartOnProfile(0);
    dlg_->OnCommand(CKestrowDlg::kIdProfile1 + 2);
    EXPECT_EQ(keyboard_->ActiveProfile(), 2);
    EXPECT_EQ(FoldedCommands(*keyboard_), AfterLightingReread({3, 4}));
    EXPECT_TRUE(dlg_->Button(CKestrowDlg::kIdProfile1 + 2)->GetCheck());
    EXPECT_FALSE(dlg_->Button(CKestrowDlg::kIdProfile1)->GetCheck());
    EXPECT_EQ(dlg_->Button(CKestrowDlg::kIdProfiles)->text(), QStringLiteral("$Profile2"));
    EXPECT_TRUE(messages_.Shown().empty());
    // The profile that is already active sends no profile change, and the view goes back to
    // function view only on a real change.
    dlg_->OnCommand(CKestrowDlg::kIdSwitch);
    keyboard_->ClearFrameLog();
    dlg_->OnCommand(CKestrowDlg::kIdProfile1 + 2);
    EXPECT_EQ(FoldedCommands(*keyboard_), AfterLightingReread({}));
    EXPECT_EQ(dlg_->ViewMode(), 1);
    dlg_->OnCommand(CKestrowDlg::kIdProfile1 + 1);
    EXPECT_EQ(dlg_->ViewMode(), 0);
    EXPECT_EQ(DeviceState().CurrentProfile.load(), 1);
    // The pop-up's items switch too: 9001 + n.
    dlg_->OnCommand(9001);
    EXPECT_EQ(keyboard_->ActiveProfile(), 0);
}

TEST_F(ProfileBarTest, SwitchingWithChangesAnsweredYesAppliesThenSwitches) {
    StartOnProfile(0);
    SetActiveType(0x1E, AssignmentType::kDisabled);
    dlg_->SetPendingChanges(1);
    messages_.Answer(true);
    dlg_->OnCommand(CKestrowDlg::kIdProfile1 + 1);
    EXPECT_EQ(messages_.Shown(), std::vector<std::string>{"PROFILE_SELECT_PROMPT"});
    EXPECT_EQ(FoldedCommands(*keyboard_), AfterLightingReread({1, 10, 8, 2, 3, 4}));
    EXPECT_EQ(RequestOffsets(*keyboard_, 8).front(), 0u); // profile 1's table
    EXPECT_EQ(keyboard_->KeyTable(0)[kFactoryPositionA * 3 + 2], 0);
    EXPECT_EQ(keyboard_->ActiveProfile(), 1);
    EXPECT_EQ(dlg_->PendingChanges(), 0);
    EXPECT_TRUE(dlg_->Button(CKestrowDlg::kIdProfile1 + 1)->GetCheck());
}

TEST_F(ProfileBarTest, SwitchingWithChangesAnsweredNoBringsTheWorkingFileBack) {
    StartOnProfile(0);
    SetActiveType(0x1E, AssignmentType::kDisabled);
    dlg_->SetPendingChanges(1);
    messages_.Answer(false);
    dlg_->OnCommand(CKestrowDlg::kIdProfile1 + 1);
    EXPECT_EQ(messages_.Shown(), std::vector<std::string>{"PROFILE_SELECT_PROMPT"});
    EXPECT_EQ(FoldedCommands(*keyboard_), AfterLightingReread({3, 4}));
    EXPECT_EQ(keyboard_->ActiveProfile(), 1);
    EXPECT_EQ(dlg_->PendingChanges(), 0);
    std::lock_guard guard(WorkingStore().lock);
    EXPECT_EQ(WorkingRecord(0, 0x1E)->type, AssignmentType::kDefault);
}

TEST_F(ProfileBarTest, ASecondSwitchWhileTheQuestionIsOpenIsRefused) {
    StartOnProfile(0);
    dlg_->SetPendingChanges(1);
    bool inner = true;
    messages_.WhileAsking([&] { inner = dlg_->SwitchProfile(2); });
    messages_.Answer(false);
    EXPECT_TRUE(dlg_->SwitchProfile(1));
    EXPECT_FALSE(inner);
    EXPECT_EQ(keyboard_->ActiveProfile(), 1);
    EXPECT_EQ(FoldedCommands(*keyboard_), (std::vector<uint8_t>{3, 4}));
}

TEST_F(ProfileBarTest, RestoreDefault) {
    StartOnProfile(1);
    SetActiveType(0x1E, AssignmentType::kDisabled);
    SetActiveType(GKeyCode(1), AssignmentType::kDisabled);
    // No changes nothing at all.
    messages_.Answer(false);
    dlg_->OnCommand(CKestrowDlg::kIdDefault);
    EXPECT_EQ(messages_.Shown(), std::vector<std::string>{"MAIN_PROMPT_DEFAULT"});
    EXPECT_EQ(ActiveType(0x1E), AssignmentType::kDisabled);
    EXPECT_TRUE(keyboard_->RequestLog().empty());
    EXPECT_EQ(dlg_->PendingChanges(), 0);
    // Yes clears the profile's keys and sends them at once.
    messages_.Answer(true);
    dlg_->OnCommand(CKestrowDlg::kIdDefault);
    EXPECT_EQ(ActiveType(0x1E), AssignmentType::kDefault);
    EXPECT_EQ(ActiveType(GKeyCode(1)), AssignmentType::kDefault);
    EXPECT_EQ(FoldedCommands(*keyboard_), (std::vector<uint8_t>{1, 10, 8, 2}));
    EXPECT_EQ(RequestOffsets(*keyboard_, 8).front(), 378u);
    EXPECT_EQ(dlg_->PendingChanges(), 0);
}

TEST_F(ProfileBarTest, ExportWritesTheWholeStoreAndSendsNothing) {
    StartOnProfile(0);
    const std::filesystem::path file = files_.path() / "backup.fwc";
    ChooseFile(file);
    dlg_->OnCommand(CKestrowDlg::kCommandExport);
    const std::string bytes = ReadAll(file);
    ASSERT_EQ(bytes.size(), 32832u);
    EXPECT_EQ(static_cast<uint8_t>(bytes[8]) | (static_cast<uint8_t>(bytes[9]) << 8) |
                  (static_cast<uint8_t>(bytes[10]) << 16),
              0x8040);
    EXPECT_EQ(CheckProfileFile(file, nullptr), kProfileFileValid);
    EXPECT_TRUE(keyboard_->RequestLog().empty());
    EXPECT_TRUE(messages_.Shown().empty());
    // A cancelled dialog does nothing.
    ChooseFile({});
    dlg_->OnCommand(CKestrowDlg::kCommandExport);
    dlg_->OnCommand(CKestrowDlg::kCommandImport);
    EXPECT_TRUE(messages_.Shown().empty());
}

TEST_F(ProfileBarTest, ImportSendsAllThreeProfilesOrNothing) {
    StartOnProfile(2);
    const std::filesystem::path good = files_.path() / "good.fwc";
    SetActiveType(0x1E, AssignmentType::kDisabled);
    ChooseFile(good);
    dlg_->OnCommand(CKestrowDlg::kCommandExport);
    SetActiveType(0x1E, AssignmentType::kDefault);
    std::string bytes = ReadAll(good);
    ASSERT_EQ(bytes.size(), 32832u);

    // A bad checksum: the format error, then the import message; nothing sent or changed.
    const std::filesystem::path bad = files_.path() / "bad.fwc";
    std::string broken = bytes;
    broken[31] = static_cast<char>(broken[31] ^ 0x5A);
    WriteAll(bad, broken);
    ChooseFile(bad);
    dlg_->OnCommand(CKestrowDlg::kCommandImport);
    EXPECT_EQ(messages_.Shown(),
              (std::vector<std::string>{"PROFILE_FORMAT_ERROR", "MAIN_PROMPT_INPORT"}));
    EXPECT_TRUE(keyboard_->RequestLog().empty());
    EXPECT_EQ(ActiveType(0x1E), AssignmentType::kDefault);

    // Too small: only the import message.
    messages_.Clear();
    WriteAll(bad, bytes.substr(0, 100));
    dlg_->OnCommand(CKestrowDlg::kCommandImport);
    EXPECT_EQ(messages_.Shown(), std::vector<std::string>{"MAIN_PROMPT_INPORT"});

    // A header that promises a macro the file does not hold passes the check, but the store
    // must not be emptied and sent: the import stops there.
    messages_.Clear();
    std::string cut = bytes;
    std::array<uint8_t, 32> header{};
    std::copy_n(cut.begin(), 32, header.begin());
    StampHeader(std::span<uint8_t, 32>(header), 1, 0, 0);
    std::copy(header.begin(), header.end(), cut.begin());
    WriteAll(bad, cut);
    ASSERT_EQ(CheckProfileFile(bad, nullptr), kProfileFileValid);
    dlg_->SetPendingChanges(1);
    dlg_->OnCommand(CKestrowDlg::kCommandImport);
    EXPECT_EQ(messages_.Shown(), std::vector<std::string>{"MAIN_PROMPT_INPORT"});
    EXPECT_TRUE(keyboard_->RequestLog().empty());
    EXPECT_EQ(dlg_->PendingChanges(), 1);
    EXPECT_EQ(ActiveType(0x1E), AssignmentType::kDefault);
    dlg_->SetPendingChanges(0);

    // A good file: begin, macro area, the tables of profiles 1, 2 and 3, end.
    messages_.Clear();
    ChooseFile(good);
    dlg_->SetPendingChanges(1);
    dlg_->OnCommand(CKestrowDlg::kCommandImport);
    EXPECT_TRUE(messages_.Shown().empty());
    EXPECT_EQ(FoldedCommands(*keyboard_), (std::vector<uint8_t>{1, 10, 8, 2}));
    const std::vector<unsigned> offsets = RequestOffsets(*keyboard_, 8);
    EXPECT_EQ(offsets.front(), 0u);
    EXPECT_GE(offsets.back(), 2u * 378u);
    EXPECT_EQ(ActiveType(0x1E), AssignmentType::kDisabled);
    EXPECT_TRUE(dlg_->Button(1058)->GetCheck());
    EXPECT_EQ(keyboard_->KeyTable(2)[kFactoryPositionA * 3 + 2], 0);
    EXPECT_EQ(dlg_->PendingChanges(), 0);
}

TEST_F(ProfileBarTest, ASwitchTheKeyboardDidNotTakeLeavesTheButtonsAsTheyWere) {
    StartOnProfile(0);
    keyboard_->FailWrites(kSimForever);
    dlg_->OnCommand(CKestrowDlg::kIdProfile1 + 2);
    keyboard_->FailWrites(0);
    EXPECT_EQ(keyboard_->ActiveProfile(), 0);
    EXPECT_TRUE(dlg_->Button(CKestrowDlg::kIdProfile1)->GetCheck());
    EXPECT_FALSE(dlg_->Button(CKestrowDlg::kIdProfile1 + 2)->GetCheck());
    EXPECT_EQ(DeviceState().CachedProfile.load(), 0);
}

TEST_F(ProfileBarTest, ASwitchWhoseApplyFailedStaysOnTheProfileWithTheChanges) {
    StartOnProfile(0);
    SetActiveType(0x1E, AssignmentType::kDisabled);
    dlg_->SetPendingChanges(1);
    // The session opens but the macro area does not get through: the edits are not on the
    // keyboard, so leaving the profile would strand them.
    messages_.WhileAsking([&] { keyboard_->FailWrites(2); });
    messages_.Answer(true);
    dlg_->OnCommand(CKestrowDlg::kIdProfile1 + 1);
    keyboard_->FailWrites(0);
    EXPECT_EQ(keyboard_->ActiveProfile(), 0);
    EXPECT_EQ(DeviceState().CachedProfile.load(), 0);
    EXPECT_EQ(dlg_->PendingChanges(), 1);
    EXPECT_TRUE(dlg_->Button(CKestrowDlg::kIdProfile1)->GetCheck());
    EXPECT_FALSE(dlg_->Button(CKestrowDlg::kIdProfile1 + 1)->GetCheck());
    EXPECT_EQ(ActiveType(0x1E), AssignmentType::kDisabled);

    // Asked again, the Apply gets through and the switch follows.
    messages_.Answer(true);
    dlg_->OnCommand(CKestrowDlg::kIdProfile1 + 1);
    EXPECT_EQ(keyboard_->KeyTable(0)[kFactoryPositionA * 3 + 2], 0);
    EXPECT_EQ(keyboard_->ActiveProfile(), 1);
    EXPECT_EQ(dlg_->PendingChanges(), 0);
}

TEST_F(ProfileBarTest, ChangesWhoseApplyFailedAreDroppedWhenTheSwitchIsAnsweredNo) {
    StartOnProfile(0);
    SetActiveType(0x1E, AssignmentType::kDisabled);
    dlg_->SetPendingChanges(1);
    // The keyboard takes nothing: the working file must still hold what the keyboard has, so
    // that dropping the edits brings that back.
    keyboard_->FailWrites(kSimForever);
    dlg_->OnCommand(CKestrowDlg::kIdApply);
    keyboard_->FailWrites(0);
    ASSERT_EQ(dlg_->PendingChanges(), 1);
    messages_.Answer(false);
    dlg_->OnCommand(CKestrowDlg::kIdProfile1 + 1);
    EXPECT_EQ(keyboard_->ActiveProfile(), 1);
    std::lock_guard guard(WorkingStore().lock);
    ASSERT_NE(WorkingRecord(0, 0x1E), nullptr);
    EXPECT_EQ(WorkingRecord(0, 0x1E)->type, AssignmentType::kDefault);
    EXPECT_EQ(keyboard_->KeyTable(0)[kFactoryPositionA * 3 + 2], 0x04) << "A is still A";
}

TEST_F(ProfileBarTest, DroppedChangesWithoutAWorkingFileAreReadBackFromTheKeyboard) {
    StartOnProfile(0);
    SetActiveType(0x1E, AssignmentType::kDisabled);
    dlg_->SetPendingChanges(1);
    std::filesystem::remove(ProfilePath(0));
    messages_.Answer(false);
    dlg_->OnCommand(CKestrowDlg::kIdProfile1 + 1);
    EXPECT_EQ(keyboard_->ActiveProfile(), 1);
    EXPECT_EQ(dlg_->PendingChanges(), 0);
    // The edit answered No is gone: the first profile's records are the keyboard's again.
    {
        std::lock_guard guard(WorkingStore().lock);
        ASSERT_NE(WorkingRecord(0, 0x1E), nullptr);
        EXPECT_EQ(WorkingRecord(0, 0x1E)->type, AssignmentType::kDefault);
    }
    // Back on the first profile nothing is asked and A is not shown as changed.
    dlg_->OnCommand(CKestrowDlg::kIdProfile1);
    EXPECT_EQ(keyboard_->ActiveProfile(), 0);
    EXPECT_EQ(messages_.Shown(), std::vector<std::string>{"PROFILE_SELECT_PROMPT"});
    EXPECT_FALSE(dlg_->Button(1058)->GetCheck());
}

TEST_F(ProfileBarTest, ThePopUpsItemsSwitchAndTheProfileButtonsFollow) {
    StartOnProfile(2);
    dlg_->OnCommand(CKestrowDlg::kProfileMenuFirst + 2); // $Profile1
    EXPECT_EQ(keyboard_->ActiveProfile(), 1);
    EXPECT_TRUE(dlg_->Button(CKestrowDlg::kIdProfile1 + 1)->GetCheck());
    EXPECT_FALSE(dlg_->Button(CKestrowDlg::kIdProfile1 + 2)->GetCheck());
    EXPECT_TRUE(dlg_->ProfileMenu()->actions().value(3)->isChecked());
    EXPECT_EQ(dlg_->Button(CKestrowDlg::kIdProfiles)->text(), QStringLiteral("$Profile1"));

    // In colour view the marks shown are those of the profile switched to.
    dlg_->OnCommand(CKestrowDlg::kIdSwitch);
    {
        std::lock_guard guard(WorkingStore().lock);
        WorkingRecord(0, 0)->ColourMark = 1;
    }
    EXPECT_EQ(dlg_->Button(1058)->PickedFace(), CPngButton::Face::Custom1);
    dlg_->OnCommand(CKestrowDlg::kProfileMenuFirst + 1); // $Profile0
    EXPECT_EQ(keyboard_->ActiveProfile(), 0);
    EXPECT_TRUE(dlg_->Button(CKestrowDlg::kIdProfile1)->GetCheck());
    EXPECT_FALSE(dlg_->Button(CKestrowDlg::kIdProfile1 + 1)->GetCheck());
    EXPECT_EQ(dlg_->Button(1058)->PickedFace(), CPngButton::Face::Custom2);
    EXPECT_TRUE(messages_.Shown().empty());
}

TEST_F(ProfileBarTest, AnImportInColourViewShowsTheMarksOfTheImportedFile) {
    StartOnProfile(0);
    const std::filesystem::path file = files_.path() / "marked.fwc";
    {
        std::lock_guard guard(WorkingStore().lock);
        WorkingRecord(0, 0)->ColourMark = 1;
    }
    ChooseFile(file);
    dlg_->OnCommand(CKestrowDlg::kCommandExport);
    {
        std::lock_guard guard(WorkingStore().lock);
        WorkingRecord(0, 0)->ColourMark = 0;
    }
    dlg_->OnCommand(CKestrowDlg::kIdSwitch);
    ASSERT_EQ(dlg_->Button(1058)->PickedFace(), CPngButton::Face::Custom1);
    dlg_->OnCommand(CKestrowDlg::kCommandImport);
    EXPECT_TRUE(messages_.Shown().empty());
    EXPECT_EQ(dlg_->Button(1058)->PickedFace(), CPngButton::Face::Custom2);
    EXPECT_EQ(dlg_->Button(1000)->PickedFace(), CPngButton::Face::Custom2); // G1 shares it
}

TEST_F(ProfileBarTest, AnImportTheKeyboardDidNotTakeStaysPending) {
    StartOnProfile(0);
    const std::filesystem::path file = files_.path() / "backup.fwc";
    SetActiveType(0x1E, AssignmentType::kDisabled);
    ChooseFile(file);
    dlg_->OnCommand(CKestrowDlg::kCommandExport);
    SetActiveType(0x1E, AssignmentType::kDefault);
    keyboard_->ClearFrameLog();
    // The macro area does not get through: the keyboard does not hold the file.
    keyboard_->FailWrites(2);
    dlg_->OnCommand(CKestrowDlg::kCommandImport);
    keyboard_->FailWrites(0);
    EXPECT_EQ(ActiveType(0x1E), AssignmentType::kDisabled);
    EXPECT_EQ(dlg_->PendingChanges(), 1);
    EXPECT_TRUE(dlg_->Button(CKestrowDlg::kIdApply)->isEnabled());
    // Apply sends it again.
    keyboard_->ClearFrameLog();
    dlg_->ApplyChanges();
    EXPECT_EQ(FoldedCommands(*keyboard_), (std::vector<uint8_t>{1, 10, 8, 2}));
    EXPECT_EQ(keyboard_->KeyTable(0)[kFactoryPositionA * 3 + 2], 0);
    EXPECT_EQ(dlg_->PendingChanges(), 0);
}

TEST_F(ProfileBarTest, ThePopUpsDefaultItemSwitchesNothing) {
    StartOnProfile(2);
    dlg_->OnCommand(CKestrowDlg::kProfileMenuFirst);
    EXPECT_TRUE(keyboard_->RequestLog().empty());
    EXPECT_EQ(keyboard_->ActiveProfile(), 2);
    EXPECT_TRUE(dlg_->Button(CKestrowDlg::kIdProfile1 + 2)->GetCheck());
    // Nothing switches, so pending edits are neither asked about nor dropped.
    SetActiveType(0x1E, AssignmentType::kDisabled);
    dlg_->SetPendingChanges(1);
    dlg_->OnCommand(CKestrowDlg::kProfileMenuFirst);
    EXPECT_TRUE(keyboard_->RequestLog().empty());
    EXPECT_TRUE(messages_.Shown().empty());
    EXPECT_EQ(ActiveType(0x1E), AssignmentType::kDisabled);
    EXPECT_EQ(dlg_->PendingChanges(), 1);
}
