// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// A colour-picker button drawn to fit the skin: the chosen colour on the left, a grey arrow
// part on the right. A click opens a colour popup (palette, optional automatic entry, an
// "other" entry opening the full colour dialog); after a choice the button emits clicked()
// and the owner reads GetColor(), taking the automatic colour when it is kColorNone.

#include "skin/ui/ColorRef.h"

#include <QAbstractButton>
#include <QFrame>
#include <QPointer>
#include <functional>
#include <optional>
#include <vector>

class CSkinColorBtn;

// The popup of a CSkinColorBtn: palette cells in rows of the button's column count, then the
// automatic and "other" entries when enabled.
class CSkinColorPopup : public QFrame {
    Q_OBJECT
public:
    explicit CSkinColorPopup(CSkinColorBtn* button);

    int ColumnCount() const { return columns_; }
    int CellCount() const { return static_cast<int>(cells_.size()); }
    // Where each palette cell lies in the popup.
    QRect CellRect(int index) const;
    QRect AutomaticRect() const;
    QRect OtherRect() const;

    // What the entries do when clicked.
    void ChooseCell(int index);
    void ChooseAutomatic();
    void ChooseOther();
    // The button is going: the popup tells it nothing more.
    void DetachButton() { button_ = nullptr; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void Finish(std::optional<ColorRef> choice);

    QPointer<CSkinColorBtn> button_;
    std::vector<ColorRef> cells_;
    int columns_;
    bool finished_ = false;
    bool runningOther_ = false;
};

class CSkinColorBtn : public QAbstractButton {
    Q_OBJECT
public:
    // Asks for a colour freely; std::nullopt when the user cancels.
    using OtherDialog = std::function<std::optional<QColor>(const QColor& initial, QWidget* owner)>;

    explicit CSkinColorBtn(QWidget* parent = nullptr, int id = 0);
    ~CSkinColorBtn() override;

    void SetColor(ColorRef colour);
    ColorRef GetColor() const { return colour_; }
    void SetAutomaticColor(ColorRef colour) {
        automatic_ = colour;
        update();
    }
    ColorRef GetAutomaticColor() const { return automatic_; }
    // The colour the owner takes: the chosen one, or the automatic colour for "none".
    ColorRef EffectiveColor() const { return colour_ == kColorNone ? automatic_ : colour_; }
    // The drawn colour of the left half (what EffectiveColor gives).
    QColor DisplayColor() const { return ToQColor(EffectiveColor()); }

    // An automatic entry in the popup that chooses "none".
    void EnableAutomaticButton(const QString& label, ColorRef automatic, bool enable = true);
    // An "other" entry that opens the full colour dialog.
    void EnableOtherButton(const QString& label, bool enable = true);
    void SetColumnsNumber(int columns);
    int ColumnsNumber() const { return columns_; }
    void SetPalette(std::vector<ColorRef> colours);
    const std::vector<ColorRef>& Palette() const { return palette_; }
    const QString& AutomaticLabel() const { return automaticLabel_; }
    bool HasAutomaticButton() const { return automaticOn_; }
    const QString& OtherLabel() const { return otherLabel_; }
    bool HasOtherButton() const { return otherOn_; }

    // Replaces the full colour dialog (QColorDialog by default).
    void SetOtherDialog(OtherDialog dialog) { otherDialog_ = std::move(dialog); }
    std::optional<QColor> RunOtherDialog();

    void OpenPopup();
    CSkinColorPopup* Popup() const { return popup_; }
    // The popup's end: a choice sets the colour and tells the owner; nullopt leaves all as it
    // was.
    void PopupFinished(std::optional<ColorRef> choice);

    static constexpr QRgb kArrowGrey = 0x94918B; // red 148, green 145, blue 139

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    ColorRef colour_ = kColorNone;
    ColorRef automatic_ = MakeColorRef(0, 0, 0);
    std::vector<ColorRef> palette_;
    int columns_ = 8;
    QString automaticLabel_;
    bool automaticOn_ = false;
    QString otherLabel_;
    bool otherOn_ = false;
    OtherDialog otherDialog_;
    QPointer<CSkinColorPopup> popup_;
};
