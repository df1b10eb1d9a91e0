// SPDX-License-Identifier: GPL-3.0-or-later
// The window's link to the other threads and to a second instance: own messages sent and
// posted to it, timers requested from other threads, and the main-window timers themselves.

#include "mainwindow/CKestrowDlg.h"
#include "mainwindow/LightingPanel.h"
#include "skin/ui/WindowMessageEvent.h"

#include <QCoreApplication>
#include <QLabel>
#include <QMetaObject>
#include <QThread>
#include <QTimer>

OwnMessageEvent::OwnMessageEvent(uint32_t message_, uintptr_t wParam_, intptr_t lParam_,
                                 std::shared_ptr<Reply> reply_)
    : QEvent(EventType()), message(message_), wParam(wParam_), lParam(lParam_),
      reply(std::move(reply_)) {}

QEvent::Type OwnMessageEvent::EventType() {
    static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
    return type;
}

intptr_t CKestrowDlg::SendOwnMessage(uint32_t message, uintptr_t wParam, intptr_t lParam) {
    if (QThread::currentThread() == thread()) {
        return HandleOwnMessage(message, wParam, lParam);
    }
    if (linkClosed_) {
        return 0;
    }
    auto reply = std::make_shared<OwnMessageEvent::Reply>();
    {
        std::lock_guard guard(sendersLock_);
        senders_.push_back(reply);
    }
    QCoreApplication::postEvent(this, new OwnMessageEvent(message, wParam, lParam, reply));
    std::unique_lock guard(reply->lock);
    // A window that closes drops what it was sent, so that no sender waits for ever.
    reply->done.wait(guard, [&] { return reply->answered || linkClosed_.load(); });
    return reply->result;
}

bool CKestrowDlg::PostOwnMessage(uint32_t message, uintptr_t wParam, intptr_t lParam) {
    if (linkClosed_) {
        return false;
    }
    QCoreApplication::postEvent(this, new OwnMessageEvent(message, wParam, lParam));
    return true;
}

void CKestrowDlg::WakeSenders() {
    std::lock_guard guard(sendersLock_);
    for (auto& weak : senders_) {
        if (auto reply = weak.lock()) {
            std::lock_guard replyGuard(reply->lock);
            reply->done.notify_all();
        }
    }
    senders_.clear();
}

void CKestrowDlg::RequestTimer(uint32_t timerId) {
    if (linkClosed_) {
        return;
    }
    QMetaObject::invokeMethod(
        this, [this, timerId] { StartTimer(static_cast<int>(timerId), 0); }, Qt::QueuedConnection);
}

void CKestrowDlg::HideMainWindow() {
    if (QThread::currentThread() == thread()) {
        HideOrMinimize();
        return;
    }
    if (!linkClosed_) {
        QMetaObject::invokeMethod(
            this, [this] { HideOrMinimize(); }, Qt::QueuedConnection);
    }
}

intptr_t CKestrowDlg::HandleOwnMessage(uint32_t message, uintptr_t wParam, intptr_t lParam) {
    // A closed window has released its stores; late messages find nothing to act on.
    if (closing_) {
        return 0;
    }
    switch (message) {
    case UM_OPEN:
        if (wParam == kOpenTag) {
            OnOpen();
        }
        break;
    case UM_KILL:
        if (wParam == kKillTag) {
            CloseMainWindow();
        }
        break;
    case UM_STARTED:
        if (wParam == kStartedTag) {
            startedHidden_ = 1;
            HideOrMinimize();
        }
        break;
    case UM_PROFILE_RELOAD:
        if (wParam == kProfileTag) {
            OnProfileReload();
        }
        break;
    case UM_LANGUAGE:
        if (wParam == kLanguageNoticeTag) {
            OnLanguage(static_cast<int>(lParam));
        }
        break;
    case UM_DISCONNECTED:
        // After the boot request the keyboard is meant to go: the update dialog and its
        // messages stay for the user to read.
        if (!UpdateDialogOpen()) {
            OnDisconnected();
        }
        break;
    default:
        break;
    }
    return 0;
}

bool CKestrowDlg::event(QEvent* e) {
    if (e->type() == OwnMessageEvent::EventType()) {
        auto* own = static_cast<OwnMessageEvent*>(e);
        const intptr_t result = HandleOwnMessage(own->message, own->wParam, own->lParam);
        if (own->reply) {
            std::lock_guard guard(own->reply->lock);
            own->reply->result = result;
            own->reply->answered = true;
            own->reply->done.notify_all();
        }
        return true;
    }
    if (e->type() == WindowMessageEvent::EventType()) {
        // Commands of the tray icon's menu and double click.
        auto* message = static_cast<WindowMessageEvent*>(e);
        if (message->message() == WM_COMMAND) {
            OnCommand(static_cast<int>(message->wParam()));
            return true;
        }
        // The lighting panel's sliders.
        if (message->message() == WM_BITMAPSLIDER_MOVING && lightingPanel_ != nullptr) {
            lightingPanel_->OnSliderMoved(static_cast<int>(message->wParam()),
                                          static_cast<int>(message->lParam()));
            return true;
        }
    }
    return CBaseDialog::event(e);
}

void CKestrowDlg::StartTimer(int id, int ms) {
    const auto it = timers_.find(id);
    if (it != timers_.end() && !closing_) {
        it->second->start(ms);
    }
}

void CKestrowDlg::KillTimer(int id) {
    const auto it = timers_.find(id);
    if (it != timers_.end()) {
        it->second->stop();
    }
}

void CKestrowDlg::OnTimer(int id) {
    switch (id) {
    case kTimerBusy:
        if (!busyFrames_[static_cast<size_t>(busyFrame_)].isNull()) {
            busy_->setPixmap(busyFrames_[static_cast<size_t>(busyFrame_)]);
        }
        busyFrame_ = (busyFrame_ + 1) % static_cast<int>(busyFrames_.size());
        break;
    case kTimerLighting:
        OnLightingNotice();
        break;
    case kTimerProfile:
        OnProfileNotice();
        break;
    case kTimerPreview:
        // The preview does nothing while lighting mode is off; re-armed at its running rate.
        KillTimer(id);
        lightingPanel_->PreviewTick();
        StartTimer(kTimerPreview, kPreviewPeriodMs);
        break;
    default:
        break;
    }
}
