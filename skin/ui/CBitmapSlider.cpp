// SPDX-License-Identifier: GPL-3.0-or-later
#include "skin/ui/CBitmapSlider.h"

#include "skin/ui/ControlId.h"
#include "skin/ui/WindowMessageEvent.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyleOptionFocusRect>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>
#include <limits>

namespace {
constexpr int kWheelNotch = 120;
}

CBitmapSlider::CBitmapSlider(QWidget* parent, int id) : QWidget(parent) {
    if (id != 0) {
        SetControlId(this, id);
    }
    setFocusPolicy(Qt::ClickFocus);
    setMouseTracking(true);
}

CBitmapSlider::~CBitmapSlider() = default;

void CBitmapSlider::SetRange(int min, int max) {
    min_ = min;
    max_ = max;
}

int CBitmapSlider::SetPageSize(int page) {
    const int old = page_;
    page_ = page;
    return old;
}

void CBitmapSlider::SetPos(int pos) {
    const int low = std::min(min_, max_);
    const int high = std::max(min_, max_);
    pos_ = std::clamp(pos, low, high);
    update();
}

void CBitmapSlider::SetPicture(const QPixmap& picture) {
    picture_ = picture;
    update();
}

void CBitmapSlider::SetFirstPicture(const QPixmap& picture) {
    picture_ = picture;
    resize(picture.size());
    update();
}

int CBitmapSlider::PositionFromCoordinate(int coordinate) const {
    const int extent = vertical_ ? height() : width();
    // An empty range or a slider without extent has only one position.
    if (extent <= 0 || max_ == min_) {
        return min_;
    }
    const double offset = vertical_ ? coordinate : coordinate + 10;
    const double value =
        min_ + offset / extent * (static_cast<double>(max_) - static_cast<double>(min_));
    const double clamped = std::clamp(value, static_cast<double>(std::numeric_limits<int>::min()),
                                      static_cast<double>(std::numeric_limits<int>::max()));
    return static_cast<int>(std::trunc(clamped));
}

int CBitmapSlider::PixelOfPosition(int pos) const {
    if (max_ == min_) {
        return 0;
    }
    const int extent = vertical_ ? height() : width();
    return static_cast<int>((static_cast<double>(pos) - min_) / (static_cast<double>(max_) - min_) *
                            extent);
}

int CBitmapSlider::Coordinate(const QPointF& at) const {
    return static_cast<int>(std::floor(vertical_ ? at.y() : at.x()));
}

void CBitmapSlider::Notify() {
    PostWindowMessage(parentWidget(), WM_BITMAPSLIDER_MOVING,
                      static_cast<uintptr_t>(std::max(ControlId(this), 0)), pos_);
}

void CBitmapSlider::MoveTo(int coordinate) {
    if (coordinate != PixelOfPosition(pos_)) {
        SetPos(PositionFromCoordinate(coordinate));
        Notify();
    }
}

void CBitmapSlider::mousePressEvent(QMouseEvent* event) {
    if (!isEnabled() || event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    // The press grabs the pointer until the release.
    setFocus(Qt::MouseFocusReason);
    dragging_ = true;
    inside_ = true;
    MoveTo(Coordinate(event->position()));
    event->accept();
}

void CBitmapSlider::mouseMoveEvent(QMouseEvent* event) {
    if (!isEnabled()) {
        return;
    }
    if (!inside_ && rect().contains(event->position().toPoint())) {
        inside_ = true;
        update();
    }
    if (dragging_) {
        MoveTo(Coordinate(event->position()));
    }
    event->accept();
}

void CBitmapSlider::mouseReleaseEvent(QMouseEvent* event) {
    if (!isEnabled() || event->button() != Qt::LeftButton) {
        QWidget::mouseReleaseEvent(event);
        return;
    }
    dragging_ = false;
    // Always told, moved or not: the owner acts on the final place.
    Notify();
    event->accept();
}

void CBitmapSlider::keyPressEvent(QKeyEvent* event) {
    if (!isEnabled()) {
        QWidget::keyPressEvent(event);
        return;
    }
    const long long pos = pos_;
    long long next = pos;
    switch (event->key()) {
    case Qt::Key_PageUp:
        next = pos - page_;
        break;
    case Qt::Key_PageDown:
        next = pos + page_;
        break;
    case Qt::Key_End:
        next = max_;
        break;
    case Qt::Key_Home:
        next = min_;
        break;
    case Qt::Key_Right:
    case Qt::Key_Down:
        next = pos + 1;
        break;
    case Qt::Key_Left:
    case Qt::Key_Up:
        next = pos - 1;
        break;
    default:
        QWidget::keyPressEvent(event);
        return;
    }
    SetPos(static_cast<int>(std::clamp<long long>(next, std::numeric_limits<int>::min(),
                                                  std::numeric_limits<int>::max())));
    Notify();
    event->accept();
}

void CBitmapSlider::wheelEvent(QWheelEvent* event) {
    if (!isEnabled() || !inside_) {
        event->ignore();
        return;
    }
    // One step per notch's worth of turning, whatever the size of one event: a fast turn
    // reported as +240 still moves up, and fine-grained wheels add up to a notch.
    const int delta =
        event->angleDelta().y() != 0 ? event->angleDelta().y() : event->angleDelta().x();
    wheelRest_ += delta;
    int step = 0;
    if (wheelRest_ >= kWheelNotch) {
        step = -1;
    } else if (wheelRest_ <= -kWheelNotch) {
        step = 1;
    }
    if (step != 0) {
        wheelRest_ = 0;
        SetPos(pos_ + step);
        Notify();
    }
    event->accept();
}

void CBitmapSlider::enterEvent(QEnterEvent* event) {
    inside_ = true;
    update();
    QWidget::enterEvent(event);
}

void CBitmapSlider::leaveEvent(QEvent* event) {
    inside_ = false;
    wheelRest_ = 0;
    update();
    QWidget::leaveEvent(event);
}

void CBitmapSlider::paintEvent(QPaintEvent*) {
    QPainter p(this);
    if (!picture_.isNull()) {
        p.drawPixmap(0, 0, picture_);
    }
    if (inside_) {
        QStyleOptionFocusRect option;
        option.initFrom(this);
        option.rect = rect();
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &option, &p, this);
    }
}
