// SPDX-License-Identifier: GPL-3.0-or-later
// The commands of the window's buttons and menus.

#include "device/Protocol.h"
#include "mainwindow/CKestrowDlg.h"
#include "mainwindow/FlipSetting.h"
#include "mainwindow/KeyMapTables.h"
#include "mainwindow/LightingPanel.h"

#include <QCursor>
#include <QDesktopServices>
#include <QMenu>
#include <QUrl>

namespace {

// The commands that leave the stores alone, and so may run while Apply writes them (from the
// tray: the window itself takes no input then). Exit waits for the write to finish.
bool LeavesTheStoresAlone(int id) {
    switch (id) {
    case CKestrowDlg::kCommandOpen:
    case CKestrowDlg::kCommandAbout:
    case CKestrowDlg::kSysCommandAbout:
    case CKestrowDlg::kCommandExit:
    case CKestrowDlg::kIdClose:
    case CKestrowDlg::kIdHelp:
    case CKestrowDlg::kIdMinimize:
    case CKestrowDlg::kIdLink:
        return true;
    default:
        return false;
    }
}

} // namespace

void CKestrowDlg::OnClicked(int id) {
    if (applying_ && !LeavesTheStoresAlone(id)) {
        return;
    }
    // While lighting mode is on, clicks on the keyboard picture paint keys; else keys and G-keys
    // open the editor, and the buttons of no key of their own do nothing.
    const bool keyOrGKey = GKeyIndexOf(id) >= 0 || KeyButtonIndexOf(id) >= 0;
    const bool otherKey = id == kFnKeyId || id == kEnterUpperId ||
                          (id >= kFirstDKeyId && id < kFirstDKeyId + kDKeyCount);
    if (keyOrGKey || otherKey) {
        if (LightingMode()) {
            lightingPanel_->OnKeyClicked(id);
        } else if (keyOrGKey) {
            OpenKeyEditor(id);
        }
        return;
    }
    OnCommand(id);
}

void CKestrowDlg::OnCommand(int id) {
    if (applying_ && !LeavesTheStoresAlone(id)) {
        return;
    }
    switch (id) {
    case kCommandOpen:
        ShowMainWindow();
        break;
    case kCommandAbout:
    case kSysCommandAbout:
        if (shell_ != nullptr) {
            shell_->OpenAboutBox();
        }
        break;
    case kCommandExit:
    case kIdClose:
        CloseMainWindow();
        break;
    case kIdHelp:
        if (shell_ != nullptr) {
            shell_->OpenHelp();
        }
        break;
    case kIdProfiles:
        OpenProfileManager();
        break;
    case kCommandFirmware:
        OpenUpdateDialog();
        break;
    case kIdApply:
        ApplyChanges();
        break;
    case IDOK:
        ApplyChanges();
        HideOrMinimize();
        break;
    case IDCANCEL:
        HideOrMinimize();
        break;
    case kIdMacro:
        OpenKeyEditor(GKeyTable[8]);
        break;
    case kIdTest:
        CmdTest();
        break;
    case kIdProfileMenu:
        raise();
        activateWindow();
        profileMenu_->popup(QCursor::pos());
        break;
    case kIdLink:
        QDesktopServices::openUrl(QUrl(linkText_));
        break;
    case kIdMinimize:
        showMinimized();
        break;
    case kIdFlip1:
    case kIdFlip2:
        flipLayout_ = 1 - flipLayout_;
        WriteFlipLayout(flipLayout_);
        ApplyFlipLayout();
        UpdateArrow(kIdFlip1);
        UpdateArrow(kIdFlip2);
        break;
    case kIdProfile1:
    case kIdProfile1 + 1:
    case kIdProfile1 + 2:
        OnProfileButton(id - kIdProfile1);
        break;
    case kIdDefault:
        RestoreDefault();
        break;
    case kIdMenu: {
        std::unique_ptr<QMenu> menu = BuildBackupMenu();
        menu->exec(QCursor::pos());
        break;
    }
    case kIdSwitch:
        viewMode_ = viewMode_ == 0 ? 1 : 0;
        SetSwitchText();
        RefreshMarks();
        break;
    case kCommandImport:
        ImportProfileFile();
        break;
    case kCommandExport:
        ExportProfileFile();
        break;
    default:
        if (id >= kProfileMenuFirst && id <= kProfileMenuLast) {
            SwitchProfile(id - (kProfileMenuFirst + 1));
        }
        // Lock indicators, FLIP_0, D1-D6, the Enter part and Fn do nothing here.
        break;
    }
}
