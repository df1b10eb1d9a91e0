// SPDX-License-Identifier: GPL-3.0-or-later
#include "skin/ui/PictureStatic.h"

#include "skin/ui/ControlId.h"

#include <QMouseEvent>

PictureStatic::PictureStatic(QWidget* parent, int id) : QLabel(parent) {
    if (id != 0) {
        SetControlId(this, id);
    }
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
    setAttribute(Qt::WA_TranslucentBackground);
}

void PictureStatic::SetPicture(const QPixmap& picture) {
    shownKey_ = picture.isNull() ? 0 : picture.cacheKey();
    if (picture.isNull()) {
        clear();
    } else {
        setPixmap(picture);
    }
}

void PictureStatic::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        pressed_ = true;
        event->accept();
        return;
    }
    QLabel::mousePressEvent(event);
}

void PictureStatic::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && pressed_) {
        pressed_ = false;
        event->accept();
        // Only a release over the picture is a click.
        if (rect().contains(event->position().toPoint())) {
            emit clicked();
        }
        return;
    }
    QLabel::mouseReleaseEvent(event);
}

void PictureStatic::mouseDoubleClickEvent(QMouseEvent* event) {
    // The second press of a double click starts a click of its own.
    mousePressEvent(event);
}
