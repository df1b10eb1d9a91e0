// SPDX-License-Identifier: GPL-3.0-or-later
#include "widgets/CTrayIcon.h"

#include "skin/ui/WindowMessageEvent.h"
#include "widgets/MenuResource.h"

#include <QApplication>
#include <QCursor>
#include <QThread>
#include <QTimer>

uint32_t TaskbarCreatedMessage() {
    static const uint32_t message = RegisterWindowMessage("TaskbarCreated");
    return message;
}

// ---- hook -------------------------------------------------------------------------------

bool CTrayIcon::CTrayHook::WindowProc(QObject* window, QEvent* event) {
    if (event->type() == WindowMessageEvent::EventType()) {
        auto* message = static_cast<WindowMessageEvent*>(event);
        if (message->message() == icon_->callbackMessage_ && window == icon_->owner_) {
            message->setResult(icon_->OnTrayNotification(message->wParam(), message->lParam()));
        } else if (message->message() == TaskbarCreatedMessage()) {
            if (icon_->added_ && !icon_->hidden_) {
                icon_->Hide();
                icon_->Show();
            }
        }
    }
    // The owner sees every message as well.
    return CSubclassWnd::WindowProc(window, event);
}

// ---- icon -------------------------------------------------------------------------------

CTrayIcon::CTrayIcon() = default;

CTrayIcon::~CTrayIcon() {
    Remove();
    ownerHook_.HookWindow(nullptr);
    topLevelHook_.HookWindow(nullptr);
    if (openMenu_) {
        delete openMenu_;
    }
}

QString CTrayIcon::FitTooltip(const QString& text) {
    if (text.size() <= kMaxTipLength) {
        return text;
    }
    qsizetype cut = kMaxTipLength;
    // Never leave half of a surrogate pair at the end.
    if (text.at(cut - 1).isHighSurrogate()) {
        --cut;
    }
    return text.left(cut);
}

bool CTrayIcon::Create(QWidget* owner, uint32_t callbackMessage, const QString& tooltip,
                       const QIcon& icon, uint32_t iconId) {
    if (added_) {
        Remove();
    }
    added_ = false;
    if (owner == nullptr) {
        return false;
    }
    owner_ = owner;
    callbackMessage_ = callbackMessage;
    tooltip_ = FitTooltip(tooltip);
    icon_ = icon;
    iconId_ = iconId;
    ownerHook_.HookWindow(owner);
    QWidget* top = owner->window();
    if (top != owner) {
        topLevelHook_.HookWindow(top);
    } else {
        topLevelHook_.HookWindow(nullptr);
    }
    added_ = AddToNotificationArea();
    hidden_ = false;
    NotificationAreaWatcher::Instance();
    return added_;
}

bool CTrayIcon::AddToNotificationArea() {
    tray_ = std::make_unique<QSystemTrayIcon>(icon_);
    tray_->setToolTip(tooltip_);
    connect(tray_.get(), &QSystemTrayIcon::activated, this, &CTrayIcon::OnActivated);
    tray_->show();
    ++addCount_;
    return true;
}

void CTrayIcon::DeleteFromNotificationArea() {
    if (tray_) {
        tray_->hide();
        tray_.reset();
    }
}

bool CTrayIcon::OnOwnThread() const {
    return QThread::currentThread() == thread();
}

bool CTrayIcon::SetIcon(const QIcon& icon) {
    if (!added_) {
        return false;
    }
    if (!OnOwnThread()) {
        QMetaObject::invokeMethod(
            this, [this, icon] { SetIcon(icon); }, Qt::QueuedConnection);
        return true;
    }
    icon_ = icon;
    if (tray_) {
        tray_->setIcon(icon);
    }
    return true;
}

bool CTrayIcon::SetIcon(int resourceId) {
    if (!OnOwnThread()) {
        // Icons are looked up where they live.
        QMetaObject::invokeMethod(
            this, [this, resourceId] { SetIcon(resourceId); }, Qt::QueuedConnection);
        return added_;
    }
    const auto icon = FindIconResource(resourceId);
    return icon && SetIcon(*icon);
}

bool CTrayIcon::SetIcon(const QString& resourceName) {
    if (!OnOwnThread()) {
        QMetaObject::invokeMethod(
            this, [this, resourceName] { SetIcon(resourceName); }, Qt::QueuedConnection);
        return added_;
    }
    const auto icon = FindIconResource(resourceName);
    return icon && SetIcon(*icon);
}

bool CTrayIcon::SetTooltipText(const QString& text) {
    if (!added_) {
        return false;
    }
    if (!OnOwnThread()) {
        QMetaObject::invokeMethod(
            this, [this, text] { SetTooltipText(text); }, Qt::QueuedConnection);
        return true;
    }
    tooltip_ = FitTooltip(text);
    if (tray_) {
        tray_->setToolTip(tooltip_);
    }
    return true;
}

bool CTrayIcon::Remove() {
    if (!added_) {
        return false;
    }
    DeleteFromNotificationArea();
    added_ = false;
    hidden_ = false;
    return true;
}

bool CTrayIcon::Hide() {
    if (!added_ || hidden_) {
        return false;
    }
    DeleteFromNotificationArea();
    hidden_ = true;
    return true;
}

bool CTrayIcon::Show() {
    if (!added_ || !hidden_) {
        return false;
    }
    hidden_ = false;
    return AddToNotificationArea();
}

void CTrayIcon::OnActivated(QSystemTrayIcon::ActivationReason reason) {
    intptr_t code = 0;
    switch (reason) {
    case QSystemTrayIcon::Context:
        code = WM_RBUTTONUP;
        break;
    case QSystemTrayIcon::DoubleClick:
        code = WM_LBUTTONDBLCLK;
        break;
    case QSystemTrayIcon::Trigger:
        code = WM_LBUTTONDOWN;
        break;
    case QSystemTrayIcon::MiddleClick:
        code = WM_MBUTTONUP;
        break;
    default:
        return;
    }
    // As the shell does: a posted callback message to the owner, seen by the hooks first.
    PostWindowMessage(owner_, callbackMessage_, iconId_, code);
}

QMenu* CTrayIcon::LoadPopup() {
    const MenuDescription* menu = FindMenuResource(static_cast<int>(iconId_));
    if (menu == nullptr || menu->empty() || menu->front().submenu.empty()) {
        return nullptr;
    }
    return BuildMenu(menu->front().submenu, owner_);
}

int CTrayIcon::DefaultCommand(const QMenu* popup) const {
    if (defaultItem_ != 0) {
        return defaultItem_;
    }
    for (const QAction* action : popup->actions()) {
        if (!action->isSeparator()) {
            return MenuCommandId(action);
        }
    }
    return 0;
}

void CTrayIcon::BringOwnerForward() {
    if (owner_) {
        owner_->window()->raise();
        owner_->window()->activateWindow();
    }
}

intptr_t CTrayIcon::OnTrayNotification(uintptr_t wParam, intptr_t lParam) {
    if (wParam != iconId_) {
        return 0;
    }
    switch (lParam) {
    case WM_RBUTTONUP: {
        QMenu* popup = LoadPopup();
        if (popup == nullptr) {
            return 1;
        }
        QAction* bold = defaultItem_ != 0 ? FindMenuCommand(popup, defaultItem_) : nullptr;
        if (bold == nullptr && defaultItem_ == 0) {
            const auto actions = popup->actions();
            bold = actions.isEmpty() ? nullptr : actions.front();
        }
        if (bold != nullptr) {
            QFont font = bold->font();
            font.setBold(true);
            bold->setFont(font);
            popup->setDefaultAction(bold);
        }
        if (menuCallback_) {
            menuCallback_(popup);
        }
        BringOwnerForward();
        QPointer<QWidget> owner = owner_;
        connect(popup, &QMenu::triggered, this, [owner](QAction* action) {
            if (owner && MenuCommandId(action) != 0) {
                SendWindowMessage(owner, WM_COMMAND, static_cast<uintptr_t>(MenuCommandId(action)),
                                  0);
            }
        });
        // The menu goes once it closes, whether or not a command was chosen.
        connect(popup, &QMenu::aboutToHide, popup, &QObject::deleteLater);
        openMenu_ = popup;
        popup->popup(QCursor::pos());
        return 1;
    }
    case WM_LBUTTONDBLCLK: {
        clickPending_ = false;
        QMenu* popup = LoadPopup();
        if (popup == nullptr) {
            return 1;
        }
        const int command = DefaultCommand(popup);
        delete popup;
        BringOwnerForward();
        if (command != 0) {
            SendWindowMessage(owner_, WM_COMMAND, static_cast<uintptr_t>(command), 0);
        }
        return 1;
    }
    case WM_LBUTTONDOWN:
        if (clickCommand_ != 0) {
            clickPending_ = true;
        }
        return 1;
    default:
        return 1;
    }
}

// ---- watcher ----------------------------------------------------------------------------

NotificationAreaWatcher& NotificationAreaWatcher::Instance() {
    static NotificationAreaWatcher* watcher = new NotificationAreaWatcher();
    return *watcher;
}

NotificationAreaWatcher::NotificationAreaWatcher()
    : QObject(QCoreApplication::instance()),
      probe_([] { return QSystemTrayIcon::isSystemTrayAvailable(); }) {
    available_ = probe_();
    auto* timer = new QTimer(this);
    timer->setInterval(2000);
    connect(timer, &QTimer::timeout, this, [this] { Poll(); });
    timer->start();
}

void NotificationAreaWatcher::SetProbe(std::function<bool()> probe) {
    probe_ = std::move(probe);
    available_ = probe_();
}

bool NotificationAreaWatcher::Poll() {
    const bool now = probe_();
    const bool returned = now && !available_;
    available_ = now;
    if (returned) {
        Broadcast();
    }
    return returned;
}

void NotificationAreaWatcher::Broadcast() {
    const uint32_t message = TaskbarCreatedMessage();
    for (QWidget* top : QApplication::topLevelWidgets()) {
        SendWindowMessage(top, message, 0, 0);
    }
}
