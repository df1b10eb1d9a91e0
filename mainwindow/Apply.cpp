// Apply: the working store saved to the working file and written to the keyboard, with the
// busy animation meanwhile, and the pending-changes flag that the Apply button shows.

#include "mainwindow/BusyIndicator.h"
#include "mainwindow/CKestrowDlg.h"
#include "model/KeyboardTransfer.h"
#include "skin/ui/CPngButton.h"

#include <QLabel>
#include <QMetaObject>

void CKestrowDlg::SetPendingChanges(int flag) {
    pendingChanges_ = flag != 0 ? 1 : 0;
    if (CPngButton* apply = Button(kIdApply)) {
        apply->setEnabled(pendingChanges_ != 0);
    }
}

void CKestrowDlg::ApplyChanges() {
    if (!busyIndicator_) {
        // Started once and kept for later Applies; its queue exists before it runs, so the
        // first message cannot be lost.
        busyIndicator_ = std::make_unique<BusyIndicator>(
            [this] {
                QMetaObject::invokeMethod(this, [this] {
                    busy_->show();
                    StartTimer(kTimerBusy, kBusyFrameMs);
                });
            },
            [this] {
                QMetaObject::invokeMethod(this, [this] {
                    KillTimer(kTimerBusy);
                    busy_->hide();
                });
            });
    }
    busyIndicator_->Post(kBusyStart);
    if (pendingChanges_ != 0 && CurrentArea() >= 0) {
        const StoreWriteResult result = WriteStoreAndWorkingFile(false, messages_);
        if (result.written && result.saved) {
            SetPendingChanges(0);
        }
    }
    busyIndicator_->Post(kBusyStop);
}
