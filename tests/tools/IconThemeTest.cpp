// SPDX-License-Identifier: GPL-3.0-or-later
// The program's icon as the desktop's icon theme finds it.

#include "tools/skingen/IconTheme.h"

#include "platform/ProgramNames.h"
#include "support/TempDir.h"

#include <QImage>
#include <gtest/gtest.h>

TEST(IconTheme, OnePictureOfEachUsualSizeInTheHicolorLayout) {
    TempDir dir;
    std::string error;
    ASSERT_TRUE(skingen::WriteIconTheme(dir.path(), &error)) << error;
    for (int size : skingen::kIconThemeSizes) {
        const std::string name = std::to_string(size) + "x" + std::to_string(size);
        const auto file = dir / "hicolor" / name / "apps" / (std::string(kDesktopId) + ".png");
        QImage icon;
        ASSERT_TRUE(icon.load(QString::fromStdString(file.string()), "PNG")) << file;
        EXPECT_EQ(icon.size(), QSize(size, size)) << file;
        // A keycap on a transparent ground: clear corners, a solid middle.
        EXPECT_TRUE(icon.hasAlphaChannel()) << file;
        EXPECT_EQ(qAlpha(icon.pixel(0, 0)), 0) << file;
        EXPECT_EQ(qAlpha(icon.pixel(size / 2, size / 2)), 255) << file;
    }
}

TEST(IconTheme, AFolderThatCannotBeMadeIsAnError) {
    TempDir dir;
    dir.write("blocked", "");
    std::string error;
    EXPECT_FALSE(skingen::WriteIconTheme(dir / "blocked", &error));
    EXPECT_NE(error.find("blocked"), std::string::npos) << error;
}
