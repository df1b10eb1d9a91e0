// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Menus and icons by resource id, registered by the windows that own them.

#include <QIcon>
#include <QMenu>
#include <QString>
#include <optional>
#include <vector>

struct MenuItemDescription {
    int id = 0;                               // command id; 0 for a popup or a separator
    QString text;                             // empty with id 0 and no submenu: separator
    std::vector<MenuItemDescription> submenu; // a popup's items
    bool IsSeparator() const { return id == 0 && text.isEmpty() && submenu.empty(); }
};

// A menu bar: its popups in order.
using MenuDescription = std::vector<MenuItemDescription>;

void RegisterMenuResource(int id, MenuDescription menu);
// nullptr when no menu has that id.
const MenuDescription* FindMenuResource(int id);

// A menu of these items; each action carries its command id as data.
QMenu* BuildMenu(const std::vector<MenuItemDescription>& items, QWidget* parent);
// The command id of an action built by BuildMenu (0 for none).
int MenuCommandId(const QAction* action);
// The action of a command id in a built menu and its submenus, or nullptr.
QAction* FindMenuCommand(const QMenu* menu, int id);

void RegisterIconResource(int id, const QIcon& icon);
void RegisterIconResource(const QString& name, const QIcon& icon);
std::optional<QIcon> FindIconResource(int id);
std::optional<QIcon> FindIconResource(const QString& name);
