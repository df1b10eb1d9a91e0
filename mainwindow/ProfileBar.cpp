// SPDX-License-Identifier: GPL-3.0-or-later
// The profile bar: the three profile buttons, restore default, the profile pop-up, and the
// backup and restore of the whole configuration as ".fwc" files.

#include "device/DeviceState.h"
#include "mainwindow/CKestrowDlg.h"
#include "mainwindow/LightingPanel.h"
#include "mainwindow/WindowText.h"
#include "model/AssignmentText.h"
#include "model/KeyboardTransfer.h"
#include "model/ProfileFile.h"
#include "model/ProfileFolder.h"
#include "model/ProfileStore.h"
#include "skin/Language.h"
#include "skin/ui/CPngButton.h"

#include <QFileDialog>
#include <QMenu>

namespace {

std::filesystem::path ChooseProfileFile(QWidget* owner, bool save) {
    // The system's own file dialog with its filters for the two choices.
    const QString filter = QStringLiteral("(*.fwc) (*.fwc);;(*.*) (*)");
    QString chosen;
    if (save) {
        QFileDialog dialog(owner, QString(), QStringLiteral("*.fwc"), filter);
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setDefaultSuffix(QStringLiteral("fwc"));
        if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty()) {
            chosen = dialog.selectedFiles().first();
        }
    } else {
        chosen = QFileDialog::getOpenFileName(owner, QString(), QString(), filter, nullptr,
                                              QFileDialog::ReadOnly);
    }
    return chosen.isEmpty() ? std::filesystem::path() : std::filesystem::path(chosen.toStdString());
}

} // namespace

void CKestrowDlg::OnProfileButton(int n) {
    DeviceState().CurrentProfile = n;
    lightingPanel_->ShowProfile(n);
    if (ActiveProfile() != n && SwitchProfile(n)) {
        CheckProfileButton(n);
        viewMode_ = 0;
        SetSwitchText();
        RefreshMarks();
    }
}

bool CKestrowDlg::SwitchProfile(int n) {
    if (n >= kProfileCount) {
        n = 0;
    }
    if (keyEditorOpen_ > 0) {
        messages_->ShowText("PROFILE_SEELCT_PROMPT2", std::nullopt);
        return false;
    }
    // The pop-up's first item, the default profile, arrives as -1: the keyboard has no such
    // profile, so nothing switches, and pending edits are neither asked about nor dropped.
    if (n < 0) {
        RefreshKeyButtons();
        BuildProfileMenu();
        return false;
    }
    // A second request while the question is on screen would switch under the edits it is
    // about; it is refused until the question is answered.
    if (switchQuestionOpen_) {
        return false;
    }
    const int active = CurrentArea();
    if (active < 0) {
        // No profile is known (no keyboard, or it cannot be read): there is nothing to switch.
        messages_->ShowText("MAIN_NO_DEVICE_PROMPT", std::nullopt);
        return false;
    }
    if (pendingChanges_ != 0 || ProfileManagerModified()) {
        switchQuestionOpen_ = true;
        const bool apply = messages_->AskYesNo("PROFILE_SELECT_PROMPT", std::nullopt);
        switchQuestionOpen_ = false;
        if (closing_) {
            return false;
        }
        if (apply) {
            ApplyChanges();
            if (pendingChanges_ != 0) {
                // The edits did not reach the keyboard: leaving the profile now would strand
                // them in records the keyboard no longer shows.
                return false;
            }
        } else {
            // The edits are dropped: the working file of the profile holds what was last
            // read or saved.
            SetPendingChanges(0);
            bool reloaded = false;
            {
                ProfileStore& store = WorkingStore();
                std::lock_guard guard(store.lock);
                reloaded = LoadProfileFile(ProfilePath(active));
            }
            if (!reloaded) {
                // Without a readable working file the edits would stay in the store and go out
                // with a later Apply: the keyboard's own configuration replaces them.
                ReloadFromKeyboard(PendingChanges::Clear, this);
            }
        }
    }
    SetDeviceProfile(n);
    RefreshKeyButtons();
    BuildProfileMenu();
    // Only a keyboard that is now on profile n has switched.
    const bool switched = DeviceState().CachedProfile.load() == n;
    if (switched) {
        // The pop-up switches without the profile buttons; they and the marks follow here.
        CheckProfileButton(n);
        ProfileManagerFollowSwitch(n);
        if (viewMode_ == 1) {
            RefreshMarks();
        }
    }
    return switched;
}

void CKestrowDlg::RestoreDefault() {
    if (!messages_->AskYesNo("MAIN_PROMPT_DEFAULT", std::nullopt)) {
        return;
    }
    if (CurrentArea() < 0) {
        messages_->ShowText("MAIN_NO_DEVICE_PROMPT", std::nullopt);
        return;
    }
    if (!ResetProfileAssignments(*this)) {
        return;
    }
    if (LightingMode()) {
        lightingPanel_->RestoreLightingDefaults();
    }
    ApplyChanges();
}

void CKestrowDlg::ExportProfileFile() {
    const std::filesystem::path path =
        fileChooser_ ? fileChooser_(true) : ChooseProfileFile(this, true);
    if (path.empty()) {
        return;
    }
    ProfileStore& store = WorkingStore();
    std::lock_guard guard(store.lock);
    // Nothing is reported either way.
    WriteProfileFile(StoreLock::HeldByCaller, path);
}

void CKestrowDlg::ImportProfileFile() {
    const std::filesystem::path path =
        fileChooser_ ? fileChooser_(false) : ChooseProfileFile(this, false);
    if (path.empty()) {
        return;
    }
    if (CheckProfileFile(path, messages_) <= 0) {
        messages_->ShowText("MAIN_PROMPT_INPORT", std::nullopt);
        return;
    }
    if (CurrentArea() < 0) {
        messages_->ShowText("MAIN_NO_DEVICE_PROMPT", std::nullopt);
        return;
    }
    bool saved = false;
    bool written = false;
    {
        ProfileStore& store = WorkingStore();
        std::lock_guard guard(store.lock);
        // A file that passed the header check can still be cut short: then the working store
        // stays as it was and nothing goes to the keyboard.
        if (!LoadProfileFile(path)) {
            messages_->ShowText("MAIN_PROMPT_INPORT", std::nullopt);
            return;
        }
        const StoreWriteResult result = WriteStoreAndWorkingFile(ProfilesToWrite::All, messages_);
        saved = result.saved;
        written = result.written;
        RefreshKeyButtons();
    }
    // What did not reach the keyboard (or the working file) stays pending, as after Apply, and
    // the Apply that sends it owes the keyboard all three profiles.
    SetPendingChanges(saved && written ? 0 : 1);
    allProfilesOwed_ = !written;
    // The file brought its own marks; colour view would otherwise go on showing the old ones.
    if (viewMode_ == 1) {
        RefreshMarks();
    }
}

void CKestrowDlg::BuildProfileMenu() {
    if (profileMenu_ == nullptr) {
        profileMenu_ = new QMenu(this);
    } else {
        profileMenu_->clear();
    }
    auto add = [this](int id, const QString& text) {
        QAction* action = profileMenu_->addAction(text);
        action->setData(id);
        action->setCheckable(true);
        connect(action, &QAction::triggered, this, [this, id] { OnCommand(id); });
    };
    add(kProfileMenuFirst, Q(LangText("DEFAULT_PROFILE_NAME", CurrentLanguageIndex())));
    profileMenu_->addSeparator();
    for (int i = 0; i < kProfileCount; ++i) {
        add(kProfileMenuFirst + 1 + i, QString::fromStdString(ProfilePath(i).filename().string()));
    }
    const int p = DeviceState().CachedProfile.load();
    const int position = p >= 0 && p < kProfileCount ? p + 2 : 0;
    QAction* marked = profileMenu_->actions().value(position);
    if (marked != nullptr) {
        marked->setChecked(true);
        if (CPngButton* button = Button(kIdProfiles)) {
            button->setText(marked->text());
            button->SetTooltipText(Q(LangText("PROFILE_TIP", CurrentLanguageIndex())) +
                                   marked->text());
        }
    }
}
