// SPDX-License-Identifier: GPL-3.0-or-later
#include "skin/ui/CSkinColorBtn.h"

#include "skin/ui/ControlId.h"

#include <QColorDialog>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QStyleOptionFocusRect>
#include <algorithm>

namespace {

constexpr int kCell = 18;
constexpr int kGap = 2;
constexpr int kEntryHeight = 22;

// The usual forty colours of a colour picker, five rows of eight at first.
std::vector<ColorRef> DefaultPalette() {
    static const QRgb rgb[] = {0x000000, 0x993300, 0x333300, 0x003300, 0x003366, 0x000080, 0x333399,
                               0x333333, 0x800000, 0xFF6600, 0x808000, 0x008000, 0x008080, 0x0000FF,
                               0x666699, 0x808080, 0xFF0000, 0xFF9900, 0x99CC00, 0x339966, 0x33CCCC,
                               0x3366FF, 0x800080, 0x999999, 0xFF00FF, 0xFFCC00, 0xFFFF00, 0x00FF00,
                               0x00FFFF, 0x00CCFF, 0x993366, 0xC0C0C0, 0xFF99CC, 0xFFCC99, 0xFFFF99,
                               0xCCFFCC, 0xCCFFFF, 0x99CCFF, 0xCC99FF, 0xFFFFFF};
    std::vector<ColorRef> out;
    for (QRgb c : rgb) {
        out.push_back(MakeColorRef(qRed(c), qGreen(c), qBlue(c)));
    }
    return out;
}

} // namespace

// ---- popup -----------------------------------------------------------------------------

CSkinColorPopup::CSkinColorPopup(CSkinColorBtn* button)
    : QFrame(button, Qt::Popup), button_(button), cells_(button->Palette()),
      columns_(std::max(1, button->ColumnsNumber())) {
    setAttribute(Qt::WA_DeleteOnClose);
    setFrameShape(QFrame::Box);
    const int rows = (CellCount() + columns_ - 1) / columns_;
    int height = kGap + rows * (kCell + kGap);
    if (button->HasAutomaticButton()) {
        height += kEntryHeight + kGap;
    }
    if (button->HasOtherButton()) {
        height += kEntryHeight + kGap;
    }
    setFixedSize(kGap + columns_ * (kCell + kGap), height);
}

QRect CSkinColorPopup::AutomaticRect() const {
    if (!button_ || !button_->HasAutomaticButton()) {
        return {};
    }
    return {kGap, kGap, width() - 2 * kGap, kEntryHeight};
}

QRect CSkinColorPopup::CellRect(int index) const {
    if (index < 0 || index >= CellCount()) {
        return {};
    }
    const int top = AutomaticRect().isNull() ? kGap : AutomaticRect().bottom() + 1 + kGap;
    return {kGap + (index % columns_) * (kCell + kGap), top + (index / columns_) * (kCell + kGap),
            kCell, kCell};
}

QRect CSkinColorPopup::OtherRect() const {
    if (!button_ || !button_->HasOtherButton()) {
        return {};
    }
    const int rows = (CellCount() + columns_ - 1) / columns_;
    const int top = (AutomaticRect().isNull() ? kGap : AutomaticRect().bottom() + 1 + kGap) +
                    rows * (kCell + kGap);
    return {kGap, top, width() - 2 * kGap, kEntryHeight};
}

void CSkinColorPopup::paintEvent(QPaintEvent* event) {
    QFrame::paintEvent(event);
    QPainter p(this);
    const ColorRef current = button_ ? button_->GetColor() : kColorNone;
    auto entry = [&](const QRect& r, const QString& label, bool selected) {
        p.setPen(palette().color(QPalette::Mid));
        p.setBrush(selected ? palette().color(QPalette::Highlight).lighter(170)
                            : palette().color(QPalette::Button));
        p.drawRect(r.adjusted(0, 0, -1, -1));
        p.setPen(palette().color(QPalette::ButtonText));
        p.drawText(r, Qt::AlignCenter, label);
    };
    if (button_ && button_->HasAutomaticButton()) {
        const QRect r = AutomaticRect();
        entry(r, button_->AutomaticLabel(), current == kColorNone);
        p.fillRect(QRect(r.left() + 4, r.top() + 4, r.height() - 8, r.height() - 8),
                   ToQColor(button_->GetAutomaticColor()));
    }
    for (int i = 0; i < CellCount(); ++i) {
        const QRect r = CellRect(i);
        const bool selected = cells_[static_cast<size_t>(i)] == current;
        p.setPen(selected ? palette().color(QPalette::Highlight) : QColor(0x80, 0x80, 0x80));
        p.setBrush(ToQColor(cells_[static_cast<size_t>(i)]));
        p.drawRect(r.adjusted(1, 1, -2, -2));
        if (selected) {
            p.setBrush(Qt::NoBrush);
            p.drawRect(r.adjusted(0, 0, -1, -1));
        }
    }
    if (button_ && button_->HasOtherButton()) {
        entry(OtherRect(), button_->OtherLabel(), false);
    }
}

void CSkinColorPopup::mouseReleaseEvent(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    if (AutomaticRect().contains(at)) {
        ChooseAutomatic();
        return;
    }
    if (OtherRect().contains(at)) {
        ChooseOther();
        return;
    }
    for (int i = 0; i < CellCount(); ++i) {
        if (CellRect(i).contains(at)) {
            ChooseCell(i);
            return;
        }
    }
    if (!rect().contains(at)) {
        Finish(std::nullopt);
    }
}

void CSkinColorPopup::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        Finish(std::nullopt);
        return;
    }
    QFrame::keyPressEvent(event);
}

void CSkinColorPopup::ChooseCell(int index) {
    if (index < 0 || index >= CellCount()) {
        return;
    }
    Finish(cells_[static_cast<size_t>(index)]);
}

void CSkinColorPopup::ChooseAutomatic() {
    Finish(kColorNone);
}

void CSkinColorPopup::ChooseOther() {
    // The popup goes first so that the dialog is not hidden beneath it.
    runningOther_ = true;
    hide();
    std::optional<QColor> picked;
    if (button_) {
        picked = button_->RunOtherDialog();
    }
    runningOther_ = false;
    Finish(picked && picked->isValid() ? std::optional<ColorRef>(FromQColor(*picked))
                                       : std::nullopt);
}

void CSkinColorPopup::hideEvent(QHideEvent* event) {
    // Closed by a click elsewhere: no choice.
    QFrame::hideEvent(event);
    if (!runningOther_) {
        Finish(std::nullopt);
    }
}

void CSkinColorPopup::Finish(std::optional<ColorRef> choice) {
    if (finished_) {
        return;
    }
    finished_ = true;
    close();
    if (button_) {
        button_->PopupFinished(choice);
    }
}

// ---- button ----------------------------------------------------------------------------

CSkinColorBtn::CSkinColorBtn(QWidget* parent, int id)
    : QAbstractButton(parent), palette_(DefaultPalette()) {
    if (id != 0) {
        SetControlId(this, id);
    }
    setAttribute(Qt::WA_Hover);
    setFocusPolicy(Qt::StrongFocus);
    otherDialog_ = [](const QColor& initial, QWidget* owner) -> std::optional<QColor> {
        const QColor c = QColorDialog::getColor(initial, owner);
        if (!c.isValid()) {
            return std::nullopt;
        }
        return c;
    };
}

CSkinColorBtn::~CSkinColorBtn() {
    if (popup_) {
        popup_->DetachButton();
        delete popup_;
    }
}

void CSkinColorBtn::SetColor(ColorRef colour) {
    colour_ = colour;
    update();
}

void CSkinColorBtn::EnableAutomaticButton(const QString& label, ColorRef automatic, bool enable) {
    automaticLabel_ = label;
    automatic_ = automatic;
    automaticOn_ = enable;
    update();
}

void CSkinColorBtn::EnableOtherButton(const QString& label, bool enable) {
    otherLabel_ = label;
    otherOn_ = enable;
}

void CSkinColorBtn::SetColumnsNumber(int columns) {
    columns_ = std::max(1, columns);
}

void CSkinColorBtn::SetPalette(std::vector<ColorRef> colours) {
    palette_ = std::move(colours);
}

std::optional<QColor> CSkinColorBtn::RunOtherDialog() {
    if (!otherDialog_) {
        return std::nullopt;
    }
    return otherDialog_(DisplayColor(), this);
}

void CSkinColorBtn::OpenPopup() {
    if (popup_) {
        return;
    }
    popup_ = new CSkinColorPopup(this);
    popup_->move(mapToGlobal(QPoint(0, height())));
    popup_->show();
    update();
}

void CSkinColorBtn::PopupFinished(std::optional<ColorRef> choice) {
    popup_ = nullptr;
    setDown(false);
    update();
    if (!choice) {
        return;
    }
    SetColor(*choice);
    emit clicked(false);
}

void CSkinColorBtn::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const QRect face = rect().adjusted(-1, -1, 1, 1);
    const int mid = height() / 2;
    const int half = width() / 2;

    // Colour part: the left half and five pixels more.
    const QRect colourPart(QPoint(face.left(), face.top()), QPoint(half + 5, face.bottom()));
    p.setPen(palette().color(QPalette::Shadow));
    if (isEnabled()) {
        p.setBrush(DisplayColor());
    } else {
        p.setBrush(Qt::NoBrush);
    }
    p.drawRect(colourPart.adjusted(1, 1, -1, -1));

    // Arrow part.
    const QRect arrowPart(QPoint(half + 3, face.top()), face.bottomRight());
    p.fillRect(arrowPart, QColor(kArrowGrey));
    const int right = face.right() + 1;
    QPainterPath arrow;
    arrow.moveTo(right - 11, mid - 2);
    arrow.lineTo(right - 5, mid - 2);
    arrow.lineTo(right - 8, mid + 1);
    arrow.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::black);
    p.drawPath(arrow);

    if (hasFocus()) {
        QStyleOptionFocusRect option;
        option.initFrom(this);
        option.rect = rect().adjusted(3, 3, -3, -3);
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &option, &p, this);
    }
}

void CSkinColorBtn::mouseReleaseEvent(QMouseEvent* event) {
    // The click goes to the owner only after a colour is chosen.
    if (event->button() == Qt::LeftButton && isDown() && hitButton(event->position().toPoint())) {
        OpenPopup();
        event->accept();
        return;
    }
    setDown(false);
    QAbstractButton::mouseReleaseEvent(event);
}

void CSkinColorBtn::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Space || event->key() == Qt::Key_Return ||
        event->key() == Qt::Key_Enter || event->key() == Qt::Key_Down) {
        OpenPopup();
        event->accept();
        return;
    }
    QAbstractButton::keyPressEvent(event);
}

void CSkinColorBtn::focusOutEvent(QFocusEvent* event) {
    // A lost focus lets go of a held press at once.
    if (popup_ == nullptr) {
        setDown(false);
    }
    if (QWidget::mouseGrabber() == this) {
        releaseMouse();
    }
    repaint();
    QAbstractButton::focusOutEvent(event);
}

void CSkinColorBtn::leaveEvent(QEvent* event) {
    update();
    QAbstractButton::leaveEvent(event);
}
