// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The window outline from a mask picture: the region of every pixel that is not
// "transparent". A pixel is transparent when each of its red, green and blue values lies in
// [c, min(c + tolerance, 255)] of the matching value of colour. A picture without any
// non-transparent pixel gives an empty region (the window keeps its rectangle).

#include <QColor>
#include <QImage>
#include <QRegion>

QRegion RegionFromMask(const QImage& mask, QColor colour = Qt::white, int tolerance = 0);
