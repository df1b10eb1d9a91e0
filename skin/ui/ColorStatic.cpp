// SPDX-License-Identifier: GPL-3.0-or-later
#include "skin/ui/ColorStatic.h"

#include "skin/ui/ControlId.h"

ColorStatic::ColorStatic(QWidget* parent, int id) : QLabel(parent) {
    if (id != 0) {
        SetControlId(this, id);
    }
    setAutoFillBackground(false);
    setAttribute(Qt::WA_TranslucentBackground);
    SetTextColour(textColour_);
}

void ColorStatic::SetTextColour(const QColor& colour) {
    textColour_ = colour;
    QPalette pal = palette();
    pal.setColor(QPalette::WindowText, colour);
    pal.setColor(QPalette::Text, colour);
    setPalette(pal);
    repaint();
}

void ColorStatic::SetFontHeight(int height) {
    QFont f = font();
    f.setPixelSize(std::max(1, height));
    setFont(f);
    repaint();
}
