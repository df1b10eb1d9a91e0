// SPDX-License-Identifier: GPL-3.0-or-later
// What the window does when the keyboard arrives, goes, or changes its profile by itself.

#include "device/DeviceState.h"
#include "device/Protocol.h"
#include "mainwindow/CKestrowDlg.h"
#include "mainwindow/LightingPanel.h"
#include "model/KeyboardTransfer.h"
#include "model/ProfileStore.h"
#include "skin/ui/CPngButton.h"

#include <QApplication>
#include <QMetaObject>

namespace {

constexpr size_t kActiveProfileByte = 10;

} // namespace

void CKestrowDlg::OnProfileReload() {
    if (DeferWhileApplying([this] { OnProfileReload(); })) {
        return;
    }
    if (pendingChanges_ != 0) {
        // The edits are the user's: asked about once the presence thread has gone on, so that
        // the question holds up neither the arrival nor the watch for the next removal.
        if (!pendingEditsQuestionOpen_) {
            pendingEditsQuestionOpen_ = true;
            QMetaObject::invokeMethod(this, &CKestrowDlg::AskAboutPendingEdits,
                                      Qt::QueuedConnection);
        }
        return;
    }
    ReloadKeyboardConfiguration();
}

void CKestrowDlg::AskAboutPendingEdits() {
    if (closing_) {
        pendingEditsQuestionOpen_ = false;
        return;
    }
    // Only Yes discards: a question closed without an answer keeps the edits.
    const bool take =
        pendingChanges_ == 0 || messages_->AskYesNo("MAIN_PROMPT_KEEP_CHANGES", std::nullopt);
    pendingEditsQuestionOpen_ = false;
    if (closing_ || DeferWhileApplying([this] { OnProfileReload(); })) {
        return;
    }
    // A keyboard that went again while the question was open has nothing to take.
    if (take && DeviceState().DeviceOpen.load() != 0) {
        ReloadKeyboardConfiguration();
    } else {
        FollowArrivedKeyboard();
    }
}

void CKestrowDlg::ReloadKeyboardConfiguration() {
    ReloadFromKeyboard(PendingChanges::Clear, this);
    {
        ProfileStore& store = WorkingStore();
        std::lock_guard guard(store.lock);
        // The keyboard's own configuration replaces whatever an import still owed it.
        if (!store.standIn) {
            allProfilesOwed_ = false;
        }
    }
    FollowArrivedKeyboard();
}

void CKestrowDlg::FollowArrivedKeyboard() {
    const int p = CurrentArea();
    if (p >= 0) {
        CheckProfileButton(p);
        DeviceState().CurrentProfile = p;
    }
    RefreshKeyButtons();
    if (viewMode_ == 1) {
        RefreshMarks();
    }
    BuildProfileMenu();
    lightingPanel_->ReloadAfterArrival();
}

void CKestrowDlg::OnLightingNotice() {
    KillTimer(kTimerLighting);
    // A reread inside Apply's session would end it.
    if (DeferWhileApplying([this] { OnLightingNotice(); })) {
        return;
    }
    lightingPanel_->ReloadAndRefresh();
}

void CKestrowDlg::OnProfileNotice() {
    KillTimer(kTimerProfile);
    if (DeferWhileApplying([this] { OnProfileNotice(); })) {
        return;
    }
    const bool followed = FollowKeyboardProfile();
    lightingPanel_->OnProfileNotice(followed);
}

bool CKestrowDlg::FollowKeyboardProfile() {
    uint8_t info[kInfoBlockLength] = {};
    if (CmdReadInfoBlock(info) != kCmdOk || info[kActiveProfileByte] >= kProfileCount) {
        return false;
    }
    const int p = info[kActiveProfileByte];
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
    BuildProfileMenu();
    return true;
}

void CKestrowDlg::AddEditorDialog(QDialog* dialog) {
    editorDialogs_.emplace_back(dialog);
}

void CKestrowDlg::CloseEditorDialogs() {
    for (const QPointer<QDialog>& dialog : editorDialogs_) {
        if (dialog != nullptr && dialog->isVisible()) {
            dialog->reject();
        }
    }
    CloseKeyEditorIfOpen();
}

void CKestrowDlg::OnDisconnected() {
    if (shell_ != nullptr) {
        shell_->CloseAboutBox();
    }
    // Questions and file dialogs stay with the user: what they lead to meets the absent
    // keyboard and says so, and no edit is lost.
    CloseEditorDialogs();
    // Whatever is plugged in next may hold another macro order.
    ForgetKeyboardMacroOrder();
    lightingPanel_->MoveFocusAfterDisconnection();
}

void CKestrowDlg::CheckProfileButton(int p) {
    for (int i = 0; i < kProfileCount; ++i) {
        if (CPngButton* b = Button(kIdProfile1 + i)) {
            b->SetCheck(i == p, true);
        }
    }
}
