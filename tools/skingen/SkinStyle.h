// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The look shared by every picture: colours, fonts and the drawing of keys, buttons, tabs and
// icons.

#include "tools/skingen/SkinModel.h"

#include <QColor>
#include <QFont>
#include <QLinearGradient>
#include <QRectF>

namespace skingen::style {

// Window chrome
inline const QColor kWindow{0x12, 0x14, 0x1A};
inline const QColor kBar{0x17, 0x1A, 0x21};
inline const QColor kEdge{0x2C, 0x31, 0x3C};
inline const QColor kPlate{0x1B, 0x1E, 0x26};
inline const QColor kPlateEdge{0x2B, 0x30, 0x3B};
inline const QColor kPanel{0x1A, 0x1D, 0x25};
inline const QColor kCard{0x20, 0x24, 0x2D};

// Text
inline const QColor kText{0xE8, 0xEB, 0xF1};
inline const QColor kTextDim{0x9A, 0xA3, 0xB2};
inline const QColor kTextOff{0x5B, 0x61, 0x6D};

// Accent: a warm orange that matches the hover text colours the windows use, with a red and
// a violet for gradients.
inline const QColor kAccent{0xFF, 0x8A, 0x1F};
inline const QColor kAccent2{0xFF, 0x4D, 0x5E};
inline const QColor kAccent3{0x9B, 0x5C, 0xFF};

// Controls
inline const QColor kControl{0x26, 0x2A, 0x34};
inline const QColor kControlEdge{0x38, 0x3E, 0x4A};

// Fonts by pixel size; DejaVu Sans comes with the build's fonts package.
QFont Font(double px, bool bold = false);
// DejaVu Sans Condensed (from the extra fonts package) for words on narrow caps.
QFont CondensedFont(double px);
// Loads the DejaVu fonts from the system's font folder when present; call once.
void LoadFonts();

// A key cap filling `cell` (the art rectangle of the key button).
void DrawKeyCap(QPainter& p, const QRectF& cell, Look look, const Control& key);
// A rounded button; label and icon are optional (most buttons get their text at run time).
void DrawButton(QPainter& p, const QRectF& box, Look look, Icon icon = Icon::None,
                const QString& label = {}, bool primary = false);
// A page tab of the key-setting dialog.
void DrawTab(QPainter& p, const QRectF& box, Look look);
// A round-cornered icon button without a plate in its normal look (window buttons).
void DrawIconButton(QPainter& p, const QRectF& box, Look look, Icon icon, bool danger = false);
// A lock-state indicator.
void DrawIndicator(QPainter& p, const QRectF& box, Look look, const QString& glyph);
// The program's word mark.
void DrawLogo(QPainter& p, const QRectF& box, Look look);
// An icon centred in box, drawn with pen colour c.
void DrawIcon(QPainter& p, const QRectF& box, Icon icon, const QColor& c);
// Draws one image control in the given look, at its art rectangle.
void DrawControl(QPainter& p, const Control& c, Look look);

// The accent gradient across a rectangle (left to right).
QLinearGradient AccentGradient(const QRectF& r);
// A saturated colour of the hue circle, 0..1.
QColor Hue(double h, double value = 1.0);
// A rounded panel ("card") with a hairline edge.
void DrawCard(QPainter& p, const QRectF& r, const QColor& fill, const QColor& edge,
              double radius = 10);

} // namespace skingen::style
