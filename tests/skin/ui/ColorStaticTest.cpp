// SPDX-License-Identifier: GPL-3.0-or-later
#include "skin/ui/ColorStatic.h"

#include "SkinUiTestSupport.h"

#include <QPainter>
#include <gtest/gtest.h>

namespace {

class Face : public QWidget {
public:
    void paintEvent(QPaintEvent*) override { QPainter(this).fillRect(rect(), QColor(20, 30, 40)); }
};

// The strongest colour that differs from the face, or an invalid colour.
QColor Ink(const QImage& image) {
    QColor best;
    int strongest = 60;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            const int d =
                std::abs(c.red() - 20) + std::abs(c.green() - 30) + std::abs(c.blue() - 40);
            if (d > strongest) {
                strongest = d;
                best = c;
            }
        }
    }
    return best;
}

TEST(ColorStatic, FaceShowsAroundTextInItsOwnColour) {
    Face face;
    face.resize(120, 30);
    ColorStatic label(&face, 1207);
    label.setGeometry(0, 0, 120, 30);
    label.setText("Speed");
    label.SetFontHeight(16);
    EXPECT_EQ(label.TextColour(), QColor(Qt::white));
    QImage shown = face.grab().toImage();
    EXPECT_EQ(PixelOf(shown, 118, 28), QColor(20, 30, 40)); // no background of its own
    QColor ink = Ink(shown);
    ASSERT_TRUE(ink.isValid());
    EXPECT_GT(ink.red(), 200);
    EXPECT_GT(ink.blue(), 200);

    label.SetTextColour(MakeColorRef(255, 0, 0));
    shown = face.grab().toImage();
    ink = Ink(shown);
    ASSERT_TRUE(ink.isValid());
    EXPECT_GT(ink.red(), 150);
    EXPECT_LT(ink.blue(), 100);
    EXPECT_EQ(PixelOf(shown, 118, 28), QColor(20, 30, 40));
}

} // namespace
