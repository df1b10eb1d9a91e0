// SPDX-License-Identifier: GPL-3.0-or-later
#include "skin/ui/ControlId.h"

#include <QVariant>

namespace {
constexpr const char* kIdProperty = "controlId";
}

void SetControlId(QWidget* control, int id) {
    if (control == nullptr) {
        return;
    }
    control->setProperty(kIdProperty, id);
    control->setObjectName(QString::number(id));
}

int ControlId(const QWidget* control) {
    if (control == nullptr) {
        return -1;
    }
    bool ok = false;
    const int id = control->property(kIdProperty).toInt(&ok);
    return ok ? id : -1;
}

QWidget* FindControl(const QWidget* parent, int id) {
    if (parent == nullptr) {
        return nullptr;
    }
    for (QWidget* w : parent->findChildren<QWidget*>()) {
        if (ControlId(w) == id) {
            return w;
        }
    }
    return nullptr;
}
