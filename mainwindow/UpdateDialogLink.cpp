// SPDX-License-Identifier: GPL-3.0-or-later
// The firmware update dialog, opened by kCommandFirmware of the menu button's menu.

#include "device/ui/CKestrow_DlgUpdate.h"
#include "mainwindow/CKestrowDlg.h"

int CKestrowDlg::OpenUpdateDialog() {
    if (updateDialog_ == nullptr) {
        updateDialog_ = new CKestrow_DlgUpdate(*messages_, this);
    }
    return updateDialog_->DoModal();
}

bool CKestrowDlg::UpdateDialogOpen() const {
    return updateDialog_ != nullptr && updateDialog_->isVisible();
}
