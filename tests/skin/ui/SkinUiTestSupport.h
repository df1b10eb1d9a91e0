// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QColor>
#include <QImage>
#include <QPixmap>
#include <QRect>
#include <QRegion>
#include <filesystem>
#include <string>

// A picture of size filled with base, with rect filled with inner (when given).
QImage SolidImage(QSize size, QColor base, QRect rect = {}, QColor inner = {});
// Saves the image (format from the name) and fails the test when it cannot.
void SaveImage(const QImage& image, const std::filesystem::path& file);
// The colour of one pixel of a widget's rendering.
QColor PixelOf(const QImage& image, int x, int y);
// Every pixel of image that lies in rect has the colour.
bool AllPixels(const QImage& image, QRect rect, QColor colour);
// The regions cover the same pixels, however their rectangles are split.
bool SameArea(const QRegion& a, const QRegion& b);
