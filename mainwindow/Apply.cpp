// SPDX-License-Identifier: GPL-3.0-or-later
// Apply: the working store written to the keyboard and then saved to the working file on a
// worker thread, while the window shows the busy animation and takes no input; and the
// pending-changes flag that the Apply button shows.

#include "device/MessageSink.h"
#include "mainwindow/BusyIndicator.h"
#include "mainwindow/CKestrowDlg.h"
#include "mainwindow/InputBlocker.h"
#include "model/KeyboardTransfer.h"
#include "model/ProfileStore.h"
#include "skin/ui/CPngButton.h"

#include <QEventLoop>
#include <QLabel>
#include <QMetaObject>
#include <QTimer>
#include <optional>
#include <string>
#include <utility>
#include <vector>

// What the worker's Apply came to, handed back to the window. The texts the write would have
// shown are shown by the window, in their order, once the write is over.
struct ApplyOutcome : MessageSink {
    bool ok = false;
    std::vector<std::pair<std::string, std::optional<long long>>> texts;

    void ShowText(std::string_view textKey, std::optional<long long> argument) override {
        texts.emplace_back(std::string(textKey), argument);
    }
    // Nothing of the write asks; a question would go unanswered, which is No.
    bool AskYesNo(std::string_view, std::optional<long long>) override { return false; }
};

void CKestrowDlg::SetPendingChanges(int flag) {
    pendingChanges_ = flag != 0 ? 1 : 0;
    if (CPngButton* apply = Button(kIdApply)) {
        apply->setEnabled(pendingChanges_ != 0);
    }
}

void CKestrowDlg::PostBusy(uint32_t message) {
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
    busyIndicator_->Post(message);
}

void CKestrowDlg::ApplyChanges() {
    if (applying_ || closing_) {
        return;
    }
    PostBusy(kBusyStart);
    if (pendingChanges_ != 0) {
        bool standIn = false;
        {
            ProfileStore& store = WorkingStore();
            std::lock_guard guard(store.lock);
            standIn = store.standIn;
        }
        if (CurrentArea() < 0) {
            messages_->ShowText("MAIN_NO_DEVICE_PROMPT", std::nullopt);
        } else if (standIn) {
            // Sending it would replace the keyboard's macros and keys with empty ones.
            messages_->ShowText("MAIN_PROMPT_NOT_READ", std::nullopt);
        } else {
            RunApplyWorker();
        }
    }
    PostBusy(kBusyStop);
}

void CKestrowDlg::RunApplyWorker() {
    applying_ = true;
    const bool allProfiles = allProfilesOwed_;
    InputBlocker blocker(this);
    QEventLoop loop;
    applyLoop_ = &loop;
    applyWorker_ = std::thread([this, allProfiles] {
        auto outcome = std::make_shared<ApplyOutcome>();
        {
            // Working store, then (inside the write) the outgoing store, then DeviceIoLock.
            std::lock_guard guard(WorkingStore().lock);
            const StoreWriteResult result = WriteStoreAndWorkingFile(
                allProfiles ? ProfilesToWrite::All : ProfilesToWrite::Active, outcome.get());
            outcome->ok = result.written && result.saved;
        }
        // Moved into the call: whichever thread drops the queued call frees the outcome with it.
        QMetaObject::invokeMethod(
            this, [this, outcome = std::move(outcome)] { OnApplyDone(*outcome); },
            Qt::QueuedConnection);
    });
    // The window's own thread goes on meanwhile: the animation runs, messages arrive.
    loop.exec();
    applyLoop_ = nullptr;
    JoinApplyWorker();
}

void CKestrowDlg::JoinApplyWorker() {
    if (applyWorker_.joinable()) {
        applyWorker_.join();
    }
}

void CKestrowDlg::OnApplyDone(const ApplyOutcome& outcome) {
    if (applyLoop_ != nullptr) {
        applyLoop_->quit();
    }
    if (closing_) {
        applying_ = false;
        return;
    }
    for (const auto& [key, argument] : outcome.texts) {
        messages_->ShowText(key, argument);
    }
    if (outcome.ok) {
        SetPendingChanges(0);
        allProfilesOwed_ = false;
    }
    applying_ = false;
    // What waited for the stores runs once the caller of Apply has gone on.
    for (std::function<void()>& action : afterApply_) {
        QTimer::singleShot(0, this, std::move(action));
    }
    afterApply_.clear();
}

bool CKestrowDlg::DeferWhileApplying(std::function<void()> action) {
    if (!applying_) {
        return false;
    }
    afterApply_.push_back(std::move(action));
    return true;
}
