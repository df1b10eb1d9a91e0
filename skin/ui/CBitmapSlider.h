// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// A slider that shows one whole bitmap (the lighting panel swaps it at every position) and
// tells its parent about every move by posting a WindowMessageEvent: message
// WM_BITMAPSLIDER_MOVING (0x28D1), wParam the slider's control id, lParam the new position.

#include <QPixmap>
#include <QWidget>

class CBitmapSlider : public QWidget {
    Q_OBJECT
public:
    explicit CBitmapSlider(QWidget* parent = nullptr, int id = 0);
    ~CBitmapSlider() override;

    void SetRange(int min, int max);
    int GetRangeMin() const { return min_; }
    int GetRangeMax() const { return max_; }
    // Returns the old page step.
    int SetPageSize(int page);
    int GetPageSize() const { return page_; }
    // Clamped to the range; redraws.
    void SetPos(int pos);
    int GetPos() const { return pos_; }
    void SetVertical(bool vertical) { vertical_ = vertical; }
    bool IsVertical() const { return vertical_; }

    // Shows this picture from now on.
    virtual void SetPicture(const QPixmap& picture);
    // Shows the picture and takes its size.
    void SetFirstPicture(const QPixmap& picture);
    const QPixmap& Picture() const { return picture_; }

    bool IsDragging() const { return dragging_; }
    bool IsInside() const { return inside_; }

    // The position a pointer coordinate (x, or y when vertical) stands for, before clamping.
    int PositionFromCoordinate(int coordinate) const;
    // The pixel of a position along the slider.
    int PixelOfPosition(int pos) const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    void Notify();
    int Coordinate(const QPointF& at) const;
    void MoveTo(int coordinate);

    int min_ = 0;
    int max_ = 100;
    int pos_ = 0;
    int page_ = 10;
    bool vertical_ = false;
    bool dragging_ = false;
    bool inside_ = false;
    int wheelRest_ = 0;
    QPixmap picture_;
};
