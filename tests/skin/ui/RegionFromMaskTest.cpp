// SPDX-License-Identifier: GPL-3.0-or-later
#include "skin/ui/RegionFromMask.h"

#include "SkinUiTestSupport.h"

#include <gtest/gtest.h>

namespace {

long long PixelCount(const QRegion& region) {
    long long n = 0;
    for (const QRect& r : region) {
        n += static_cast<long long>(r.width()) * r.height();
    }
    return n;
}

TEST(RegionFromMask, WhiteOutsideGivesTheInnerShape) {
    const QImage mask = SolidImage({40, 30}, Qt::white, QRect(5, 4, 20, 10), QColor(10, 200, 30));
    const QRegion region = RegionFromMask(mask, Qt::white, 0);
    EXPECT_TRUE(SameArea(region, QRegion(QRect(5, 4, 20, 10))));
}

TEST(RegionFromMask, NearWhiteIsNotTransparentWithoutTolerance) {
    QImage mask = SolidImage({8, 8}, Qt::white);
    mask.setPixelColor(3, 2, QColor(254, 255, 255));
    mask.setPixelColor(6, 6, QColor(255, 255, 254));
    EXPECT_TRUE(SameArea(RegionFromMask(mask, Qt::white, 0),
                         QRegion(QRect(3, 2, 1, 1)) + QRect(6, 6, 1, 1)));
}

TEST(RegionFromMask, ToleranceWidensTheTransparentRangeUpwardsOnly) {
    QImage mask = SolidImage({4, 1}, QColor(100, 100, 100));
    mask.setPixelColor(1, 0, QColor(105, 100, 103)); // within +5
    mask.setPixelColor(2, 0, QColor(99, 100, 100));  // below the colour
    mask.setPixelColor(3, 0, QColor(106, 100, 100)); // above +5
    EXPECT_EQ(RegionFromMask(mask, QColor(100, 100, 100), 5),
              QRegion(QRect(2, 0, 1, 1)) + QRect(3, 0, 1, 1));
    // The range stops at 255 instead of wrapping round.
    const QImage white = SolidImage({3, 1}, Qt::white);
    EXPECT_TRUE(RegionFromMask(white, QColor(250, 250, 250), 200).isEmpty());
}

TEST(RegionFromMask, AllTransparentGivesNoRegion) {
    EXPECT_TRUE(RegionFromMask(SolidImage({16, 16}, Qt::white)).isEmpty());
    EXPECT_TRUE(RegionFromMask(QImage()).isEmpty());
}

TEST(RegionFromMask, RunsWithinARowStaySeparate) {
    QImage mask = SolidImage({10, 1}, Qt::white);
    for (int x : {0, 1, 4, 9}) {
        mask.setPixelColor(x, 0, Qt::black);
    }
    const QRegion region = RegionFromMask(mask);
    EXPECT_TRUE(
        SameArea(region, QRegion(QRect(0, 0, 2, 1)) + QRect(4, 0, 1, 1) + QRect(9, 0, 1, 1)));
}

TEST(RegionFromMask, LargeMasksKeepEveryRunAcrossBatches) {
    // A checkerboard has one run per black pixel: 5000 runs, more than two batches.
    QImage mask = SolidImage({100, 100}, Qt::white);
    for (int y = 0; y < 100; ++y) {
        for (int x = (y % 2); x < 100; x += 2) {
            mask.setPixelColor(x, y, Qt::black);
        }
    }
    const QRegion region = RegionFromMask(mask);
    EXPECT_EQ(PixelCount(region), 5000);
    EXPECT_TRUE(region.contains(QPoint(0, 0)));
    EXPECT_FALSE(region.contains(QPoint(1, 0)));
    EXPECT_TRUE(region.contains(QPoint(99, 99)));
    EXPECT_FALSE(region.contains(QPoint(98, 99)));
}

} // namespace
