// SPDX-License-Identifier: GPL-3.0-or-later
// The tray icon with its menu and state, and the menu button's menu.

#include "mainwindow/CKestrowDlg.h"
#include "mainwindow/WindowText.h"
#include "widgets/CTrayIcon.h"
#include "widgets/MenuResource.h"

#include <QMenu>
#include <QMetaObject>
#include <QPainter>
#include <QThread>

namespace {

// The tray icons 128 (idle), 141 (connected) and 142 (special mode), drawn as small keyboards.
QIcon TrayIconPicture(int iconId) {
    QPixmap pixmap(32, 32);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    const QColor body = iconId == kTrayIconPresent       ? QColor(0x2E, 0xA0, 0x4E)
                        : iconId == kTrayIconSpecialMode ? QColor(0xFF, 0x82, 0x00)
                                                         : QColor(0x70, 0x70, 0x78);
    painter.setBrush(body);
    painter.setPen(Qt::NoPen);
    painter.drawRoundedRect(QRectF(1, 8, 30, 16), 3, 3);
    painter.setBrush(QColor(0xF4, 0xF4, 0xF4));
    for (int row = 0; row < 2; ++row) {
        for (int col = 0; col < 6; ++col) {
            painter.drawRect(QRectF(4 + col * 4.2, 11 + row * 5, 3, 3));
        }
    }
    return QIcon(pixmap);
}

// Menu texts by command id; commands the menu does not hold are skipped.
constexpr std::pair<int, const char*> kTrayMenuTexts[] = {{CKestrowDlg::kCommandOpen, "MENU_11"},
                                                          {CKestrowDlg::kCommandAbout, "MENU_22"},
                                                          {CKestrowDlg::kCommandExit, "MENU_33"}};
constexpr std::pair<int, const char*> kBackupMenuTexts[] = {
    {CKestrowDlg::kCommandImport, "MENU_1"},
    {CKestrowDlg::kCommandExport, "MENU_2"},
    {CKestrowDlg::kCommandAbout, "MENU_3"},
    {CKestrowDlg::kCommandMenu4, "MENU_4"},
    {CKestrowDlg::kCommandFirmware, "MENU_UPDATE"}};

template <size_t N> void RelabelMenu(QMenu* menu, const std::pair<int, const char*> (&texts)[N]) {
    for (const auto& [id, key] : texts) {
        if (QAction* action = FindMenuCommand(menu, id)) {
            action->setText(Lang(key));
        }
    }
}

} // namespace

void CKestrowDlg::CreateTray() {
    // The tray's menu and the menu button's, and the three tray icons.
    RegisterMenuResource(kTrayIconId, {{0,
                                        QStringLiteral("Tray"),
                                        {{kCommandOpen, QStringLiteral("Open")},
                                         {kCommandAbout, QStringLiteral("About")},
                                         {kCommandExit, QStringLiteral("Exit")}}}});
    RegisterMenuResource(kBackupMenuId, {{0,
                                          QStringLiteral("Menu"),
                                          {{kCommandImport, QStringLiteral("restore")},
                                           {kCommandExport, QStringLiteral("backup")},
                                           {kCommandFirmware, QStringLiteral("update")}}}});
    for (int id : {kTrayIconAbsent, kTrayIconPresent, kTrayIconSpecialMode}) {
        RegisterIconResource(id, TrayIconPicture(id));
    }
    tray_ = std::make_unique<CTrayIcon>();
    if (notificationArea_) {
        tray_->Create(this, kTrayCallbackMessage,
                      Q(LangText("KEYBOARD_TRAY_DESC", CurrentLanguageIndex())),
                      TrayIconPicture(kTrayIconAbsent), kTrayIconId);
    }
    tray_->SetClickCommand(kIdProfileMenu);
    tray_->SetDefaultItem(0); // a double click opens the window
    tray_->SetMenuCallback([](QMenu* menu) { RelabelMenu(menu, kTrayMenuTexts); });
    trayIconId_ = kTrayIconAbsent;
}

void CKestrowDlg::SetTrayState(int kind, int iconId) {
    if (QThread::currentThread() != thread()) {
        if (!linkClosed_) {
            QMetaObject::invokeMethod(
                this, [this, kind, iconId] { SetTrayState(kind, iconId); }, Qt::QueuedConnection);
        }
        return;
    }
    if (closing_ || trayIconId_ == 0) {
        return;
    }
    int show = 0;
    if (kind == kTrayKindSpecial) {
        show = kTrayIconSpecialMode;
    } else if (iconId != 0) {
        presenceIcon_ = iconId;
        show = iconId;
    } else {
        show = presenceIcon_;
    }
    if (show == trayIconId_) {
        return;
    }
    trayIconId_ = show;
    if (tray_ != nullptr) {
        tray_->SetIcon(show);
    }
}

std::unique_ptr<QMenu> CKestrowDlg::BuildBackupMenu() {
    const MenuDescription* resource = FindMenuResource(kBackupMenuId);
    std::unique_ptr<QMenu> menu(BuildMenu(resource->front().submenu, this));
    RelabelMenu(menu.get(), kBackupMenuTexts);
    for (QAction* action : menu->actions()) {
        const int command = MenuCommandId(action);
        connect(action, &QAction::triggered, this, [this, command] { OnCommand(command); });
    }
    return menu;
}
