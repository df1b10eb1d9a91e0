// SPDX-License-Identifier: GPL-3.0-or-later
#include "SkinUiTestSupport.h"
#include "skin/ui/CSkinColorBtn.h"

#include <QApplication>
#include <QMouseEvent>
#include <QTest>
#include <gtest/gtest.h>

namespace {

class SkinColorBtn : public testing::Test {
protected:
    SkinColorBtn() {
        window.resize(200, 100);
        button.setGeometry(10, 10, 60, 20);
        button.SetColumnsNumber(10);
        button.EnableOtherButton("other");
        QObject::connect(&button, &QAbstractButton::clicked, [this] {
            ++clicks;
            colourAtClick = button.GetColor();
        });
        window.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&window));
    }
    QColor LeftHalf() { return PixelOf(button.grab().toImage(), 10, 10); }
    void Click() { QTest::mouseClick(&button, Qt::LeftButton, {}, QPoint(10, 10)); }
    QWidget window;
    CSkinColorBtn button{&window, 1150};
    int clicks = 0;
    ColorRef colourAtClick = 0;
};

TEST_F(SkinColorBtn, NoneShowsTheAutomaticColour) {
    button.SetAutomaticColor(MakeColorRef(10, 200, 30));
    button.SetColor(kColorNone);
    EXPECT_EQ(LeftHalf(), QColor(10, 200, 30));
    EXPECT_EQ(button.EffectiveColor(), MakeColorRef(10, 200, 30));
    button.SetColor(MakeColorRef(250, 0, 0));
    EXPECT_EQ(LeftHalf(), QColor(250, 0, 0));
}

TEST_F(SkinColorBtn, ArrowPartIsGreyWithABlackArrow) {
    button.SetColor(MakeColorRef(0, 0, 255));
    const QImage shown = button.grab().toImage();
    // right = 61, mid = 10: the arrow's top edge runs from x 50 to 56 on row 8.
    EXPECT_EQ(PixelOf(shown, 58, 3), QColor(148, 145, 139));
    EXPECT_EQ(PixelOf(shown, 53, 9), QColor(Qt::black));
    // Disabled: the colour is not filled in.
    button.setEnabled(false);
    EXPECT_NE(LeftHalf(), QColor(0, 0, 255));
}

TEST_F(SkinColorBtn, ClickOpensThePopupAndOnlyAChoiceTellsTheOwner) {
    button.SetColor(MakeColorRef(1, 2, 3));
    Click();
    EXPECT_EQ(clicks, 0);
    CSkinColorPopup* popup = button.Popup();
    ASSERT_NE(popup, nullptr);
    EXPECT_TRUE(popup->isVisible());
    EXPECT_EQ(popup->ColumnCount(), 10);
    // The cell of the second row's first column lies below the first row's.
    EXPECT_EQ(popup->CellRect(10).left(), popup->CellRect(0).left());
    EXPECT_GT(popup->CellRect(10).top(), popup->CellRect(9).top());
    EXPECT_FALSE(popup->OtherRect().isNull());

    QTest::mouseClick(popup, Qt::LeftButton, {}, popup->CellRect(12).center());
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(colourAtClick, button.Palette()[12]);
    EXPECT_EQ(button.GetColor(), button.Palette()[12]);
    EXPECT_TRUE(QTest::qWaitFor([&] { return button.Popup() == nullptr; }, 1000));
}

TEST_F(SkinColorBtn, ClosingThePopupWithoutAChoiceChangesNothing) {
    button.SetColor(MakeColorRef(1, 2, 3));
    Click();
    ASSERT_NE(button.Popup(), nullptr);
    QTest::keyClick(button.Popup(), Qt::Key_Escape);
    EXPECT_EQ(clicks, 0);
    EXPECT_EQ(button.GetColor(), MakeColorRef(1, 2, 3));
    // It opens again afterwards.
    QTest::qWait(10);
    Click();
    EXPECT_NE(button.Popup(), nullptr);
    button.Popup()->close();
}

TEST_F(SkinColorBtn, OtherEntryAsksTheFullDialog) {
    int asked = 0;
    button.SetOtherDialog([&](const QColor& initial, QWidget*) -> std::optional<QColor> {
        ++asked;
        EXPECT_EQ(initial, QColor(1, 2, 3));
        return QColor(12, 34, 56);
    });
    button.SetColor(MakeColorRef(1, 2, 3));
    Click();
    ASSERT_NE(button.Popup(), nullptr);
    button.Popup()->ChooseOther();
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(button.GetColor(), MakeColorRef(12, 34, 56));

    // A cancelled dialog is no choice.
    button.SetOtherDialog([](const QColor&, QWidget*) { return std::optional<QColor>(); });
    QTest::qWait(10);
    Click();
    ASSERT_NE(button.Popup(), nullptr);
    button.Popup()->ChooseOther();
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(button.GetColor(), MakeColorRef(12, 34, 56));
}

TEST_F(SkinColorBtn, AutomaticEntryChoosesNoneAndTheOwnerTakesTheAutomaticColour) {
    button.EnableAutomaticButton("Automatic", MakeColorRef(0, 128, 255));
    button.SetColor(MakeColorRef(9, 9, 9));
    Click();
    ASSERT_NE(button.Popup(), nullptr);
    button.Popup()->ChooseAutomatic();
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(colourAtClick, kColorNone);
    EXPECT_EQ(button.EffectiveColor(), MakeColorRef(0, 128, 255));
    EXPECT_EQ(LeftHalf(), QColor(0, 128, 255));
}

TEST(SkinColorBtnLife, ButtonGoingWithItsPopupOpen) {
    QWidget window;
    auto* button = new CSkinColorBtn(&window, 1);
    window.show();
    button->OpenPopup();
    QPointer<CSkinColorPopup> popup = button->Popup();
    ASSERT_FALSE(popup.isNull());
    delete button;
    EXPECT_TRUE(popup.isNull());
}

TEST(ColorRef, RedIsTheLowByte) {
    EXPECT_EQ(MakeColorRef(0x12, 0x34, 0x56), 0x563412u);
    EXPECT_EQ(ToQColor(0x563412u), QColor(0x12, 0x34, 0x56));
    EXPECT_FALSE(ToQColor(kColorNone).isValid());
    EXPECT_EQ(FromQColor(QColor()), kColorNone);
}

} // namespace
