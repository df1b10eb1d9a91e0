// SPDX-License-Identifier: GPL-3.0-or-later
#include "skin/ui/CBitmapSlider.h"
#include "skin/ui/WindowMessageEvent.h"

#include <QApplication>
#include <QEnterEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWheelEvent>
#include <gtest/gtest.h>
#include <vector>

namespace {

// The slider's parent: keeps every notice it gets.
class Owner : public QWidget {
public:
    std::vector<std::pair<uintptr_t, intptr_t>> notices;
    bool event(QEvent* e) override {
        if (e->type() == WindowMessageEvent::EventType()) {
            auto* m = static_cast<WindowMessageEvent*>(e);
            if (m->message() == WM_BITMAPSLIDER_MOVING) {
                notices.emplace_back(m->wParam(), m->lParam());
            }
            return true;
        }
        return QWidget::event(e);
    }
    // Notices are posted: they arrive once events are processed.
    std::vector<std::pair<uintptr_t, intptr_t>> Take() {
        QApplication::processEvents();
        auto out = std::move(notices);
        notices.clear();
        return out;
    }
};

using Notices = std::vector<std::pair<uintptr_t, intptr_t>>;

class BitmapSlider : public testing::Test {
protected:
    BitmapSlider() {
        QPixmap picture(186, 24);
        picture.fill(Qt::darkCyan);
        slider.SetFirstPicture(picture);
        slider.SetRange(0, 5);
        slider.SetPageSize(10);
    }
    void Key(int key) {
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
        QApplication::sendEvent(&slider, &press);
    }
    void Mouse(QEvent::Type type, int x) {
        const Qt::MouseButtons held =
            type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(Qt::LeftButton);
        QMouseEvent e(type, QPointF(x, 12), slider.mapToGlobal(QPointF(x, 12)),
                      type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton, held,
                      Qt::NoModifier);
        QApplication::sendEvent(&slider, &e);
    }
    void Enter() {
        QEnterEvent e(QPointF(5, 5), QPointF(5, 5), QPointF(5, 5));
        QApplication::sendEvent(&slider, &e);
    }
    void Wheel(int delta) {
        QWheelEvent e(QPointF(5, 5), QPointF(5, 5), QPoint(), QPoint(0, delta), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(&slider, &e);
    }
    Owner owner;
    CBitmapSlider slider{&owner, 1131};
};

TEST_F(BitmapSlider, TakesThePictureSizeAndClampsPositions) {
    EXPECT_EQ(slider.size(), QSize(186, 24));
    slider.SetPos(9);
    EXPECT_EQ(slider.GetPos(), 5);
    slider.SetPos(-3);
    EXPECT_EQ(slider.GetPos(), 0);
    EXPECT_EQ(slider.SetPageSize(3), 10);
    EXPECT_TRUE(owner.Take().empty()); // only user input is told
}

TEST_F(BitmapSlider, PageDownAtTheEndStaysAndStillPosts) {
    slider.SetPos(5);
    Key(Qt::Key_PageDown);
    EXPECT_EQ(slider.GetPos(), 5);
    EXPECT_EQ(owner.Take(), (Notices{{1131, 5}}));
}

TEST_F(BitmapSlider, KeysMoveByTheirRules) {
    slider.SetRange(0, 50);
    slider.SetPos(20);
    const std::pair<int, int> steps[] = {
        {Qt::Key_PageUp, 10}, {Qt::Key_Right, 11}, {Qt::Key_Down, 12}, {Qt::Key_Left, 11},
        {Qt::Key_Up, 10},     {Qt::Key_End, 50},   {Qt::Key_Home, 0},  {Qt::Key_PageUp, 0}};
    Notices expected;
    for (auto [key, pos] : steps) {
        Key(key);
        EXPECT_EQ(slider.GetPos(), pos) << key;
        expected.emplace_back(1131, pos);
    }
    EXPECT_EQ(owner.Take(), expected);
    Key(Qt::Key_A);
    EXPECT_TRUE(owner.Take().empty());
}

TEST_F(BitmapSlider, PressMapsThePointerWithTheTenPixelOffset) {
    // x = 100: 0 + (100 + 10) / 186 * 5 = 2.96, truncated to 2.
    Mouse(QEvent::MouseButtonPress, 100);
    EXPECT_EQ(slider.GetPos(), 2);
    EXPECT_TRUE(slider.IsDragging());
    Mouse(QEvent::MouseMove, 176); // (176 + 10) / 186 * 5 = 5
    EXPECT_EQ(slider.GetPos(), 5);
    Mouse(QEvent::MouseButtonRelease, 176);
    EXPECT_FALSE(slider.IsDragging());
    EXPECT_EQ(owner.Take(), (Notices{{1131, 2}, {1131, 5}, {1131, 5}}));
}

TEST_F(BitmapSlider, PressOnThePixelOfThePositionOnlyPostsAtRelease) {
    slider.SetPos(3);
    const int pixel = slider.PixelOfPosition(3); // 3 / 5 * 186 = 111
    EXPECT_EQ(pixel, 111);
    Mouse(QEvent::MouseButtonPress, pixel);
    Mouse(QEvent::MouseButtonRelease, pixel);
    EXPECT_EQ(slider.GetPos(), 3);
    EXPECT_EQ(owner.Take(), (Notices{{1131, 3}}));
}

TEST_F(BitmapSlider, MovingWithoutTheButtonDoesNothing) {
    slider.SetPos(1);
    Mouse(QEvent::MouseMove, 180);
    EXPECT_EQ(slider.GetPos(), 1);
    EXPECT_TRUE(owner.Take().empty());
}

TEST_F(BitmapSlider, WheelStepsOncePerEventInTheWheelsDirection) {
    slider.SetPos(2);
    Wheel(-120); // not inside yet: ignored
    EXPECT_EQ(slider.GetPos(), 2);
    Enter();
    Wheel(-240);
    EXPECT_EQ(slider.GetPos(), 3);
    Wheel(120);
    EXPECT_EQ(slider.GetPos(), 2);
    // A fast upward turn reported as one event moves up, not down.
    Wheel(240);
    EXPECT_EQ(slider.GetPos(), 1);
    // Fine-grained wheels add up to one notch.
    Wheel(-60);
    EXPECT_EQ(slider.GetPos(), 1);
    Wheel(-60);
    EXPECT_EQ(slider.GetPos(), 2);
    EXPECT_EQ(owner.Take(), (Notices{{1131, 3}, {1131, 2}, {1131, 1}, {1131, 2}}));
}

TEST_F(BitmapSlider, EmptyRangeOrSizeHasOnePosition) {
    slider.SetRange(4, 4);
    Mouse(QEvent::MouseButtonPress, 90);
    Mouse(QEvent::MouseButtonRelease, 90);
    EXPECT_EQ(slider.GetPos(), 4);
    EXPECT_EQ(slider.PixelOfPosition(4), 0);
    slider.SetRange(0, 5);
    slider.resize(0, 24);
    EXPECT_EQ(slider.PositionFromCoordinate(50), 0);
}

TEST_F(BitmapSlider, VerticalUsesYWithoutTheOffset) {
    slider.SetVertical(true);
    slider.resize(24, 100);
    EXPECT_EQ(slider.PositionFromCoordinate(50), 2); // 50 / 100 * 5 = 2.5
    EXPECT_EQ(slider.PositionFromCoordinate(99), 4);
}

TEST_F(BitmapSlider, DisabledIgnoresInput) {
    slider.setEnabled(false);
    slider.SetPos(2);
    Key(Qt::Key_End);
    Mouse(QEvent::MouseButtonPress, 180);
    EXPECT_EQ(slider.GetPos(), 2);
    EXPECT_TRUE(owner.Take().empty());
}

} // namespace
