// SPDX-License-Identifier: GPL-3.0-or-later
#include "skin/ui/Placement.h"

#include "SkinUiTestSupport.h"
#include "skin/ui/CPngButton.h"
#include "support/TempDir.h"

#include <QLabel>
#include <gtest/gtest.h>

namespace {

class Placement : public testing::Test {
protected:
    TempDir dir;
    std::filesystem::path ini = dir.write("Skin.ini", "[BUTTONINFO]\n"
                                                      "AT_ORIGIN=0,0,100,20\n"
                                                      "AT_ONE=1,1,80,20\n"
                                                      "Mixed_Case=12,40,60,20 trailing words\n"
                                                      "ARROW=30,20,10,8\n"
                                                      "[BUTTONINFO2]\n"
                                                      "ARROW=4,6,10,8\n");
    QWidget window;
};

TEST_F(Placement, ControlTakesItsRectangleWhateverTheLetterCase) {
    QLabel label(&window);
    PlaceControl(&label, ini, "buttoninfo", "MIXED_CASE");
    EXPECT_EQ(label.geometry(), QRect(12, 40, 60, 20));
    PlaceControl(&label, ini, "BUTTONINFO", "NO_SUCH_KEY");
    EXPECT_EQ(label.geometry(), QRect(1, 1, 1, 1));
    PlaceControl(&label, dir / "Missing.ini", "BUTTONINFO", "AT_ORIGIN");
    EXPECT_EQ(label.geometry(), QRect(1, 1, 1, 1));
}

TEST_F(Placement, ImageControlAtTheOriginStaysEnabled) {
    CPngButton button(&window);
    PlaceImageControl(&button, ini, "BUTTONINFO", "AT_ORIGIN", nullptr, nullptr, nullptr, nullptr,
                      nullptr);
    EXPECT_EQ(button.geometry(), QRect(0, 0, 100, 20));
    EXPECT_TRUE(button.isEnabled());
    EXPECT_EQ(button.FacePosition(), QPoint(0, 0));
}

TEST_F(Placement, ImageControlAtOneOneOrMissingIsDisabled) {
    CPngButton atOne(&window);
    PlaceImageControl(&atOne, ini, "BUTTONINFO", "AT_ONE", nullptr, nullptr, nullptr, nullptr,
                      nullptr);
    EXPECT_EQ(atOne.geometry(), QRect(1, 1, 80, 20));
    EXPECT_FALSE(atOne.isEnabled());

    CPngButton missing(&window);
    PlaceImageControl(&missing, ini, "BUTTONINFO", "NOT_THERE", nullptr, nullptr, nullptr, nullptr,
                      nullptr);
    EXPECT_EQ(missing.geometry(), QRect(1, 1, 1, 1));
    EXPECT_FALSE(missing.isEnabled());
}

TEST_F(Placement, ImageControlCutsItsFaceAtItsOwnPlace) {
    // Each state picture is grey with the button's face, one pixel up and left of its
    // rectangle (12, 40), in a colour of its own.
    const QRect face(11, 39, 60, 20);
    const QPixmap normal = QPixmap::fromImage(SolidImage({200, 100}, Qt::gray, face, Qt::red));
    const QPixmap over = QPixmap::fromImage(SolidImage({200, 100}, Qt::gray, face, Qt::green));
    CPngButton button(&window);
    PlaceImageControl(&button, ini, "BUTTONINFO", "Mixed_Case", &normal, &over, &normal, &normal,
                      &normal);
    const QImage shown = button.grab().toImage();
    EXPECT_TRUE(AllPixels(shown, QRect(0, 0, 60, 20), Qt::red));
}

TEST_F(Placement, SplitTakesThePictureOriginFromTheSecondSection) {
    const QPixmap sheet =
        QPixmap::fromImage(SolidImage({40, 40}, Qt::gray, QRect(3, 5, 10, 8), Qt::blue));
    CPngButton button(&window);
    PlaceImageControlSplit(&button, ini, "BUTTONINFO", "ARROW", "BUTTONINFO2", "ARROW", &sheet);
    EXPECT_EQ(button.geometry(), QRect(30, 20, 10, 8));
    EXPECT_EQ(button.FacePosition(), QPoint(4, 6));
    EXPECT_TRUE(AllPixels(button.grab().toImage(), QRect(0, 0, 10, 8), Qt::blue));
}

TEST_F(Placement, MoveKeepsTheSize) {
    QLabel label(&window);
    label.setGeometry(5, 5, 33, 44);
    MoveControlTo(&label, ini, "BUTTONINFO", "MIXED_CASE");
    EXPECT_EQ(label.geometry(), QRect(12, 40, 33, 44));
}

} // namespace
