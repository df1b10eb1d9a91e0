// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// A picture control that tells its owner about clicks: it shows one bitmap from its top-left
// corner, and a left click (pressed and released over it) emits clicked(). A double click is
// two clicks.

#include <QLabel>

class PictureStatic : public QLabel {
    Q_OBJECT
public:
    explicit PictureStatic(QWidget* parent = nullptr, int id = 0);

    // Shows the picture; an empty one leaves the control bare.
    void SetPicture(const QPixmap& picture);
    // The picture shown now (its cache key tells pictures apart in tests).
    qint64 PictureKey() const { return shownKey_; }

signals:
    void clicked();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    bool pressed_ = false;
    qint64 shownKey_ = 0;
};
