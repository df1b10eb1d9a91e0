// SPDX-License-Identifier: GPL-3.0-or-later
// The generator's own rules: its consistency check catches broken descriptions, image
// controls are drawn where the buttons copy from, faces leave out what may hide, pictures
// follow the rectangles, and JPEG output keeps thin coloured lines.

#include "support/TempDir.h"
#include "tools/skingen/JpegFile.h"
#include "tools/skingen/MainLayout.h"
#include "tools/skingen/SkinPictures.h"
#include "tools/skingen/SkinStyle.h"
#include "tools/skingen/SkinWriter.h"

#include <QPainter>
#include <algorithm>
#include <gtest/gtest.h>

using namespace skingen;

namespace {

class SkinGeneratorModel : public ::testing::Test {
protected:
    static void SetUpTestSuite() { style::LoadFonts(); }

    static Control* Find(WindowSkin& skin, const std::string& key) {
        for (Control& c : skin.controls) {
            if (c.key == key) {
                return &c;
            }
        }
        ADD_FAILURE() << "no control " << key;
        return nullptr;
    }

    static bool Reports(const std::vector<std::string>& problems, const std::string& text) {
        return std::any_of(problems.begin(), problems.end(),
                           [&](const std::string& p) { return p.find(text) != std::string::npos; });
    }
};

} // namespace

TEST_F(SkinGeneratorModel, CheckFindsNothingWrongWithTheRealSkins) {
    const auto skins = AllSkins();
    const auto problems = CheckSkins(skins, AllPictures(skins));
    EXPECT_TRUE(problems.empty()) << problems.front();
}

TEST_F(SkinGeneratorModel, CheckReportsMissingKeysPicturesAndStrayControls) {
    auto skins = AllSkins();
    auto pictures = AllPictures(skins);
    WindowSkin& main = skins[0];
    ASSERT_EQ(main.layoutFile, "Main.ini");

    main.controls.erase(std::remove_if(main.controls.begin(), main.controls.end(),
                                       [](const Control& c) { return c.key == "FUNC_G5"; }),
                        main.controls.end());
    Find(main, "CONTROL_CLOSE")->rect.moveLeft(main.size.width() - 10);
    main.controls.push_back(*Find(main, "KEY_01E"));
    pictures.erase(std::remove_if(pictures.begin(), pictures.end(),
                                  [](const NamedImage& p) { return p.file == "jdt3.bmp"; }),
                   pictures.end());

    const auto problems = CheckSkins(skins, pictures);
    EXPECT_TRUE(Reports(problems, "lacks FUNC_G5"));
    EXPECT_TRUE(Reports(problems, "outside the window: CONTROL_CLOSE"));
    EXPECT_TRUE(Reports(problems, "key twice: KEY_01E"));
    EXPECT_TRUE(Reports(problems, "picture not drawn: jdt3.bmp"));
}

TEST_F(SkinGeneratorModel, CheckAllowsOverlapsOnlyBetweenControlsNeverShownTogether) {
    auto skins = AllSkins();
    WindowSkin& main = skins[0];
    const QRect speed = Find(main, "CONTROL_SpeedSlider")->rect;

    // The four-colour choice shows only with effect 17, the second direction set only with
    // effects 1-3.
    Find(main, "CONTROL_LANPIC")
        ->rect.moveTopLeft(Find(main, "CONTROL_BLFXLStaPic2")->rect.topLeft());
    auto problems = CheckSkins(skins, AllPictures(skins));
    EXPECT_FALSE(Reports(problems, "overlaps")) << problems.front();

    // The colour group shows together with the speed slider (effect 1).
    Find(main, "CONTROL_HXysButton")->rect.moveTopLeft(speed.topLeft());
    problems = CheckSkins(skins, AllPictures(skins));
    EXPECT_TRUE(Reports(problems, "overlaps")) << "colour button on the speed slider";
}

// Image buttons show their state pictures from one pixel up and left of their rectangle.
TEST_F(SkinGeneratorModel, ImageControlsAreDrawnWhereTheButtonsCopyFrom) {
    WindowSkin skin;
    skin.size = QSize(60, 40);
    Control button;
    button.key = "B";
    button.rect = QRect(21, 11, 24, 18);
    button.art = Art::Button;
    button.looks = {Look::Selected, Look::Selected, Look::Selected,
                    Look::Selected, Look::Selected, Look::Selected};
    skin.controls.push_back(button);
    const QImage picture = RenderState(skin, StatePic::Normal);
    const QRgb background = picture.pixel(0, 0);

    double sumX = 0;
    double sumY = 0;
    int count = 0;
    for (int y = 0; y < picture.height(); ++y) {
        for (int x = 0; x < picture.width(); ++x) {
            if (picture.pixel(x, y) != background) {
                sumX += x;
                sumY += y;
                ++count;
            }
        }
    }
    ASSERT_GT(count, 0);
    // Centre of the art rectangle (20, 10, 24, 18) is (31.5, 18.5); the control's own centre
    // would be one pixel further right and down.
    EXPECT_NEAR(sumX / count, 31.5, 0.3);
    EXPECT_NEAR(sumY / count, 18.5, 0.3);
    // Nothing is drawn in the control's last column and row, which the button never shows.
    for (int y = 0; y < picture.height(); ++y) {
        EXPECT_EQ(picture.pixel(button.rect.right(), y), background) << y;
    }
}

TEST_F(SkinGeneratorModel, TheFaceLeavesOutButtonsThatMayBeHidden) {
    const WindowSkin main = MainWindowSkin();
    const QImage face = RenderState(main, StatePic::Normal, 0, true);
    const QImage normal = RenderState(main, StatePic::Normal);
    for (const char* hidden : {"FUNC_REPORT1", "CONTROL_Network"}) {
        const QRect art = ArtRect(*main.Find(hidden));
        EXPECT_NE(face.copy(art), normal.copy(art)) << hidden;
    }
    // Key buttons in frame mode show the face under their frame: it must show the keys.
    for (const char* key : {"KEY_01E", "FUNC_G1", "CONTROL_CLOSE"}) {
        const QRect art = ArtRect(*main.Find(key));
        EXPECT_EQ(face.copy(art), normal.copy(art)) << key;
    }
}

TEST_F(SkinGeneratorModel, MacroOnlyPicturesGreyTheOtherPages) {
    const WindowSkin dialog = CompositeSkin();
    const QImage macro = RenderState(dialog, StatePic::Normal, kPageMacro);
    const QImage macroOnly = RenderState(dialog, StatePic::Normal, kPageMacro, false, true);
    for (const char* greyed :
         {"CONTROL_KEY", "CONTROL_MEDIA", "CONTROL_FUNCTION", "CONTROL_CLEAR"}) {
        const QRect art = ArtRect(*dialog.Find(greyed));
        EXPECT_NE(macro.copy(art), macroOnly.copy(art)) << greyed;
    }
    for (const char* same : {"CONTROL_MACRO", "FUNC_MACRO_RECORD", "CONTROL_OK"}) {
        const QRect art = ArtRect(*dialog.Find(same));
        EXPECT_EQ(macro.copy(art), macroOnly.copy(art)) << same;
    }
    // Macro buttons belong to the macro page only.
    const QImage keyPage = RenderState(dialog, StatePic::Normal, kPageKey);
    const QRect record = ArtRect(*dialog.Find("FUNC_MACRO_RECORD"));
    EXPECT_NE(keyPage.copy(record), macro.copy(record));
}

TEST_F(SkinGeneratorModel, BitmapsTakeTheSizeOfTheControlsThatShowThem) {
    WindowSkin main = MainWindowSkin();
    Find(main, "CONTROL_DengStaPic")->rect.setSize(QSize(61, 33));
    Find(main, "CONTROL_LightSlider")->rect.setSize(QSize(150, 20));
    for (const NamedImage& bitmap : PanelBitmaps(main)) {
        if (bitmap.file == "dengup.bmp" || bitmap.file == "dengdown.bmp") {
            EXPECT_EQ(bitmap.image.size(), QSize(61, 33)) << bitmap.file;
        }
        if (bitmap.file == "0.bmp" || bitmap.file == "5.bmp") {
            EXPECT_EQ(bitmap.image.size(), QSize(150, 20)) << bitmap.file;
        }
    }
    // The arrow sheet holds every arrow picture at its place.
    const QSize sheet = ArrowSheetSize(main);
    for (const Sprite& s : main.sprites) {
        EXPECT_TRUE(QRect(QPoint(0, 0), sheet).contains(s.rect.translated(-1, -1))) << s.key;
    }
}

TEST_F(SkinGeneratorModel, MaskIsBlackInsideWhiteOutsideAndNothingElse) {
    const WindowSkin profile = ProfileSkin();
    const QImage mask = RenderMask(profile);
    ASSERT_EQ(mask.size(), profile.size);
    for (int y = 0; y < mask.height(); ++y) {
        for (int x = 0; x < mask.width(); ++x) {
            const QRgb px = mask.pixel(x, y);
            ASSERT_TRUE(px == qRgb(0, 0, 0) || px == qRgb(255, 255, 255)) << x << "," << y;
        }
    }
    EXPECT_EQ(mask.pixel(0, 0), qRgb(255, 255, 255));
    EXPECT_EQ(mask.pixel(kWindowRadius, 0), qRgb(0, 0, 0));
}

TEST_F(SkinGeneratorModel, LayoutFileHoldsEachKeyOnceAndTheLinkOnlyForTheMainWindow) {
    for (const WindowSkin& skin : AllSkins()) {
        const std::string whole = LayoutFileText(skin);
        const std::string text = whole.substr(0, whole.find("[BUTTONINFO2]"));
        EXPECT_EQ(whole.rfind("[SCREEN]\nMain=" + skin.face + "\nMask=" + skin.mask + "\n", 0), 0u);
        EXPECT_EQ(text.find("\nLink=") != std::string::npos, skin.layoutFile == "Main.ini");
        for (const Control& c : skin.controls) {
            const std::string line =
                "\n" + c.key + "=" + std::to_string(c.rect.x()) + "," + std::to_string(c.rect.y()) +
                "," + std::to_string(c.rect.width()) + "," + std::to_string(c.rect.height()) + "\n";
            const size_t at = text.find(line);
            ASSERT_NE(at, std::string::npos) << skin.layoutFile << ": " << c.key;
            EXPECT_EQ(text.find("\n" + c.key + "=", at + 1), std::string::npos) << c.key;
        }
    }
}

TEST(SkinJpeg, KeepsOnePixelColourLinesSharp) {
    QImage image(32, 16, QImage::Format_RGB32);
    image.fill(QColor(40, 44, 52));
    for (int y = 0; y < image.height(); ++y) {
        image.setPixel(15, y, qRgb(255, 138, 31));
    }
    TempDir dir;
    const auto file = dir / "line.jpg";
    ASSERT_TRUE(WriteJpeg(image, file, 95));
    const QImage back(QString::fromStdString(file.string()));
    ASSERT_EQ(back.size(), image.size());
    const QRgb line = back.pixel(15, 8);
    const QRgb beside = back.pixel(16, 8);
    // Halved colour resolution would smear the orange over two columns at half strength.
    EXPECT_GT(qRed(line) - qBlue(line), 170);
    EXPECT_LT(qRed(beside) - qBlue(beside), 60);
}

TEST(SkinJpeg, ReportsAFileThatCannotBeWritten) {
    TempDir dir;
    QImage image(8, 8, QImage::Format_RGB32);
    image.fill(Qt::black);
    EXPECT_FALSE(WriteJpeg(image, dir / "missing-folder" / "x.jpg", 95));
}
