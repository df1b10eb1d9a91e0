// What the window does when the keyboard arrives, goes, or changes its profile by itself.

#include "device/DeviceState.h"
#include "device/Protocol.h"
#include "mainwindow/CKestrowDlg.h"
#include "mainwindow/LightingPanel.h"
#include "model/KeyboardTransfer.h"
#include "skin/ui/CPngButton.h"

#include <QApplication>

void CKestrowDlg::OnProfileReload() {
    ReloadFromKeyboard(false, this);
    const int p = DeviceState().CachedProfile.load();
    if (p >= 0 && p <= 2) {
        CheckProfileButton(p);
        DeviceState().CurrentProfile = p;
    }
    // The reload described the buttons; the flip and, in colour view, the marks follow.
    ApplyFlipLayout();
    if (viewMode_ == 1) {
        RefreshMarks();
    }
    BuildProfileMenu(false);
    lightingPanel_->ReloadAfterArrival();
    // Without a notification area the window could not be reached: it comes forward itself.
    // (The reload is the arrival itself, so the keyboard is there even though the presence
    // thread marks it present only after this message.)
    if (!notificationArea_ && !closing_) {
        ShowWindowNow();
    }
}

void CKestrowDlg::OnLightingNotice() {
    KillTimer(kTimerLighting);
    lightingPanel_->ReloadAndRefresh();
}

void CKestrowDlg::OnProfileNotice() {
    KillTimer(kTimerProfile);
    const bool followed = FollowKeyboardProfile();
    lightingPanel_->OnProfileNotice(followed);
}

bool CKestrowDlg::FollowKeyboardProfile() {
    uint8_t info[kInfoBlockLength] = {};
    if (CmdReadInfoBlock(info) != kCmdOk || info[10] >= kProfileCount) {
        return false;
    }
    const int p = info[10];
    DeviceState().CurrentProfile = p;
    if (DeviceState().CachedProfile.load() == p) {
        return true;
    }
    // The keyboard is on another profile now: the key map and every later Apply must follow
    // it, or Apply would write the old profile's records into the new profile's table.
    DeviceState().CachedProfile = p;
    CheckProfileButton(p);
    viewMode_ = 0;
    SetSwitchText();
    RefreshKeyButtons();
    RefreshMarks();
    BuildProfileMenu(false);
    return true;
}

void CKestrowDlg::OnDisconnected() {
    if (shell_ != nullptr) {
        shell_->CloseAboutBox();
    }
    // Any open modal dialog (key setting, profile manager, file dialogs, message boxes) is
    // closed as if cancelled.
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (w != this && w->isVisible() && w->isModal()) {
            if (auto* dialog = qobject_cast<QDialog*>(w)) {
                dialog->reject();
            } else {
                w->close();
            }
        }
    }
    lightingPanel_->MoveFocusAfterDisconnection();
}

void CKestrowDlg::CheckProfileButton(int p) {
    for (int i = 0; i < 3; ++i) {
        if (CPngButton* b = Button(kIdProfile1 + i)) {
            b->SetCheck(i == p, true);
        }
    }
}
