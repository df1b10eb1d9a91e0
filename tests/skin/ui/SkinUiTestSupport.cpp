// SPDX-License-Identifier: GPL-3.0-or-later
#include "SkinUiTestSupport.h"

#include <QPainter>
#include <gtest/gtest.h>

QImage SolidImage(QSize size, QColor base, QRect rect, QColor inner) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(base);
    if (rect.isValid()) {
        QPainter p(&image);
        p.fillRect(rect, inner);
    }
    return image;
}

void SaveImage(const QImage& image, const std::filesystem::path& file) {
    std::filesystem::create_directories(file.parent_path());
    ASSERT_TRUE(image.save(QString::fromStdString(file.string()))) << file;
}

QColor PixelOf(const QImage& image, int x, int y) {
    return image.pixelColor(x, y);
}

bool AllPixels(const QImage& image, QRect rect, QColor colour) {
    for (int y = rect.top(); y <= rect.bottom(); ++y) {
        for (int x = rect.left(); x <= rect.right(); ++x) {
            if (image.pixelColor(x, y).rgb() != colour.rgb()) {
                return false;
            }
        }
    }
    return true;
}

bool SameArea(const QRegion& a, const QRegion& b) {
    return a.xored(b).isEmpty();
}
