// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// One icon in the notification area for an owner window. The icon's mouse notices reach the
// owner as its callback message (wParam the icon id, lParam the mouse message code) and are
// turned into the owner's menu and commands; when the notification area comes back the icon
// adds itself again. Commands reach the owner as WM_COMMAND window messages (wParam the id).

#include "widgets/CSubclassWnd.h"

#include <QIcon>
#include <QMenu>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QSystemTrayIcon>
#include <QWidget>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>

// Mouse codes of the callback message.
inline constexpr intptr_t WM_MOUSEMOVE = 0x200;
inline constexpr intptr_t WM_LBUTTONDOWN = 0x201;
inline constexpr intptr_t WM_LBUTTONUP = 0x202;
inline constexpr intptr_t WM_LBUTTONDBLCLK = 0x203;
inline constexpr intptr_t WM_RBUTTONUP = 0x205;
inline constexpr intptr_t WM_MBUTTONUP = 0x208;

// The message every top-level window gets when the notification area (re)appears.
uint32_t TaskbarCreatedMessage();

class CTrayIcon : public QObject {
    Q_OBJECT
public:
    using MenuCallback = std::function<void(QMenu* menu)>;

    // The tooltip field holds 127 characters and a terminating zero.
    static constexpr int kMaxTipLength = 127;

    CTrayIcon();
    ~CTrayIcon() override;

    // Fails (IsAdded() false) without an owner. Hooks the owner and, when it differs, the
    // owner's top-level window, and adds the icon.
    bool Create(QWidget* owner, uint32_t callbackMessage, const QString& tooltip, const QIcon& icon,
                uint32_t iconId);
    // The setters may be called from worker threads (the connection handling changes the
    // icon): there they hand the change to the icon's thread and return whether the icon is
    // added; the change happens when that thread next runs its events.
    bool SetIcon(const QIcon& icon);
    // By registered icon resource; false (icon unchanged) when there is none.
    bool SetIcon(int resourceId);
    bool SetIcon(const QString& resourceName);
    bool SetTooltipText(const QString& text);
    bool Remove();
    bool Hide();
    bool Show();
    void SetClickCommand(int id) { clickCommand_ = id; }
    void SetDefaultItem(int id) { defaultItem_ = id; }
    void SetMenuCallback(MenuCallback callback) { menuCallback_ = std::move(callback); }

    // The icon's mouse notice. Returns 0 when wParam is not this icon's id, else 1.
    virtual intptr_t OnTrayNotification(uintptr_t wParam, intptr_t lParam);

    bool IsAdded() const { return added_; }
    bool IsHidden() const { return hidden_; }
    bool IsClickPending() const { return clickPending_; }
    QString TooltipText() const { return tooltip_; }
    QIcon Icon() const { return icon_; }
    uint32_t IconId() const { return iconId_; }
    QWidget* Owner() const { return owner_; }
    // The icon in the notification area now; nullptr while not added or hidden.
    QSystemTrayIcon* SystemTrayIcon() const { return tray_.get(); }
    // The popup menu on screen, or nullptr.
    QMenu* OpenMenu() const { return openMenu_; }
    // How many times the icon has been put into the notification area.
    int AddCount() const { return addCount_; }

    // Cuts a tooltip to kMaxTipLength UTF-16 units without splitting a character.
    static QString FitTooltip(const QString& text);

private:
    class CTrayHook : public CSubclassWnd {
    public:
        explicit CTrayHook(CTrayIcon* icon) : icon_(icon) {}
        bool WindowProc(QObject* window, QEvent* event) override;

    private:
        CTrayIcon* icon_;
    };

    bool AddToNotificationArea();
    void DeleteFromNotificationArea();
    void OnActivated(QSystemTrayIcon::ActivationReason reason);
    QMenu* LoadPopup();
    int DefaultCommand(const QMenu* popup) const;
    void BringOwnerForward();

    bool OnOwnThread() const;

    std::atomic<bool> added_ = false;
    bool hidden_ = false;
    QPointer<QWidget> owner_;
    uint32_t callbackMessage_ = 0;
    uint32_t iconId_ = 0;
    QString tooltip_;
    QIcon icon_;
    std::unique_ptr<QSystemTrayIcon> tray_;
    CTrayHook ownerHook_{this};
    CTrayHook topLevelHook_{this};
    int clickCommand_ = 0;
    bool clickPending_ = false;
    int defaultItem_ = 0;
    MenuCallback menuCallback_;
    QPointer<QMenu> openMenu_;
    int addCount_ = 0;
};

// Watches whether the notification area is there and, when it comes back after having gone,
// sends TaskbarCreatedMessage() to every top-level window.
class NotificationAreaWatcher : public QObject {
    Q_OBJECT
public:
    // The one watcher, started by the first tray icon.
    static NotificationAreaWatcher& Instance();
    // Replaces QSystemTrayIcon::isSystemTrayAvailable (tests).
    void SetProbe(std::function<bool()> probe);
    // One look; returns whether the message went out.
    bool Poll();
    static void Broadcast();

private:
    NotificationAreaWatcher();
    std::function<bool()> probe_;
    bool available_ = false;
};
