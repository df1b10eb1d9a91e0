// SPDX-License-Identifier: GPL-3.0-or-later
#include "SkinUiTestSupport.h"
#include "skin/ui/CPngButton.h"
#include "skin/ui/ControlId.h"

#include <QApplication>
#include <QEnterEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QTest>
#include <QToolTip>
#include <gtest/gtest.h>

namespace {

const QRect kFace(19, 9, 10, 10); // button at (20, 10), 10 x 10

QPixmap StatePicture(QColor colour) {
    return QPixmap::fromImage(SolidImage({60, 40}, Qt::gray, kFace, colour));
}

// A window face in one colour, under the buttons.
class Face : public QWidget {
public:
    QColor colour{255, 128, 0};
    void paintEvent(QPaintEvent*) override { QPainter(this).fillRect(rect(), colour); }
};

class PngButton : public testing::Test {
protected:
    PngButton() {
        window.resize(60, 40);
        button.setGeometry(20, 10, 10, 10);
        button.SetImages(20, 10, &normal, &over, &down, &disabled, &checked);
    }
    QColor Shown() { return PixelOf(button.grab().toImage(), 5, 5); }
    void Enter() {
        QEnterEvent enter(QPointF(5, 5), QPointF(25, 15), QPointF(25, 15));
        QApplication::sendEvent(&button, &enter);
    }
    void Leave() {
        QEvent leave(QEvent::Leave);
        QApplication::sendEvent(&button, &leave);
    }
    void Mouse(QEvent::Type type) {
        QMouseEvent event(type, QPointF(5, 5), QPointF(25, 15), Qt::LeftButton,
                          type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton,
                          Qt::NoModifier);
        QApplication::sendEvent(&button, &event);
    }

    QPixmap normal = StatePicture(Qt::red);
    QPixmap over = StatePicture(Qt::green);
    QPixmap down = StatePicture(Qt::blue);
    QPixmap disabled = StatePicture(Qt::darkGray);
    QPixmap checked = StatePicture(Qt::yellow);
    QPixmap custom1 = StatePicture(Qt::cyan);
    QPixmap custom2 = StatePicture(Qt::magenta);
    Face window;
    CPngButton button{&window, 1009};
};

TEST_F(PngButton, KeepsItsControlId) {
    EXPECT_EQ(ControlId(&button), 1009);
    EXPECT_EQ(button.objectName(), "1009");
    EXPECT_EQ(FindControlAs<CPngButton>(&window, 1009), &button);
}

TEST_F(PngButton, FaceIsCutOneUpAndLeftOfItsPlace) {
    const QImage shown = button.grab().toImage();
    EXPECT_TRUE(AllPixels(shown, QRect(0, 0, 10, 10), Qt::red));
}

TEST_F(PngButton, StatesPickTheirPicturesInOrder) {
    EXPECT_EQ(Shown(), QColor(Qt::red));
    button.SetCheck(true);
    EXPECT_EQ(Shown(), QColor(Qt::yellow));
    Enter();
    EXPECT_TRUE(button.IsHover());
    EXPECT_EQ(Shown(), QColor(Qt::green)); // hover wins over checked
    button.setDown(true);
    EXPECT_EQ(Shown(), QColor(Qt::blue)); // pressed wins over hover
    button.SetCustomImages(&custom1, true, &custom2, false);
    EXPECT_EQ(Shown(), QColor(Qt::cyan)); // custom mode wins over pressed
    button.SetCustomImages(&custom1, true, &custom2, true);
    EXPECT_EQ(Shown(), QColor(Qt::magenta));
    button.setEnabled(false);
    EXPECT_EQ(Shown(), QColor(Qt::darkGray)); // disabled wins over everything
    button.setEnabled(true);
    button.setDown(false);
    Leave();
    EXPECT_FALSE(button.IsHover());
    EXPECT_EQ(Shown(), QColor(Qt::magenta));
}

TEST_F(PngButton, NewImagesLeaveCustomModeAndHover) {
    Enter();
    button.SetCustomImages(&custom1, true, &custom2, true);
    button.SetImages(20, 10, &normal, &over, &down, &disabled, &checked);
    EXPECT_FALSE(button.IsCustomMode());
    EXPECT_FALSE(button.IsHover());
    EXPECT_EQ(Shown(), QColor(Qt::red));
}

TEST_F(PngButton, FrameModeShowsOnlyTheFrameOverTheWindow) {
    button.SetColourFrame(QColor(0, 0, 255), true);
    const QImage framed = window.grab().toImage().copy(20, 10, 10, 10);
    EXPECT_EQ(PixelOf(framed, 0, 5), QColor(0, 0, 255));
    EXPECT_EQ(PixelOf(framed, 1, 5), QColor(0, 0, 255));
    EXPECT_EQ(PixelOf(framed, 9, 5), QColor(0, 0, 255));
    EXPECT_EQ(PixelOf(framed, 5, 0), QColor(0, 0, 255));
    EXPECT_EQ(PixelOf(framed, 5, 9), QColor(0, 0, 255));
    // Inside the frame the window face shows, not the button's picture.
    EXPECT_TRUE(AllPixels(framed, QRect(2, 2, 6, 6), window.colour));

    button.SetColourFrame(QColor(0, 0, 255), false);
    const QImage face = window.grab().toImage().copy(20, 10, 10, 10);
    EXPECT_TRUE(AllPixels(face, QRect(0, 0, 10, 10), Qt::red));
}

TEST_F(PngButton, DoubleClickGivesTwoClicks) {
    int clicks = 0;
    QObject::connect(&button, &QAbstractButton::clicked, [&] { ++clicks; });
    Mouse(QEvent::MouseButtonPress);
    Mouse(QEvent::MouseButtonRelease);
    Mouse(QEvent::MouseButtonDblClick);
    Mouse(QEvent::MouseButtonRelease);
    EXPECT_EQ(clicks, 2);
}

TEST_F(PngButton, AfterDrawTellsWhetherTheNormalFaceWasDrawn) {
    std::vector<bool> calls;
    button.SetAfterDraw([&](CPngButton* b, QPainter& painter, bool normalDrawn) {
        EXPECT_EQ(b, &button);
        painter.fillRect(QRect(0, 0, 2, 2), Qt::black);
        calls.push_back(normalDrawn);
    });
    const QImage first = button.grab().toImage();
    button.SetCheck(true);
    button.grab();
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_TRUE(calls[0]);
    EXPECT_FALSE(calls[1]);
    // What the callback paints lands on top of the face.
    EXPECT_EQ(PixelOf(first, 0, 0), QColor(Qt::black));
    EXPECT_EQ(PixelOf(first, 5, 5), QColor(Qt::red));
}

TEST_F(PngButton, TextHonoursMarginsAndStateColours) {
    button.setGeometry(0, 0, 60, 20);
    button.SetImages(1, 1, nullptr, nullptr, nullptr, nullptr, nullptr);
    window.colour = Qt::white;
    button.setText("MMMM");
    button.SetTextStyle(true, 8, "DejaVu Sans",
                        {QColor(Qt::black), QColor(Qt::red), QColor(Qt::blue), QColor(Qt::darkGray),
                         QColor(Qt::green)},
                        CPngButton::kDtSingleLine | CPngButton::kDtVCenter);
    // Left-aligned text pushed right by a 35-pixel left margin.
    button.SetTextMargins(35, 0, 0, 0);
    // Text pixels are those that differ clearly from the white face; colour tells whether the
    // strongest of them leans to one channel.
    auto inked = [&](int from, int to) {
        const QImage shown = window.grab().toImage();
        int strongest = 0;
        QColor ink;
        for (int x = from; x < to; ++x) {
            for (int y = 0; y < 20; ++y) {
                const QColor c = shown.pixelColor(x, y);
                const int distance = 765 - c.red() - c.green() - c.blue();
                if (distance > strongest) {
                    strongest = distance;
                    ink = c;
                }
            }
        }
        return strongest > 150 ? ink : QColor();
    };
    EXPECT_FALSE(inked(0, 35).isValid());
    const QColor normalInk = inked(35, 60);
    ASSERT_TRUE(normalInk.isValid());
    EXPECT_LT(normalInk.green(), 128);
    button.SetCheck(true);
    const QColor checkedInk = inked(35, 60);
    ASSERT_TRUE(checkedInk.isValid());
    EXPECT_GT(checkedInk.green(), checkedInk.red() + 60);
    EXPECT_FALSE(inked(0, 35).isValid());
}

TEST_F(PngButton, TooltipShowsAfterHoverOnlyWhenActive) {
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    button.SetTooltipText("Profile 1", true);
    EXPECT_TRUE(button.HasTooltip());
    Enter();
    EXPECT_TRUE(QTest::qWaitFor([] { return QToolTip::isVisible(); }, 2000));
    EXPECT_EQ(QToolTip::text(), "Profile 1");
    Leave();
    QToolTip::hideText();

    button.SetTooltipText("Profile 2", false);
    Enter();
    QTest::qWait(CPngButton::kTooltipDelayMs + 200);
    EXPECT_FALSE(QToolTip::isVisible() && QToolTip::text() == "Profile 2");
}

} // namespace
