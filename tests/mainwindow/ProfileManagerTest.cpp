// SPDX-License-Identifier: GPL-3.0-or-later
// The profile manager opened from the main window over the simulated keyboard: its rows, Add,
// Load, Delete, Apply with the settings values and the reload, and a switch while it is open.

#include "MainWindowFixture.h"
#include "editors/CKestrow_DlgProfile.h"
#include "model/KeyRecordAccess.h"
#include "model/ProfileFile.h"
#include "model/ProfileFolder.h"
#include "model/ProfileStore.h"
#include "platform/ProgramNames.h"
#include "platform/SettingsHive.h"
#include "platform/UserFolders.h"
#include "skin/Language.h"
#include "skin/ui/CPngButton.h"
#include "skin/ui/ControlId.h"
#include "support/TempDir.h"
#include "widgets/CReportCtrl.h"

#include <QTimer>

namespace fs = std::filesystem;

namespace {

using Texts = std::vector<std::string>;
using Dlg = CKestrow_DlgProfile;
constexpr int kFactoryPositionA = 19;
constexpr KeyCode kKeyA = 0x1E;

uint16_t RecordType(int profile, KeyCode code) {
    std::lock_guard guard(WorkingStore().lock);
    const KeyAssignment* r = WorkingRecord(profile, RecordIndexOfCode(code));
    return r == nullptr ? 0xFFFF : r->type;
}

std::string Setting(const char* name) {
    return SettingsHive::Instance().ReadString(kProfilesSettingsKey, name).value_or("");
}

class ProfileManagerTest : public MainWindowTest {
protected:
    // Opens the manager with button 1005, runs `during` while it is open (the chooser of its
    // file dialogs in place), then cancels it if it is still open.
    int WhileOpen(const std::function<void(Dlg&)>& during) {
        QTimer::singleShot(0, [&] {
            Dlg* manager = dlg_->ProfileManager();
            ASSERT_NE(manager, nullptr);
            manager->SetFileChooser([this](const FileDialogRequest& request) {
                requests_.push_back(request);
                return nextChoice_;
            });
            during(*manager);
            if (manager->isVisible()) {
                manager->reject();
            }
        });
        dlg_->OnCommand(CKestrowDlg::kIdProfiles);
        return dlg_->ProfileManager() != nullptr ? dlg_->ProfileManager()->result() : -1;
    }
    static void Click(Dlg& manager, int id) { FindControlAs<CPngButton>(&manager, id)->click(); }
    static bool ApplyEnabled(Dlg& manager) {
        return FindControl(&manager, Dlg::kIdApply)->isEnabled();
    }
    void Load(Dlg& manager, const fs::path& file) {
        nextChoice_ = file;
        Click(manager, Dlg::kIdLoad);
    }
    static QString Cell(Dlg& manager, int row, int column) {
        return manager.List()->GetItemText(row, column);
    }

    TempDir files_;
    fs::path nextChoice_;
    std::vector<FileDialogRequest> requests_;
};

} // namespace

TEST_F(ProfileManagerTest, OpensWithTheThreeWorkingFilesAndTheActiveProfileMarked) {
    StartOnProfile(1);
    WhileOpen([&](Dlg& m) {
        EXPECT_EQ(m.OpenCount(), 1);
        ASSERT_EQ(m.List()->GetItemCount(), 3);
        const QString folder = QString::fromStdString((UserDataFolder() / "").string());
        for (int i = 0; i < 3; ++i) {
            EXPECT_EQ(Cell(m, i, Dlg::kColumnName), QStringLiteral("$Profile%1").arg(i));
            EXPECT_EQ(Cell(m, i, Dlg::kColumnFolder), folder);
            EXPECT_EQ(m.List()->IsItemChecked(i), i == 1);
        }
        EXPECT_EQ(m.List()->headerItem()->text(Dlg::kColumnActive).toStdString(),
                  LangText("PROFILE_COLUMN_ACTIVE", CurrentLanguageIndex()));
        EXPECT_FALSE(ApplyEnabled(m));
        EXPECT_FALSE(m.Modified());
    });
    EXPECT_EQ(dlg_->ProfileManager()->OpenCount(), 0);
    // Opening and cancelling sends nothing.
    EXPECT_TRUE(keyboard_->RequestLog().empty());
}

TEST_F(ProfileManagerTest, ApplyWithTwoAddedRowsWritesTheCountAndEveryPath) {
    StartOnProfile(0);
    const fs::path created = files_ / "new.fwc";
    const fs::path existing =
        MakeDefaultStore(files_ / "old.fwc", 0, DefaultStoreTarget::File) ? files_ / "old.fwc" : fs::path();
    WhileOpen([&](Dlg& m) {
        nextChoice_ = created;
        Click(m, Dlg::kIdAdd);
        Load(m, existing);
        EXPECT_TRUE(ApplyEnabled(m));
        Click(m, Dlg::kIdApply);
        EXPECT_FALSE(ApplyEnabled(m));
        EXPECT_TRUE(m.isVisible()) << "Apply keeps the dialog open";
    });
    const std::string folder = (UserDataFolder() / "").string();
    EXPECT_EQ(Setting("PROFILE00"), "5");
    EXPECT_EQ(Setting("PROFILE01"), folder + "$Profile0.fwc");
    EXPECT_EQ(Setting("PROFILE02"), folder + "$Profile1.fwc");
    EXPECT_EQ(Setting("PROFILE03"), folder + "$Profile2.fwc");
    EXPECT_EQ(Setting("PROFILE04"), created.string());
    EXPECT_EQ(Setting("PROFILE05"), existing.string());
    // The dialogs: Add starts at the new profile's name in the profile folder, Load at *.fwc
    // there, both with the profile file filters.
    ASSERT_EQ(requests_.size(), 2u);
    EXPECT_EQ(requests_[0].kind, FileDialogKind::Save);
    EXPECT_EQ(requests_[0].start,
              UserDataFolder() / LangText("PROFILE_NEW", CurrentLanguageIndex()));
    EXPECT_EQ(requests_[1].kind, FileDialogKind::Open);
    EXPECT_EQ(requests_[1].start, UserDataFolder() / "*.fwc");
    for (const FileDialogRequest& r : requests_) {
        EXPECT_EQ(NameFiltersOf(r.filter),
                  (QStringList{QStringLiteral("(*.fwc)"), QStringLiteral("(*.*) (*)")}));
        EXPECT_EQ(r.defaultSuffix, QStringLiteral("fwc"));
    }
}

TEST_F(ProfileManagerTest, AddWritesADefaultProfileFileOrSaysWhyNot) {
    StartOnProfile(0);
    const fs::path created = files_ / "fresh.fwc";
    WhileOpen([&](Dlg& m) {
        nextChoice_ = created;
        Click(m, Dlg::kIdAdd);
        ASSERT_EQ(m.List()->GetItemCount(), 4);
        EXPECT_EQ(Cell(m, 3, Dlg::kColumnName), QStringLiteral("fresh"));
        EXPECT_EQ(Cell(m, 3, Dlg::kColumnFolder),
                  QString::fromStdString((files_.path() / "").string()));

        // A file that cannot be written gets no row and says so.
        m.List()->SetItemStates(0, CReportCtrl::RC_ITEM_CHECKED); // Apply enabled either way
        nextChoice_ = files_ / "no-such-folder" / "x.fwc";
        Click(m, Dlg::kIdAdd);
        EXPECT_EQ(m.List()->GetItemCount(), 4);
    });
    EXPECT_EQ(messages_.Shown(), Texts{"PROFILE_PROMPT_ADD_FAILED"});
    EXPECT_EQ(CheckProfileFile(created, &messages_), kProfileFileValid);
    EXPECT_EQ(fs::file_size(created), kKeyRecordBlockSize);
    const std::string bytes = ReadFileBytes(created);
    EXPECT_EQ(bytes.substr(32, 32),
              std::string(kProfileInfoBlock.begin(), kProfileInfoBlock.end()));
    EXPECT_TRUE(keyboard_->RequestLog().empty());
}

TEST_F(ProfileManagerTest, LoadOnlyAddsARowAndTheKeysWaitForAReload) {
    StartOnProfile(0);
    // Any file is listed as it is: not even its format is checked.
    const fs::path file = files_.write("elsewhere.fwc", "not a profile file");
    WhileOpen([&](Dlg& m) {
        Load(m, file);
        ASSERT_EQ(m.List()->GetItemCount(), 4);
        EXPECT_EQ(Cell(m, 3, Dlg::kColumnName), QStringLiteral("elsewhere"));
        EXPECT_FALSE(m.List()->IsItemChecked(3));
        EXPECT_TRUE(ApplyEnabled(m));
        // Delete removes the selected row only; the file stays.
        m.List()->SetItemStates(3, CReportCtrl::RC_ITEM_SELECTED);
        Click(m, Dlg::kIdDelete);
        EXPECT_EQ(m.List()->GetItemCount(), 3);
    });
    EXPECT_TRUE(fs::exists(file));
    EXPECT_TRUE(messages_.Shown().empty());
    EXPECT_TRUE(keyboard_->RequestLog().empty());
    EXPECT_EQ(RecordType(0, kKeyA), AssignmentType::kDefault);
}

TEST_F(ProfileManagerTest, ApplyWithRow2MarkedMakesProfile2ActiveAndReloads) {
    StartOnProfile(0);
    SetKeyboardPosition(2, kFactoryPositionA, {0, 0, 0}); // A disabled in profile 3
    WhileOpen([&](Dlg& m) {
        m.List()->SetItemStates(2, CReportCtrl::RC_ITEM_CHECKED);
        EXPECT_FALSE(m.List()->IsItemChecked(0)) << "one mark only";
        EXPECT_TRUE(ApplyEnabled(m));
        Click(m, Dlg::kIdApply);
    });
    EXPECT_EQ(keyboard_->InfoBlock()[10], 2);
    // The info block rewritten, then the keyboard read again: key tables and macro area.
    const std::vector<uint8_t> folded = FoldedCommands(*keyboard_);
    ASSERT_GE(folded.size(), 4u);
    EXPECT_EQ((std::vector<uint8_t>(folded.begin(), folded.begin() + 4)),
              (std::vector<uint8_t>{3, 4, 7, 9}));
    EXPECT_EQ(RecordType(2, kKeyA), AssignmentType::kDisabled);
    EXPECT_TRUE(dlg_->Button(CKestrowDlg::kIdProfile1 + 2)->GetCheck());
    EXPECT_FALSE(dlg_->Button(CKestrowDlg::kIdProfile1)->GetCheck());
    EXPECT_EQ(dlg_->Button(CKestrowDlg::kIdProfiles)->text(), QStringLiteral("$Profile2"));
    EXPECT_EQ(dlg_->PendingChanges(), 0);
}

TEST_F(ProfileManagerTest, MarkingAFileThatIsNoProfileIsRefusedAndSendsNothing) {
    StartOnProfile(0);
    SettingsHive::Instance().WriteString(kProfilesSettingsKey, "PROFILE00", "untouched");
    WhileOpen([&](Dlg& m) {
        Load(m, files_ / "other.fwc");
        m.List()->SetItemStates(3, CReportCtrl::RC_ITEM_CHECKED);
        Click(m, Dlg::kIdApply);
        EXPECT_TRUE(ApplyEnabled(m));
        // OK is Apply and close: refused, it stays open.
        Click(m, Dlg::IDOK);
        EXPECT_TRUE(m.isVisible());
    });
    EXPECT_EQ(messages_.Shown(),
              (Texts{"PROFILE_PROMPT_NOT_ONBOARD", "PROFILE_PROMPT_NOT_ONBOARD"}));
    EXPECT_TRUE(keyboard_->RequestLog().empty());
    EXPECT_EQ(keyboard_->ActiveProfile(), 0);
    EXPECT_EQ(Setting("PROFILE00"), "untouched");
}

TEST_F(ProfileManagerTest, ASortedListStillActivatesTheProfileOfTheMarkedRow) {
    StartOnProfile(0);
    const fs::path other = files_ / "zeta.fwc";
    WhileOpen([&](Dlg& m) {
        Load(m, other);
        // Descending by name: zeta, $Profile2, $Profile1, $Profile0.
        m.List()->SortByColumn(Dlg::kColumnName);
        m.List()->SortByColumn(Dlg::kColumnName);
        ASSERT_EQ(Cell(m, 0, Dlg::kColumnName), QStringLiteral("zeta"));
        ASSERT_EQ(Cell(m, 1, Dlg::kColumnName), QStringLiteral("$Profile2"));
        m.List()->SetItemStates(1, CReportCtrl::RC_ITEM_CHECKED);
        Click(m, Dlg::IDOK);
        EXPECT_FALSE(m.isVisible());
    });
    EXPECT_EQ(dlg_->ProfileManager()->result(), QDialog::Accepted);
    EXPECT_EQ(keyboard_->ActiveProfile(), 2);
    // The settings values follow the list's order.
    EXPECT_EQ(Setting("PROFILE01"), other.string());
    EXPECT_EQ(Setting("PROFILE02"), (UserDataFolder() / "$Profile2.fwc").string());
}

TEST_F(ProfileManagerTest, ASwitchWhileOpenMovesTheMarkAndDisablesApply) {
    StartOnProfile(0);
    WhileOpen([&](Dlg& m) {
        // Without changes in the manager the switch asks nothing.
        dlg_->OnCommand(CKestrowDlg::kProfileMenuFirst + 1 + 1);
        EXPECT_TRUE(messages_.Shown().empty());
        EXPECT_TRUE(m.List()->IsItemChecked(1));
        EXPECT_FALSE(m.List()->IsItemChecked(0));

        // Its unapplied changes count as changes: the switch asks first.
        m.List()->SetItemStates(0, CReportCtrl::RC_ITEM_CHECKED);
        EXPECT_TRUE(ApplyEnabled(m));
        messages_.Answer(false);
        dlg_->OnCommand(CKestrowDlg::kProfileMenuFirst + 1 + 2);
        EXPECT_EQ(messages_.Shown(), Texts{"PROFILE_SELECT_PROMPT"});
        EXPECT_TRUE(m.List()->IsItemChecked(2));
        EXPECT_FALSE(m.List()->IsItemChecked(0));
        EXPECT_FALSE(ApplyEnabled(m));
        EXPECT_FALSE(m.Modified());
    });
    EXPECT_EQ(keyboard_->ActiveProfile(), 2);
    // Closed, it is no longer told about switches.
    messages_.Clear();
    dlg_->OnCommand(CKestrowDlg::kProfileMenuFirst + 1);
    EXPECT_TRUE(messages_.Shown().empty());
    EXPECT_EQ(keyboard_->ActiveProfile(), 0);
}

TEST_F(ProfileManagerTest, UnsentKeyEditsAreOfferedForSendingBeforeTheReload) {
    StartOnProfile(0);
    {
        std::lock_guard guard(WorkingStore().lock);
        CurrentRecord(kKeyA)->type = AssignmentType::kDisabled;
    }
    dlg_->SetPendingChanges(1);
    // OK applies the list even when only the key map has changes.
    messages_.Answer(true);
    WhileOpen([&](Dlg& m) { Click(m, Dlg::IDOK); });
    EXPECT_EQ(messages_.Shown(), Texts{"PROFILE_PROMPT_RELOAD"});
    // Sent first (session, macro area, key table), then read back with the rest.
    const std::vector<uint8_t> folded = FoldedCommands(*keyboard_);
    ASSERT_GE(folded.size(), 4u);
    EXPECT_EQ((std::vector<uint8_t>(folded.begin(), folded.begin() + 4)),
              (std::vector<uint8_t>{1, 10, 8, 2}));
    EXPECT_EQ(keyboard_->KeyTable(0)[kFactoryPositionA * 3 + 2], 0);
    EXPECT_EQ(RecordType(0, kKeyA), AssignmentType::kDisabled);
    EXPECT_EQ(dlg_->PendingChanges(), 0);

    // Answered No, the reload replaces them.
    {
        std::lock_guard guard(WorkingStore().lock);
        CurrentRecord(kKeyA)->type = AssignmentType::kDefault;
    }
    dlg_->SetPendingChanges(1);
    messages_.Answer(false);
    WhileOpen([&](Dlg& m) { Click(m, Dlg::IDOK); });
    EXPECT_EQ(RecordType(0, kKeyA), AssignmentType::kDisabled);
    EXPECT_EQ(dlg_->PendingChanges(), 0);
}

TEST_F(ProfileManagerTest, CancelChangesNothingAndEachOpeningStartsFromTheWorkingFiles) {
    StartOnProfile(0);
    SettingsHive::Instance().WriteString(kProfilesSettingsKey, "PROFILE00", "untouched");
    const int result = WhileOpen([&](Dlg& m) {
        Load(m, files_ / "other.fwc");
        m.List()->SetItemStates(3, CReportCtrl::RC_ITEM_CHECKED);
        Click(m, Dlg::IDCANCEL);
    });
    EXPECT_EQ(result, QDialog::Rejected);
    EXPECT_EQ(Setting("PROFILE00"), "untouched");
    EXPECT_TRUE(keyboard_->RequestLog().empty());
    // OK closes with the skin pictures freed; the next opening has them and its own rows.
    WhileOpen([&](Dlg& m) { Click(m, Dlg::IDOK); });
    EXPECT_EQ(dlg_->ProfileManager()->result(), QDialog::Accepted);
    EXPECT_EQ(Setting("PROFILE00"), "3");
    WhileOpen([&](Dlg& m) {
        EXPECT_NE(m.Background(), nullptr);
        EXPECT_EQ(m.List()->GetItemCount(), 3);
        EXPECT_TRUE(m.List()->IsItemChecked(0));
    });
}
