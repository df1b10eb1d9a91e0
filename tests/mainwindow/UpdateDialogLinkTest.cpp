// SPDX-License-Identifier: GPL-3.0-or-later
// The firmware update dialog seen from the main window: reached from menu 144, and left open
// when the keyboard goes away after the boot request.

#include "MainWindowFixture.h"
#include "device/ui/CKestrow_DlgUpdate.h"
#include "skin/Language.h"
#include "skin/ui/CPngButton.h"
#include "skin/ui/ControlId.h"
#include "support/TempDir.h"

#include <QMenu>
#include <QTimer>

namespace fs = std::filesystem;

namespace {

QAction* UpdateItem(QMenu& menu) {
    for (QAction* action : menu.actions()) {
        if (action->data().toInt() == CKestrowDlg::kCommandFirmware) {
            return action;
        }
    }
    return nullptr;
}

void Click(QWidget* dialog, int id) {
    FindControlAs<CPngButton>(dialog, id)->click();
}

class UpdateDialogLinkTest : public MainWindowTest {
protected:
    void TearDown() override {
        MainWindowTest::TearDown();
        fs::current_path(previousDirectory_); // choosing a program changes it
    }
    fs::path previousDirectory_ = fs::current_path();
    TempDir files_;
};

} // namespace

TEST_F(UpdateDialogLinkTest, Menu144OpensTheUpdateDialog) {
    StartOnProfile(0);
    std::unique_ptr<QMenu> menu = dlg_->BuildBackupMenu();
    QAction* update = UpdateItem(*menu);
    ASSERT_NE(update, nullptr);
    EXPECT_EQ(update->text().toStdString(), LangText("MENU_UPDATE", CurrentLanguageIndex()));
    bool shown = false;
    QTimer::singleShot(0, [&] {
        CKestrow_DlgUpdate* dialog = dlg_->UpdateDialog();
        shown = dialog != nullptr && dialog->isVisible();
        if (dialog != nullptr) {
            dialog->reject();
        }
    });
    update->trigger();
    EXPECT_TRUE(shown);
}

TEST_F(UpdateDialogLinkTest, TheKeyboardGoingToBootModeLeavesTheDialogAndItsMessageOpen) {
    StartOnProfile(0);
    // A program that cannot start: the keyboard is in boot mode and the dialog says how to
    // bring it back; the removal that follows must not take that away.
    const fs::path tool = files_.write("flash-tool", "#!/nonexistent/interpreter\n");
    fs::permissions(tool, fs::perms::owner_all, fs::perm_options::replace);
    bool stayed = false;
    QTimer::singleShot(0, [&] {
        CKestrow_DlgUpdate* dialog = dlg_->UpdateDialog();
        ASSERT_NE(dialog, nullptr);
        dialog->SetFileChooser([&](const FileDialogRequest&) { return tool; });
        Click(dialog, CKestrow_DlgUpdate::kIdOpen);
        Click(dialog, CKestrow_DlgUpdate::kIdUpdate);
        ASSERT_TRUE(keyboard_->InBootMode());
        // The presence thread notices the removal and tells the window.
        EXPECT_TRUE(
            QTest::qWaitFor([&] { return DeviceState().KeyboardPresent.load() == 0; }, 10000));
        EXPECT_TRUE(QTest::qWaitFor([&] { return dlg_->TrayIconId() == 128; }, 10000));
        stayed = dialog->isVisible();
        dialog->reject();
    });
    dlg_->OnCommand(CKestrowDlg::kCommandFirmware);
    EXPECT_TRUE(stayed);
    EXPECT_EQ(messages_.Shown(), std::vector<std::string>{"UPDATE_PROMPT_START"});
}
