// SPDX-License-Identifier: GPL-3.0-or-later
#include "SkinUiTestSupport.h"
#include "skin/ui/CBaseDialog.h"
#include "skin/ui/CPngButton.h"
#include "support/TempDir.h"

#include <QApplication>
#include <QTest>
#include <cstdio>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace {

const QColor kFace(40, 90, 160);

// A face 60 x 40 whose outer ring is white, and a mask of the same size that is white outside
// (10, 8, 40, 24).
struct SkinFolder {
    TempDir dir;
    std::filesystem::path ini;

    explicit SkinFolder(const std::string& screen) {
        SaveImage(SolidImage({60, 40}, Qt::white, QRect(2, 2, 56, 36), kFace), dir / "face.bmp");
        SaveImage(SolidImage({60, 40}, Qt::white, QRect(10, 8, 40, 24), Qt::black),
                  dir / "mask.bmp");
        ini = dir.write("Test.ini", screen);
    }
};

class TestDialog : public CBaseDialog {
public:
    using CBaseDialog::CBaseDialog;
    using CBaseDialog::FreeSkinPictures;
    int freedAtOk = -1;
    void OnOK() override {
        freedAtOk = FreeSkinPictures();
        QDialog::accept();
    }
};

TEST(BaseDialog, FaceAndMaskShapeTheHiddenWindow) {
    SkinFolder skin("[SCREEN]\nMain=face.bmp\nMask=mask.bmp\n");
    CBaseDialog dialog(131, nullptr, skin.ini, skin.dir.path());
    dialog.move(100, 50);
    ASSERT_TRUE(dialog.InitDialog());
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.size(), QSize(60, 40));
    EXPECT_EQ(dialog.pos(), QPoint(100, 50));
    EXPECT_TRUE(SameArea(dialog.mask(), QRegion(QRect(10, 8, 40, 24))));
    ASSERT_NE(dialog.Background(), nullptr);
    const QImage shown = dialog.grab().toImage();
    EXPECT_EQ(PixelOf(shown, 30, 20).rgb(), kFace.rgb());
}

TEST(BaseDialog, WithoutMaskTheFaceDoublesAsMask) {
    // Key names in another letter case are found as well.
    SkinFolder skin("[screen]\nMAIN=face.bmp\n");
    CBaseDialog dialog(131, nullptr, skin.ini, skin.dir.path());
    dialog.InitDialog();
    EXPECT_TRUE(SameArea(dialog.mask(), QRegion(QRect(2, 2, 56, 36))));
}

TEST(BaseDialog, EmptyMaskValueCountsAsMissing) {
    SkinFolder skin("[SCREEN]\nMain=face.bmp\nMask=\n");
    CBaseDialog dialog(131, nullptr, skin.ini, skin.dir.path());
    dialog.InitDialog();
    EXPECT_TRUE(SameArea(dialog.mask(), QRegion(QRect(2, 2, 56, 36))));
}

TEST(BaseDialog, AllWhiteMaskKeepsTheRectangle) {
    SkinFolder skin("[SCREEN]\nMain=face.bmp\nMask=white.bmp\n");
    SaveImage(SolidImage({60, 40}, Qt::white), skin.dir / "white.bmp");
    CBaseDialog dialog(131, nullptr, skin.ini, skin.dir.path());
    dialog.InitDialog();
    EXPECT_TRUE(dialog.mask().isEmpty());
}

TEST(BaseDialog, OkFreesThePicturesOnce) {
    SkinFolder skin("[SCREEN]\nMain=face.bmp\nMask=mask.bmp\n");
    TestDialog dialog(131, nullptr, skin.ini, skin.dir.path());
    dialog.InitDialog();
    dialog.show();
    dialog.OnOK();
    EXPECT_EQ(dialog.freedAtOk, 2);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.Background(), nullptr);
    EXPECT_EQ(dialog.MaskPicture(), nullptr);
    dialog.OnOK();
    EXPECT_EQ(dialog.freedAtOk, 0);
    // Painting without a face draws nothing instead of failing.
    dialog.grab();
}

TEST(BaseDialog, BaseOkClosesTheWindowAndDropsThePictures) {
    SkinFolder skin("[SCREEN]\nMain=face.bmp\n");
    CBaseDialog dialog(131, nullptr, skin.ini, skin.dir.path());
    dialog.InitDialog();
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    dialog.accept();
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.Background(), nullptr);
}

TEST(BaseDialog, DraggingTheFaceMovesTheWindowButAControlDoesNot) {
    SkinFolder skin("[SCREEN]\nMain=face.bmp\nMask=mask.bmp\n");
    CBaseDialog dialog(131, nullptr, skin.ini, skin.dir.path());
    dialog.InitDialog();
    CPngButton button(&dialog, 1);
    button.setGeometry(30, 15, 12, 10);
    dialog.move(200, 200);
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));

    const QPoint start = dialog.pos();
    QTest::mousePress(&button, Qt::LeftButton, {}, QPoint(5, 5));
    QTest::mouseMove(&button, QPoint(25, 15));
    QTest::mouseRelease(&button, Qt::LeftButton, {}, QPoint(25, 15));
    EXPECT_EQ(dialog.pos(), start);

    QTest::mousePress(&dialog, Qt::LeftButton, {}, QPoint(15, 12));
    QTest::mouseMove(&dialog, QPoint(35, 22));
    QTest::mouseRelease(&dialog, Qt::LeftButton, {}, QPoint(35, 22));
    EXPECT_EQ(dialog.pos(), start + QPoint(20, 10));
}

// The child process prints this when any window shows.
constexpr const char* kShownMark = "WINDOW SHOWN";

class ShowWatcher : public QObject {
public:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Show && watched->isWidgetType() &&
            static_cast<QWidget*>(watched)->isWindow()) {
            std::fprintf(stderr, "%s\n", kShownMark);
            std::fflush(stderr);
        }
        return false;
    }
};

// Loads the skin and shows the window as a derived window would; a loaded skin ends the child
// with code 3 so that it is told apart from the end of a broken skin.
void LoadAndShow(const std::filesystem::path& ini, const std::filesystem::path& folder) {
    ShowWatcher watcher;
    qApp->installEventFilter(&watcher);
    CBaseDialog dialog(131, nullptr, ini, folder);
    dialog.InitDialog();
    dialog.show();
    QApplication::processEvents();
    std::fflush(stderr);
    std::_Exit(3);
}

// The child of a death test runs the test body again; the folder is named so that both use the
// same files and only the parent removes them.
class BrokenSkin : public testing::Test {
protected:
    void SetUp() override {
        GTEST_FLAG_SET(death_test_style, "threadsafe");
        const char* tmp = std::getenv("TMPDIR");
        folder_ = std::filesystem::path(tmp && *tmp ? tmp : "/tmp") /
                  ("kestrow-broken-skin-" +
                   std::string(testing::UnitTest::GetInstance()->current_test_info()->name()));
        std::filesystem::create_directories(folder_);
        SaveImage(SolidImage({20, 20}, Qt::white, QRect(2, 2, 10, 10), Qt::black),
                  folder_ / "face.bmp");
        Write("garbage.jpg", "not a picture at all");
        Write("empty.bmp", "");
    }
    void TearDown() override {
        std::error_code ignored;
        std::filesystem::remove_all(folder_, ignored);
    }
    std::filesystem::path Write(const std::string& name, const std::string& text) {
        std::FILE* f = std::fopen((folder_ / name).c_str(), "wb");
        std::fwrite(text.data(), 1, text.size(), f);
        std::fclose(f);
        return folder_ / name;
    }
    std::filesystem::path folder_;
};

TEST_F(BrokenSkin, LoadedSkinShowsTheWindow) {
    const auto ini = Write("ok.ini", "[SCREEN]\nMain=face.bmp\n");
    EXPECT_EXIT(LoadAndShow(ini, folder_), testing::ExitedWithCode(3),
                testing::HasSubstr(kShownMark));
}

TEST_F(BrokenSkin, MissingFaceEndsWithCodeZeroBeforeAnyWindow) {
    const auto ini = Write("missing.ini", "[SCREEN]\nMain=nowhere.jpg\n");
    EXPECT_EXIT(LoadAndShow(ini, folder_), testing::ExitedWithCode(0),
                testing::Not(testing::HasSubstr(kShownMark)));
}

TEST_F(BrokenSkin, MissingMainKeyEndsWithCodeZero) {
    const auto ini = Write("nokey.ini", "[SCREEN]\nMask=face.bmp\n");
    EXPECT_EXIT(LoadAndShow(ini, folder_), testing::ExitedWithCode(0),
                testing::Not(testing::HasSubstr(kShownMark)));
}

TEST_F(BrokenSkin, UndecodableOrEmptyPicturesEndWithCodeZero) {
    const auto garbageMask = Write("g.ini", "[SCREEN]\nMain=face.bmp\nMask=garbage.jpg\n");
    EXPECT_EXIT(LoadAndShow(garbageMask, folder_), testing::ExitedWithCode(0),
                testing::Not(testing::HasSubstr(kShownMark)));
    const auto emptyFace = Write("e.ini", "[SCREEN]\nMain=empty.bmp\n");
    EXPECT_EXIT(LoadAndShow(emptyFace, folder_), testing::ExitedWithCode(0),
                testing::Not(testing::HasSubstr(kShownMark)));
}

TEST_F(BrokenSkin, MissingLayoutFileEndsWithCodeZero) {
    EXPECT_EXIT(LoadAndShow(folder_ / "absent.ini", folder_), testing::ExitedWithCode(0),
                testing::Not(testing::HasSubstr(kShownMark)));
}

} // namespace
