// SPDX-License-Identifier: GPL-3.0-or-later
#include "widgets/MenuResource.h"

#include <QAction>
#include <map>

namespace {

std::map<int, MenuDescription>& Menus() {
    static std::map<int, MenuDescription> menus;
    return menus;
}
std::map<int, QIcon>& IconsById() {
    static std::map<int, QIcon> icons;
    return icons;
}
std::map<QString, QIcon>& IconsByName() {
    static std::map<QString, QIcon> icons;
    return icons;
}

} // namespace

void RegisterMenuResource(int id, MenuDescription menu) {
    Menus()[id] = std::move(menu);
}

const MenuDescription* FindMenuResource(int id) {
    const auto found = Menus().find(id);
    return found == Menus().end() ? nullptr : &found->second;
}

QMenu* BuildMenu(const std::vector<MenuItemDescription>& items, QWidget* parent) {
    auto* menu = new QMenu(parent);
    for (const MenuItemDescription& item : items) {
        if (item.IsSeparator()) {
            menu->addSeparator();
        } else if (!item.submenu.empty()) {
            QMenu* sub = BuildMenu(item.submenu, menu);
            sub->setTitle(item.text);
            menu->addMenu(sub);
        } else {
            QAction* action = menu->addAction(item.text);
            action->setData(item.id);
        }
    }
    return menu;
}

int MenuCommandId(const QAction* action) {
    return action == nullptr ? 0 : action->data().toInt();
}

QAction* FindMenuCommand(const QMenu* menu, int id) {
    if (menu == nullptr) {
        return nullptr;
    }
    for (QAction* action : menu->actions()) {
        if (action->menu() != nullptr) {
            if (QAction* inner = FindMenuCommand(action->menu(), id)) {
                return inner;
            }
        } else if (!action->isSeparator() && MenuCommandId(action) == id) {
            return action;
        }
    }
    return nullptr;
}

void RegisterIconResource(int id, const QIcon& icon) {
    IconsById()[id] = icon;
}

void RegisterIconResource(const QString& name, const QIcon& icon) {
    IconsByName()[name] = icon;
}

std::optional<QIcon> FindIconResource(int id) {
    const auto found = IconsById().find(id);
    if (found == IconsById().end()) {
        return std::nullopt;
    }
    return found->second;
}

std::optional<QIcon> FindIconResource(const QString& name) {
    const auto found = IconsByName().find(name);
    if (found == IconsByName().end()) {
        return std::nullopt;
    }
    return found->second;
}
