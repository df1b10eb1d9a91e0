// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// An image push button whose face is cut out of whole-window state pictures at the button's
// own place in them, or a coloured frame drawn over what lies beneath. The pictures belong to
// the owner window and must outlive the button. A double click gives two clicks.

#include <QAbstractButton>
#include <QColor>
#include <QPixmap>
#include <QString>
#include <QTimer>
#include <array>
#include <functional>

class CPngButton : public QAbstractButton {
    Q_OBJECT
public:
    // Which picture a redraw uses.
    enum class Face { Normal, Over, Down, Disabled, Checked, Custom1, Custom2 };
    // Text colours by state: normal, over, down, disabled, checked.
    using TextColours = std::array<QColor, 5>;
    // Called after every redraw with the painter of that redraw; normalFaceDrawn tells whether
    // the normal picture was the one picked.
    using AfterDraw =
        std::function<void(CPngButton* button, QPainter& painter, bool normalFaceDrawn)>;

    // Layout flags of the window text, as DrawText takes them.
    static constexpr unsigned kDtCenter = 0x1;
    static constexpr unsigned kDtRight = 0x2;
    static constexpr unsigned kDtVCenter = 0x4;
    static constexpr unsigned kDtBottom = 0x8;
    static constexpr unsigned kDtWordBreak = 0x10;
    static constexpr unsigned kDtSingleLine = 0x20;
    static constexpr unsigned kDtNoPrefix = 0x800;
    static constexpr unsigned kDefaultTextFormat = 37; // centred both ways, single line

    explicit CPngButton(QWidget* parent = nullptr, int id = 0);
    ~CPngButton() override;

    // Face position inside the state pictures and the five pictures; clears hover, pressed and
    // custom mode.
    void SetImages(int x, int y, const QPixmap* normal, const QPixmap* over, const QPixmap* down,
                   const QPixmap* disabled, const QPixmap* checked, bool redraw = true);
    void SetCustomImages(const QPixmap* custom1, bool customMode, const QPixmap* custom2,
                         bool customSelect, bool redraw = true);
    void SetCheck(bool checked, bool redraw = true);
    bool GetCheck() const { return checked_; }
    void SetColourFrame(const QColor& colour, bool on);
    void SetTextStyle(bool textOn, int size, const QString& face, const TextColours& colours,
                      unsigned format = kDefaultTextFormat);
    void SetTextMargins(int left, int right, int top, int bottom);
    // escapement in tenths of a degree, counter-clockwise; rotated centres the turned text and
    // draws it heavy.
    void SetRotation(int escapement, bool rotated);
    void SetTooltipText(const QString& text, bool activate = true);
    void SetAfterDraw(AfterDraw callback) { afterDraw_ = std::move(callback); }

    Face PickedFace() const;
    bool IsHover() const { return hover_; }
    bool IsCustomMode() const { return customMode_; }
    bool IsFrameOn() const { return frameOn_; }
    QColor FrameColour() const { return frameColour_; }
    QPoint FacePosition() const { return {srcX_, srcY_}; }
    const QString& TooltipText() const { return tooltipText_; }
    bool IsTooltipActive() const { return tooltipActive_; }
    bool HasTooltip() const { return tooltipCreated_; }

    static constexpr int kTooltipDelayMs = 300;

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    bool event(QEvent* event) override;

private:
    const QPixmap* PictureOf(Face face) const;
    int TextColourIndex(Face face) const;
    void DrawText(QPainter& painter, const QColor& colour);
    void ShowTooltip();
    void Redraw(bool redraw);

    const QPixmap* normal_ = nullptr;
    const QPixmap* over_ = nullptr;
    const QPixmap* down_ = nullptr;
    const QPixmap* disabled_ = nullptr;
    const QPixmap* checkedPic_ = nullptr;
    const QPixmap* custom1_ = nullptr;
    const QPixmap* custom2_ = nullptr;
    bool hover_ = false;
    bool tracking_ = false;
    bool checked_ = false;
    bool customMode_ = false;
    bool customSelect_ = false;
    int srcX_ = 0;
    int srcY_ = 0;
    bool textOn_ = false;
    int textSize_ = 8;
    QString textFace_ = QStringLiteral("Tahoma Unicode MS");
    TextColours textColours_{QColor(Qt::black), QColor(Qt::black), QColor(Qt::black),
                             QColor(Qt::gray), QColor(Qt::black)};
    unsigned textFormat_ = kDefaultTextFormat;
    int marginLeft_ = 0;
    int marginRight_ = 0;
    int marginTop_ = 0;
    int marginBottom_ = 0;
    int escapement_ = 0;
    bool rotated_ = false;
    AfterDraw afterDraw_;
    QString tooltipText_;
    bool tooltipActive_ = false;
    bool tooltipCreated_ = false;
    QTimer tooltipTimer_;
    bool frameOn_ = false;
    QColor frameColour_;
};
