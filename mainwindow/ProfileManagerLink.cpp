// SPDX-License-Identifier: GPL-3.0-or-later
// The profile manager seen from the main window: its opening, what it asks of the window, and
// how a profile switch reaches it while it is open.

#include "device/DeviceState.h"
#include "editors/CKestrow_DlgProfile.h"
#include "editors/ProfileManagerHost.h"
#include "mainwindow/CKestrowDlg.h"

class ProfileManagerLink : public ProfileManagerHost {
public:
    explicit ProfileManagerLink(CKestrowDlg& window) : window_(window) {}

    MessageSink& ProfileManagerMessages() override { return window_.Messages(); }
    KeyButtonSink& ProfileManagerKeyButtons() override { return window_; }
    bool HasPendingChanges() const override { return window_.PendingChanges() != 0; }
    bool ApplyPendingChanges() override {
        window_.ApplyChanges();
        return window_.PendingChanges() == 0;
    }
    void ProfileListApplied() override { window_.OnProfileListApplied(); }

private:
    CKestrowDlg& window_;
};

int CKestrowDlg::OpenProfileManager() {
    if (profileManager_ == nullptr) {
        profileManagerLink_ = std::make_shared<ProfileManagerLink>(*this);
        profileManager_ = new CKestrow_DlgProfile(*profileManagerLink_, this);
        // The first editor the removal of the keyboard closes.
        AddEditorDialog(profileManager_);
    }
    return profileManager_->DoModal();
}

bool CKestrowDlg::ProfileManagerModified() const {
    return profileManager_ != nullptr && profileManager_->OpenCount() > 0 &&
           profileManager_->Modified();
}

void CKestrowDlg::ProfileManagerFollowSwitch(int n) {
    if (profileManager_ != nullptr && profileManager_->OpenCount() > 0) {
        profileManager_->OnProfileSwitched(n);
    }
}

void CKestrowDlg::OnProfileListApplied() {
    // As after an arrival: the profile buttons show the keyboard's profile.
    const int p = CurrentArea();
    if (p >= 0) {
        CheckProfileButton(p);
        DeviceState().CurrentProfile = p;
    }
    if (viewMode_ == 1) {
        RefreshMarks();
    }
    BuildProfileMenu();
}
