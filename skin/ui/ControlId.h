// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Every control keeps the numeric id of its window: as a property and as its object name
// (the id in decimal), so that windows and tests can find a control by id.

#include <QWidget>

void SetControlId(QWidget* control, int id);
// -1 when the widget carries no id.
int ControlId(const QWidget* control);
// The first descendant of parent with that id (searched recursively), or nullptr.
QWidget* FindControl(const QWidget* parent, int id);

template <typename T> T* FindControlAs(const QWidget* parent, int id) {
    return qobject_cast<T*>(FindControl(parent, id));
}
