// SPDX-License-Identifier: GPL-3.0-or-later
#include "skin/ui/PictureStatic.h"

#include "SkinUiTestSupport.h"
#include "skin/ui/ControlId.h"

#include <QCoreApplication>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

TEST(PictureStatic, AClickIsAPressAndAReleaseOverThePicture) {
    QWidget face;
    face.resize(100, 60);
    PictureStatic picture(&face, 1167);
    picture.setGeometry(10, 10, 40, 20);
    face.show();
    QSignalSpy clicks(&picture, &PictureStatic::clicked);
    EXPECT_EQ(ControlId(&picture), 1167);

    QTest::mouseClick(&picture, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(clicks.count(), 1);
    // Released outside: no click. The right button: none either.
    QTest::mousePress(&picture, Qt::LeftButton, {}, QPoint(5, 5));
    QTest::mouseRelease(&picture, Qt::LeftButton, {}, QPoint(60, 5));
    QTest::mouseClick(&picture, Qt::RightButton, {}, QPoint(5, 5));
    EXPECT_EQ(clicks.count(), 1);
    // A double click, as the window system delivers it, is two clicks.
    const QPointF at(5, 5);
    for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease,
                              QEvent::MouseButtonDblClick, QEvent::MouseButtonRelease}) {
        const Qt::MouseButtons held =
            type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
        QMouseEvent event(type, at, picture.mapToGlobal(at), Qt::LeftButton, held, Qt::NoModifier);
        QCoreApplication::sendEvent(&picture, &event);
    }
    EXPECT_EQ(clicks.count(), 3);
}

TEST(PictureStatic, ShowsItsPictureFromTheTopLeftCorner) {
    QWidget face;
    face.resize(60, 40);
    face.setAutoFillBackground(true);
    QPalette palette = face.palette();
    palette.setColor(QPalette::Window, QColor(20, 30, 40));
    face.setPalette(palette);
    PictureStatic picture(&face);
    picture.setGeometry(0, 0, 60, 40);
    const QPixmap red = QPixmap::fromImage(SolidImage(QSize(10, 10), QColor(255, 0, 0)));
    picture.SetPicture(red);
    EXPECT_EQ(picture.PictureKey(), red.cacheKey());
    const QImage shown = face.grab().toImage();
    EXPECT_EQ(PixelOf(shown, 2, 2), QColor(255, 0, 0));
    EXPECT_EQ(PixelOf(shown, 30, 20), QColor(20, 30, 40));
    // An empty picture leaves the control bare.
    picture.SetPicture(QPixmap());
    EXPECT_EQ(picture.PictureKey(), 0);
    EXPECT_EQ(PixelOf(face.grab().toImage(), 2, 2), QColor(20, 30, 40));
}
