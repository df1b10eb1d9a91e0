// SPDX-License-Identifier: GPL-3.0-or-later
// The key-setting dialog's four placements beside its button.

#include "editors/DialogPlacement.h"

#include <gtest/gtest.h>

namespace {

const QRect kScreen(0, 0, 1000, 800);
const QSize kDialog(300, 200);

TEST(DialogPlacement, TakesTheFirstOfTheFourPlacementsThatFits) {
    // Below right, above right, below left, above left.
    EXPECT_EQ(PlaceBesideButton(QRect(100, 100, 40, 20), kDialog, kScreen), QPoint(140, 120));
    EXPECT_EQ(PlaceBesideButton(QRect(100, 700, 40, 20), kDialog, kScreen), QPoint(140, 500));
    EXPECT_EQ(PlaceBesideButton(QRect(900, 100, 40, 20), kDialog, kScreen), QPoint(600, 120));
    EXPECT_EQ(PlaceBesideButton(QRect(900, 700, 40, 20), kDialog, kScreen), QPoint(600, 500));
    // Touching the screen's edges still fits.
    EXPECT_EQ(PlaceBesideButton(QRect(660, 580, 40, 20), kDialog, kScreen), QPoint(700, 600));
}

TEST(DialogPlacement, NoPlacementFitsAndTheFirstIsTaken) {
    const QSize large(900, 700);
    EXPECT_EQ(PlaceBesideButton(QRect(400, 300, 40, 20), large, kScreen), QPoint(440, 320));
    // A second screen to the right: coordinates are the screen's.
    const QRect second(1000, 0, 1000, 800);
    EXPECT_EQ(PlaceBesideButton(QRect(1100, 100, 40, 20), kDialog, second), QPoint(1140, 120));
}

TEST(DialogPlacement, CentredOnTheScreen) {
    EXPECT_EQ(PlaceCentred(kDialog, kScreen), QPoint(350, 300));
    EXPECT_EQ(PlaceCentred(kDialog, QRect(1000, 50, 1000, 800)), QPoint(1350, 350));
}

} // namespace
