// SPDX-License-Identifier: GPL-3.0-or-later
#include "skin/ui/CPngButton.h"

#include "skin/ui/ControlId.h"

#include <QEnterEvent>
#include <QFontMetrics>
#include <QHelpEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>

namespace {

constexpr int kMaxTextLength = 260;
// The colour frame: a band this wide along the button's edge.
constexpr int kFrameWidth = 2;
constexpr int kWeightRotated = 956;
constexpr int kWeightNormal = 400;

int QtTextFlags(unsigned format) {
    int flags = 0;
    if (format & CPngButton::kDtCenter) {
        flags |= Qt::AlignHCenter;
    } else if (format & CPngButton::kDtRight) {
        flags |= Qt::AlignRight;
    } else {
        flags |= Qt::AlignLeft;
    }
    // Vertical placement only means something for a single line.
    if (format & CPngButton::kDtSingleLine) {
        flags |= Qt::TextSingleLine;
        if (format & CPngButton::kDtVCenter) {
            flags |= Qt::AlignVCenter;
        } else if (format & CPngButton::kDtBottom) {
            flags |= Qt::AlignBottom;
        } else {
            flags |= Qt::AlignTop;
        }
    } else {
        flags |= Qt::AlignTop;
        if (format & CPngButton::kDtWordBreak) {
            flags |= Qt::TextWordWrap;
        }
    }
    if (!(format & CPngButton::kDtNoPrefix)) {
        flags |= Qt::TextShowMnemonic;
    }
    return flags;
}

} // namespace

CPngButton::CPngButton(QWidget* parent, int id) : QAbstractButton(parent) {
    if (id != 0) {
        SetControlId(this, id);
    }
    setAttribute(Qt::WA_Hover);
    setMouseTracking(true);
    // Only what the button paints is drawn; the window face shows elsewhere.
    setAttribute(Qt::WA_NoSystemBackground);
    setFocusPolicy(Qt::TabFocus);
    tooltipTimer_.setSingleShot(true);
    tooltipTimer_.setInterval(kTooltipDelayMs);
    connect(&tooltipTimer_, &QTimer::timeout, this, [this] { ShowTooltip(); });
}

CPngButton::~CPngButton() = default;

void CPngButton::Redraw(bool redraw) {
    if (redraw) {
        update();
    }
}

void CPngButton::SetImages(int x, int y, const QPixmap* normal, const QPixmap* over,
                           const QPixmap* down, const QPixmap* disabled, const QPixmap* checked,
                           bool redraw) {
    srcX_ = x;
    srcY_ = y;
    normal_ = normal;
    over_ = over;
    down_ = down;
    disabled_ = disabled;
    checkedPic_ = checked;
    hover_ = false;
    customMode_ = false;
    setDown(false);
    Redraw(redraw);
}

void CPngButton::SetCustomImages(const QPixmap* custom1, bool customMode, const QPixmap* custom2,
                                 bool customSelect, bool redraw) {
    custom1_ = custom1;
    custom2_ = custom2;
    customMode_ = customMode;
    customSelect_ = customSelect;
    Redraw(redraw);
}

void CPngButton::SetCheck(bool checked, bool redraw) {
    checked_ = checked;
    Redraw(redraw);
}

void CPngButton::SetColourFrame(const QColor& colour, bool on) {
    frameColour_ = colour;
    frameOn_ = on;
    update();
}

void CPngButton::SetTextStyle(bool textOn, int size, const QString& face,
                              const TextColours& colours, unsigned format) {
    textOn_ = textOn;
    textSize_ = size;
    textFace_ = face;
    textColours_ = colours;
    textFormat_ = format;
    update();
}

void CPngButton::SetTextMargins(int left, int right, int top, int bottom) {
    marginLeft_ = left;
    marginRight_ = right;
    marginTop_ = top;
    marginBottom_ = bottom;
    update();
}

void CPngButton::SetRotation(int escapement, bool rotated) {
    escapement_ = escapement;
    rotated_ = rotated;
    update();
}

void CPngButton::SetTooltipText(const QString& text, bool activate) {
    tooltipCreated_ = true;
    tooltipText_ = text;
    tooltipActive_ = activate;
    if (!activate) {
        tooltipTimer_.stop();
        if (QToolTip::isVisible() && QToolTip::text() == text) {
            QToolTip::hideText();
        }
    }
}

CPngButton::Face CPngButton::PickedFace() const {
    if (!isEnabled()) {
        return Face::Disabled;
    }
    if (customMode_) {
        return customSelect_ ? Face::Custom2 : Face::Custom1;
    }
    if (isDown()) {
        return Face::Down;
    }
    if (hover_) {
        return Face::Over;
    }
    if (checked_) {
        return Face::Checked;
    }
    return Face::Normal;
}

const QPixmap* CPngButton::PictureOf(Face face) const {
    switch (face) {
    case Face::Normal:
        return normal_;
    case Face::Over:
        return over_;
    case Face::Down:
        return down_;
    case Face::Disabled:
        return disabled_;
    case Face::Checked:
        return checkedPic_;
    case Face::Custom1:
        return custom1_;
    case Face::Custom2:
        return custom2_;
    }
    return nullptr;
}

int CPngButton::TextColourIndex(Face face) const {
    switch (face) {
    case Face::Over:
        return 1;
    case Face::Down:
        return 2;
    case Face::Disabled:
        return 3;
    case Face::Checked:
        return 4;
    default:
        return 0;
    }
}

void CPngButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const Face face = PickedFace();
    const QPixmap* picture = PictureOf(face);
    if (frameOn_) {
        // The frame alone: whatever the window painted beneath stays visible. The 2-pixel
        // band along the edge is filled as four strips: the preview redraws up to a hundred
        // frames a tick, and a stroked pen costs many times more.
        const int w = width();
        const int h = height();
        painter.fillRect(0, 0, w, kFrameWidth, frameColour_);
        painter.fillRect(0, h - kFrameWidth, w, kFrameWidth, frameColour_);
        painter.fillRect(0, kFrameWidth, kFrameWidth, h - 2 * kFrameWidth, frameColour_);
        painter.fillRect(w - kFrameWidth, kFrameWidth, kFrameWidth, h - 2 * kFrameWidth,
                         frameColour_);
    } else if (picture != nullptr && !picture->isNull()) {
        // Skin rectangles are one-based: the face starts one pixel up and left.
        painter.drawPixmap(0, 0, *picture, srcX_ - 1, srcY_ - 1, width(), height());
    }
    if (textOn_) {
        DrawText(painter, textColours_[static_cast<size_t>(TextColourIndex(face))]);
    }
    if (afterDraw_) {
        afterDraw_(this, painter, picture != nullptr && picture == normal_);
    }
}

void CPngButton::DrawText(QPainter& painter, const QColor& colour) {
    const QString label = text().left(kMaxTextLength);
    if (label.isEmpty()) {
        return;
    }
    QFont font(textFace_);
    font.setPointSize(textSize_ > 0 ? textSize_ : 8);
    font.setWeight(static_cast<QFont::Weight>(rotated_ ? kWeightRotated : kWeightNormal));
    font.setStyleHint(QFont::SansSerif);
    painter.save();
    painter.setFont(font);
    painter.setPen(colour);
    const QRect area = rect().adjusted(marginLeft_, marginTop_, marginRight_, marginBottom_);
    const int flags = QtTextFlags(textFormat_);
    const qreal angle = -escapement_ / 10.0;
    if (rotated_) {
        // Centre the turned text on the area.
        const QSize extent = QFontMetrics(font).size(Qt::TextSingleLine, label);
        painter.translate(QRectF(area).center());
        painter.rotate(angle);
        painter.drawText(QRect(-extent.width() / 2 - 1, -extent.height() / 2, extent.width() + 2,
                               extent.height()),
                         Qt::AlignCenter | Qt::TextSingleLine, label);
    } else if (escapement_ != 0) {
        painter.translate(area.topLeft());
        painter.rotate(angle);
        painter.drawText(QRect(0, 0, area.width(), area.height()), flags, label);
    } else {
        painter.drawText(area, flags, label);
    }
    painter.restore();
}

void CPngButton::enterEvent(QEnterEvent* event) {
    hover_ = true;
    tracking_ = true;
    update();
    // The tip is rebuilt with the stored text each time the pointer arrives.
    if (tooltipCreated_ && tooltipActive_ && !tooltipText_.isEmpty()) {
        tooltipTimer_.start();
    }
    QAbstractButton::enterEvent(event);
}

void CPngButton::leaveEvent(QEvent* event) {
    hover_ = false;
    tracking_ = false;
    tooltipTimer_.stop();
    update();
    QAbstractButton::leaveEvent(event);
}

void CPngButton::ShowTooltip() {
    if (hover_ && tooltipActive_ && !tooltipText_.isEmpty() && isVisible()) {
        QToolTip::showText(mapToGlobal(QPoint(width() / 2, height())), tooltipText_, this);
    }
}

void CPngButton::mouseDoubleClickEvent(QMouseEvent* event) {
    // The second press of a double click is a press like the first: two clicks.
    mousePressEvent(event);
}

bool CPngButton::event(QEvent* event) {
    // Tips come from our own delayed timer, not from the framework's.
    if (event->type() == QEvent::ToolTip) {
        event->accept();
        return true;
    }
    return QAbstractButton::event(event);
}
