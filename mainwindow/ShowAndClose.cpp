// SPDX-License-Identifier: GPL-3.0-or-later
// Showing, hiding and closing the window, and the keys and close box it handles itself.

#include "device/DeviceState.h"
#include "device/Presence.h"
#include "device/Protocol.h"
#include "mainwindow/CKestrowDlg.h"
#include "mainwindow/UserMessages.h"
#include "model/ProfileFile.h"
#include "model/ProfileStore.h"
#include "platform/hid/HidBackend.h"
#include "skin/ui/CPngButton.h"
#include "widgets/CTrayIcon.h"

#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <chrono>
#include <thread>

namespace {

// Older firmware of the first model reports a word between these at byte 8 of its info block
// and needs a moment after the read before it takes the next command.
constexpr size_t kFirmwareWordOffset = 8;
constexpr unsigned kSettlingFirmwareFirst = 1;
constexpr unsigned kSettlingFirmwareLast = 0x107;
constexpr auto kFirmwareSettleTime = std::chrono::milliseconds(10);

} // namespace

bool CKestrowDlg::AnyKeyboardUnopenable() const {
    std::vector<std::string> paths;
    HidBackend& backend = CurrentHidBackend();
    if (!backend.ListInterfaces(paths)) {
        return false;
    }
    for (const std::string& path : paths) {
        if (!IsCandidatePath(path)) {
            continue;
        }
        HidOpenError error = HidOpenError::None;
        HidOpenFlags flags;
        flags.read = true;
        flags.write = true;
        if (backend.Open(path, flags, error) == nullptr &&
            error == HidOpenError::PermissionDenied) {
            return true;
        }
    }
    return false;
}

void CKestrowDlg::ShowMainWindow() {
    if (closing_) {
        return;
    }
    if (DeviceState().KeyboardPresent.load() == 0) {
        // A keyboard that is there but may not be opened needs the udev rule, not a replug.
        messages_->ShowUncaptioned(AnyKeyboardUnopenable() ? "MAIN_NO_PERMISSION_PROMPT"
                                                           : "MAIN_NO_DEVICE_PROMPT");
        return;
    }
    ShowWindowNow();
}

void CKestrowDlg::OnOpen() {
    ShowMainWindow();
    uint8_t info[kInfoBlockLength] = {};
    if (CmdReadInfoBlock(info) == kCmdOk) {
        const unsigned word = info[kFirmwareWordOffset] | (info[kFirmwareWordOffset + 1] << 8);
        if (DeviceState().KeySlotCount == kKeySlotCountSmall && word >= kSettlingFirmwareFirst &&
            word <= kSettlingFirmwareLast) {
            std::this_thread::sleep_for(kFirmwareSettleTime);
        }
    }
}

void CKestrowDlg::ShowWindowNow() {
    // Shown, it has a taskbar button.
    if (windowFlags().testFlag(Qt::Tool)) {
        setWindowFlag(Qt::Tool, false);
    }
    showNormal();
    raise();
    activateWindow();
    emit mainWindowShown();
}

void CKestrowDlg::HideOrMinimize() {
    // Without a notification area a hidden window could not be brought back.
    if (notificationArea_) {
        hide();
    } else if (!closing_) {
        showMinimized();
        emit mainWindowMinimized();
    }
}

void CKestrowDlg::CloseModalWindows() {
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (w != this && w->isVisible() && w->isModal()) {
            if (auto* dialog = qobject_cast<QDialog*>(w)) {
                dialog->reject();
            } else {
                w->close();
            }
        }
    }
}

void CKestrowDlg::ReleaseStores() {
    {
        ProfileStore& store = WorkingStore();
        std::lock_guard guard(store.lock);
        ClearWorkingStore();
        store.strings.ClearAll();
    }
    ProfileStore& out = OutgoingStore();
    std::lock_guard guard(out.lock);
    out.block.reset();
    out.macros.clear();
    out.strings.ClearAll();
}

void CKestrowDlg::CloseMainWindow() {
    if (closing_) {
        return;
    }
    closing_ = true;
    hide();
    if (shell_ != nullptr) {
        shell_->CloseAboutBox();
    }
    // The editors, then any other modal window (a question, a file dialog) close as if
    // cancelled: nothing they lead to may act on the stores released below.
    CloseEditorDialogs();
    CloseModalWindows();
    if (shell_ != nullptr) {
        shell_->ReleaseSingleInstance();
    }
    // The device threads end before the stores go; a send they wait on is dropped.
    linkClosed_ = true;
    WakeSenders();
    messageBoxes_->Release();
    if (deviceThreads_) {
        deviceThreads_->Stop();
    }
    // An Apply still writing finishes first; it holds the stores.
    JoinApplyWorker();
    if (tray_ != nullptr) {
        tray_->Remove();
    }
    trayIconId_ = 0;
    SetPendingChanges(0);
    for (auto& [id, timer] : timers_) {
        timer->stop();
    }
    ReleaseStores();
    windowUserData_ = 0;
    // Ends the modal loop of DoModal.
    QDialog::done(QDialog::Rejected);
}

void CKestrowDlg::reject() {
    HideOrMinimize();
}

void CKestrowDlg::keyPressEvent(QKeyEvent* e) {
    switch (e->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
        // Neither applies nor hides the window.
        e->accept();
        return;
    case Qt::Key_F1:
        if (shell_ != nullptr) {
            shell_->OpenHelp();
        }
        e->accept();
        return;
    default:
        CBaseDialog::keyPressEvent(e);
    }
}

bool CKestrowDlg::eventFilter(QObject* watched, QEvent* e) {
    if (e->type() == QEvent::KeyPress || e->type() == QEvent::KeyRelease) {
        const int key = static_cast<QKeyEvent*>(e)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Escape) {
            return true;
        }
    }
    if (e->type() == QEvent::Enter || e->type() == QEvent::Leave) {
        if (watched == Button(kIdFlip1)) {
            UpdateArrow(kIdFlip1);
        } else if (watched == Button(kIdFlip2)) {
            UpdateArrow(kIdFlip2);
        }
    }
    return CBaseDialog::eventFilter(watched, e);
}

void CKestrowDlg::closeEvent(QCloseEvent* e) {
    // The close box hides the window (or minimizes it without a tray); only CloseMainWindow
    // ends it.
    e->ignore();
    if (!closing_) {
        HideOrMinimize();
    }
}
