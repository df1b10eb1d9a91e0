// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// A transparent label with its own text colour: the skin picture shows through around the
// text.

#include "skin/ui/ColorRef.h"

#include <QLabel>

class ColorStatic : public QLabel {
    Q_OBJECT
public:
    explicit ColorStatic(QWidget* parent = nullptr, int id = 0);

    void SetTextColour(const QColor& colour);
    void SetTextColour(ColorRef colour) { SetTextColour(ToQColor(colour)); }
    QColor TextColour() const { return textColour_; }
    // Font height in pixels.
    void SetFontHeight(int height);

private:
    QColor textColour_ = Qt::white;
};
