// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Where the key-setting dialog opens: beside the key button that opened it, on the screen.

#include <QPoint>
#include <QRect>
#include <QSize>

// The dialog's top-left corner: the first of the four placements around button that lies
// wholly on screen (the dialog's top-left at the button's bottom-right, its bottom-left at the
// button's top-right, its top-right at the button's bottom-left, its bottom-right at the
// button's top-left), or the first when none does.
QPoint PlaceBesideButton(const QRect& button, const QSize& dialog, const QRect& screen);
// Centred on the screen.
QPoint PlaceCentred(const QSize& dialog, const QRect& screen);
