// SPDX-License-Identifier: GPL-3.0-or-later
// Checks the generated Skins folder beside the program: what the windows read is there, the
// pictures fit the rectangles, controls do not collide, and the generator repeats itself.

#include "platform/IniText.h"
#include "skin/SkinRect.h"
#include "support/TempDir.h"
#include "tools/skingen/SkinCatalog.h"

#include <QImage>
#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using skingen::CatalogPictures;
using skingen::CatalogSections;
using skingen::KeyMapCodes;
using skingen::KeySkinName;

namespace {

fs::path SkinFolder() {
    const char* bin = std::getenv("KESTROW_BIN_DIR");
    return fs::path(bin != nullptr ? bin : "bin") / "Skins";
}

std::string Lower(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return s;
}

// Sections and keys compare without regard to case, as the windows read them; the first entry
// of a key wins, and keys written twice are collected.
using Ini = std::map<std::string, std::map<std::string, std::string>>;

Ini ReadIni(const fs::path& file, std::vector<std::string>* twice) {
    Ini ini;
    const std::string bytes = ReadFileBytes(file);
    const IniText text = IniText::Parse(bytes);
    for (const IniText::Section& section : text.Sections()) {
        auto& keys = ini[Lower(std::string(section.name))];
        for (const IniText::Entry& entry : section.entries) {
            if (!keys.emplace(Lower(std::string(entry.key)), std::string(entry.value)).second) {
                twice->push_back(file.filename().string() + ": " + std::string(entry.key));
            }
        }
    }
    return ini;
}

struct Rect {
    int x = 0, y = 0, w = 0, h = 0;
    bool Intersects(const Rect& o) const {
        return x < o.x + o.w && o.x < x + w && y < o.y + o.h && o.y < y + h;
    }
    bool operator==(const Rect&) const = default;
};

bool ParseRect(const std::string& text, Rect* r) {
    char c1 = 0, c2 = 0, c3 = 0;
    std::istringstream in(text);
    in >> r->x >> c1 >> r->y >> c2 >> r->w >> c3 >> r->h;
    return !in.fail() && c1 == ',' && c2 == ',' && c3 == ',';
}

class SkinData : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        for (const char* file : {"Main.ini", "Composite.ini", "Profile.ini", "UpdateDlg.ini"}) {
            files_[file] = ReadIni(SkinFolder() / file, &twice_);
        }
    }

    static const Ini& File(const std::string& name) { return files_[name]; }

    // Read as the windows read it: a missing key gives the place (1, 1) and size 1 x 1.
    static Rect RectOf(const std::string& file, const std::string& key,
                       const std::string& section = "BUTTONINFO") {
        const SkinRect r = ReadSkinRect(SkinFolder() / file, section, key);
        EXPECT_FALSE(r.AtDefaultPlace() && r.w == 1 && r.h == 1)
            << file << " has no rectangle for " << key;
        return Rect{r.x, r.y, r.w, r.h};
    }

    static std::map<std::string, Rect> Rects(const std::string& file) {
        std::map<std::string, Rect> rects;
        for (const auto& [key, value] : files_[file]["buttoninfo"]) {
            Rect r;
            EXPECT_TRUE(ParseRect(value, &r)) << file << ": " << key << "=" << value;
            rects[key] = r;
        }
        return rects;
    }

    static QImage Load(const std::string& name) {
        return QImage(QString::fromStdString((SkinFolder() / name).string()));
    }

    static QImage Face(const std::string& file) { return Load(files_[file]["screen"]["main"]); }

    static inline std::map<std::string, Ini> files_;
    static inline std::vector<std::string> twice_;
};

// A picture region as the image button shows it: from one pixel up and left of its rectangle.
QImage Cut(const QImage& picture, const Rect& r) {
    return picture.copy(r.x - 1, r.y - 1, r.w, r.h);
}

// Compares pixels only, so that a failure prints a readable message.
bool Same(const QImage& a, const QImage& b) {
    return a == b;
}

int MaxLuminance(const QImage& image) {
    int best = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            best = std::max(best, qGray(image.pixel(x, y)));
        }
    }
    return best;
}

} // namespace

TEST_F(SkinData, EveryKeyTheWindowsReadIsThereWithFourNumbers) {
    for (const auto& section : CatalogSections()) {
        const auto& keys = File(section.file).find(Lower(section.section));
        ASSERT_NE(keys, File(section.file).end()) << section.file << " lacks " << section.section;
        for (const std::string& key : section.keys) {
            const auto it = keys->second.find(Lower(key));
            ASSERT_NE(it, keys->second.end())
                << section.file << " [" << section.section << "] lacks " << key;
            if (section.section != "SCREEN") {
                Rect r;
                EXPECT_TRUE(ParseRect(it->second, &r)) << key << "=" << it->second;
                EXPECT_GT(r.w, 0) << key;
                EXPECT_GT(r.h, 0) << key;
            } else {
                EXPECT_FALSE(it->second.empty()) << section.file << " SCREEN/" << key;
            }
        }
    }
    EXPECT_TRUE(twice_.empty()) << "written twice: " << twice_.front();
    const std::string link = File("Main.ini").at("screen").at("link");
    EXPECT_EQ(link.rfind("https://", 0), 0u) << link;
}

TEST_F(SkinData, KeyButtonsAreNamedByKeyPosition) {
    ASSERT_EQ(KeyMapCodes().size(), 106u);
    std::set<std::string> names;
    for (int code : KeyMapCodes()) {
        names.insert(KeySkinName(code));
    }
    EXPECT_EQ(names.size(), 106u) << "two key codes share a skin key";
    EXPECT_EQ(KeySkinName(0x1E), "KEY_01E");  // A
    EXPECT_EQ(KeySkinName(0x45), "KEY_045");  // Pause
    EXPECT_EQ(KeySkinName(0x145), "KEY_0C5"); // Num Lock, E0 prefix
    EXPECT_EQ(KeySkinName(0x137), "KEY_0B7"); // Print Screen
    EXPECT_EQ(KeySkinName(0x11C), "KEY_09C"); // keypad Enter
    EXPECT_EQ(skingen::KeyPositionIndex(0x2AB), 0x1AB);
}

TEST_F(SkinData, FacesAndMasksFitTheirWindows) {
    for (const char* file : {"Main.ini", "Composite.ini", "Profile.ini", "UpdateDlg.ini"}) {
        SCOPED_TRACE(file);
        const QImage face = Face(file);
        const QImage mask = Load(File(file).at("screen").at("mask"));
        ASSERT_FALSE(face.isNull());
        ASSERT_FALSE(mask.isNull());
        EXPECT_EQ(face.size(), mask.size());
        // White outside, not white inside, and nothing in between: a lossy mask would leave
        // near-white specks that the window region keeps.
        EXPECT_EQ(mask.pixel(0, 0), qRgb(255, 255, 255));
        EXPECT_EQ(mask.pixel(mask.width() - 1, mask.height() - 1), qRgb(255, 255, 255));
        EXPECT_NE(mask.pixel(mask.width() / 2, mask.height() / 2), qRgb(255, 255, 255));
        int between = 0;
        for (int y = 0; y < mask.height(); ++y) {
            for (int x = 0; x < mask.width(); ++x) {
                const int g = qGray(mask.pixel(x, y));
                between += (g > 200 && g < 255) ? 1 : 0;
            }
        }
        EXPECT_EQ(between, 0);
        // The edges of the window stay: only the rounded corners are cut.
        EXPECT_NE(mask.pixel(mask.width() / 2, 0), qRgb(255, 255, 255));
        EXPECT_NE(mask.pixel(0, mask.height() / 2), qRgb(255, 255, 255));
    }
}

TEST_F(SkinData, EveryPictureLoadsWithTheSizeItsWindowExpects) {
    for (const auto& picture : CatalogPictures()) {
        SCOPED_TRACE(picture.file);
        const QImage image = Load(picture.file);
        ASSERT_FALSE(image.isNull()) << "missing or unreadable";
        switch (picture.size) {
        case skingen::PictureSize::Window:
            EXPECT_EQ(image.size(), Face(picture.layoutFile).size());
            break;
        case skingen::PictureSize::Control: {
            const Rect r = RectOf(picture.layoutFile, picture.sizeKey);
            EXPECT_EQ(image.size(), QSize(r.w, r.h)) << "shown in " << picture.sizeKey;
            break;
        }
        case skingen::PictureSize::Sprites: {
            const Rect button = RectOf(picture.layoutFile, picture.sizeKey);
            for (const auto& [key, value] : File(picture.layoutFile).at("buttoninfo2")) {
                Rect r;
                ASSERT_TRUE(ParseRect(value, &r)) << key;
                EXPECT_EQ(r.w, button.w) << key;
                EXPECT_EQ(r.h, button.h) << key;
                EXPECT_TRUE(r.x >= 1 && r.y >= 1 && r.x - 1 + r.w <= image.width() &&
                            r.y - 1 + r.h <= image.height())
                    << key << " lies outside " << picture.file;
            }
            break;
        }
        }
    }
}

TEST_F(SkinData, EveryControlLiesInsideItsWindowAndIsNotAtTheMissingKeyPlace) {
    for (const char* file : {"Main.ini", "Composite.ini", "Profile.ini", "UpdateDlg.ini"}) {
        const QSize size = Face(file).size();
        for (const auto& [key, r] : Rects(file)) {
            EXPECT_TRUE(r.x >= 0 && r.y >= 0 && r.x + r.w <= size.width() &&
                        r.y + r.h <= size.height())
                << file << ": " << key;
            // (1, 1) is where a missing key puts a control, and disables an image control.
            EXPECT_FALSE(r.x == 1 && r.y == 1) << file << ": " << key;
        }
    }
}

// Which lighting panel groups each effect shows; controls of groups that never show together
// may share a place.
TEST_F(SkinData, ControlsOverlapOnlyWhereNoMomentShowsBoth) {
    const std::map<std::string, std::vector<std::string>> mainGroups = {
        {"speed", {"CONTROL_SpeedStatic", "CONTROL_SpeedSlider"}},
        {"direction", {"CONTROL_BLFXStatic", "CONTROL_BLFXLStaPic", "CONTROL_BLFXRStaPic"}},
        {"direction2", {"CONTROL_BLFXStatic2", "CONTROL_BLFXLStaPic2", "CONTROL_BLFXRStaPic2"}},
        {"direction3", {"CONTROL_BLFXStatic3", "CONTROL_BLFXLStaPic3", "CONTROL_BLFXRStaPic3"}},
        {"colour",
         {"CONTROL_HXysStatic", "CONTROL_HXysButton", "CONTROL_HXsjsStaPic",
          "CONTROL_HXsjsStatic"}},
        {"reaction",
         {"CONTROL_FYYSStatic", "CONTROL_FYYSButton", "CONTROL_FYSJSStaPic",
          "CONTROL_FYSJSStatic"}},
        {"four", {"CONTROL_HONGPIC", "CONTROL_HUANGPIC", "CONTROL_LVPIC", "CONTROL_LANPIC"}},
        {"user",
         {"CONTROL_USERysStatic", "CONTROL_USERysButton", "CONTROL_USERjsStatic",
          "CONTROL_USERjsButton", "CONTROL_USERgjStatic", "CONTROL_USERgjStaPic1",
          "CONTROL_USERgjStaPic2", "CONTROL_umCombo"}},
        // Controls the panel never shows, in their kinds.
        {"static colour", {"CONTROL_JTysStatic", "CONTROL_JTysButton"}},
        {"second colour",
         {"CONTROL_TSysStatic", "CONTROL_TSysButton", "CONTROL_TSsjsStatic",
          "CONTROL_TSsjsStaPic"}},
        {"third colour",
         {"CONTROL_CDysStatic", "CONTROL_CDysButton", "CONTROL_CDsjsStatic",
          "CONTROL_CDsjsStaPic"}},
        {"trigger",
         {"CONTROL_FYCFStatic", "CONTROL_FYdjcfStatic", "CONTROL_FYggcfStatc",
          "CONTROL_FYdjcfStaPic", "CONTROL_FYggcfStaPic"}},
        {"presets",
         {"CONTROL_Color1", "CONTROL_Color2", "CONTROL_Color3", "CONTROL_Color4", "CONTROL_Color5",
          "CONTROL_Color6", "CONTROL_Color7", "CONTROL_Color8"}},
        {"rgb", {"CONTROL_RGBStatic", "COLOR_R", "COLOR_G", "COLOR_B"}},
    };
    // The option sets of the lighting effects.
    const std::vector<std::vector<std::string>> effects = {
        {"speed", "direction2", "colour"}, // 1, 2, 3
        {"speed"},                         // 4, 11
        {"speed", "colour"},               // 5, 7-10, 13-15
        {"reaction"},                      // 6, 16
        {"speed", "direction3"},           // 12
        {"four"},                          // 17
        {"direction"},                     // 18
        {"user"},                          // 20
    };
    auto shownTogether = [&](const std::string& a, const std::string& b) {
        for (const auto& set : effects) {
            if (std::count(set.begin(), set.end(), a) && std::count(set.begin(), set.end(), b)) {
                return true;
            }
        }
        return false;
    };
    std::map<std::string, std::string> groupOf;
    for (const auto& [group, keys] : mainGroups) {
        for (const std::string& key : keys) {
            groupOf[Lower(key)] = group;
        }
    }
    const auto main = Rects("Main.ini");
    for (auto a = main.begin(); a != main.end(); ++a) {
        for (auto b = std::next(a); b != main.end(); ++b) {
            if (!a->second.Intersects(b->second)) {
                continue;
            }
            const auto ga = groupOf.find(a->first);
            const auto gb = groupOf.find(b->first);
            const bool meant = ga != groupOf.end() && gb != groupOf.end() &&
                               ga->second != gb->second && !shownTogether(ga->second, gb->second);
            EXPECT_TRUE(meant) << "Main.ini: " << a->first << " overlaps " << b->first;
        }
    }

    // The key-setting dialog: pages share the page area; the page picture lies under all.
    const std::map<std::string, int> pageOf = {
        {"tishi_single_static", 2},
        {"func_key_radio_kb", 2},
        {"func_key_radio_kb_static", 2},
        {"func_key_input", 2},
        {"func_key_radio_mou", 2},
        {"func_key_radio_mou_static", 2},
        {"func_mouse_select", 2},
        {"marco_name_setting", 4},
        {"func_macro_list", 4},
        {"func_macro_add", 4},
        {"func_macro_delete", 4},
        {"func_macro_cycles", 4},
        {"func_macro_list2", 4},
        {"func_macro_record", 4},
        {"func_macro_up_top", 4},
        {"func_macro_up", 4},
        {"func_macro_down", 4},
        {"func_macro_down_bottom", 4},
        {"func_macro_delete2", 4},
        {"func_macro_clear", 4},
        {"func_macro_record_delay", 4},
        {"func_macro_record_delay2", 4},
        {"media_setting_tishi", 7},
        {"func_media_select", 7},
        {"function_key_setting_tishi", 8},
        {"func_function_select", 8},
    };
    for (const char* file : {"Composite.ini", "Profile.ini", "UpdateDlg.ini"}) {
        const auto rects = Rects(file);
        for (auto a = rects.begin(); a != rects.end(); ++a) {
            for (auto b = std::next(a); b != rects.end(); ++b) {
                if (!a->second.Intersects(b->second) || a->first == "control_mask" ||
                    b->first == "control_mask") {
                    continue;
                }
                const auto pa = pageOf.find(a->first);
                const auto pb = pageOf.find(b->first);
                const bool meant =
                    pa != pageOf.end() && pb != pageOf.end() && pa->second != pb->second;
                EXPECT_TRUE(meant) << file << ": " << a->first << " overlaps " << b->first;
            }
        }
    }
    EXPECT_EQ(RectOf("Composite.ini", "CONTROL_MASK"),
              (Rect{0, 0, Face("Composite.ini").width(), Face("Composite.ini").height()}));
}

TEST_F(SkinData, KeyButtonsAreDistinctAndWhereAKeyboardHasThem) {
    std::vector<std::string> keys;
    for (int code : KeyMapCodes()) {
        keys.push_back(KeySkinName(code));
    }
    for (const char* extra :
         {"KEY_FN", "KEY_ENTER2", "KEY_D1", "KEY_D2", "KEY_D3", "KEY_D4", "KEY_D5", "KEY_D6"}) {
        keys.push_back(extra);
    }
    for (int g = 1; g <= 9; ++g) {
        keys.push_back("FUNC_G" + std::to_string(g));
    }
    std::vector<Rect> rects;
    for (const std::string& key : keys) {
        rects.push_back(RectOf("Main.ini", key));
    }
    for (size_t i = 0; i < rects.size(); ++i) {
        for (size_t j = i + 1; j < rects.size(); ++j) {
            EXPECT_FALSE(rects[i].Intersects(rects[j])) << keys[i] << " and " << keys[j];
        }
    }

    // Rows run left to right on one line, and lie above one another in keyboard order.
    auto at = [&](int code) { return RectOf("Main.ini", KeySkinName(code)); };
    const std::vector<std::vector<int>> rows = {
        {0x01, 0x3B, 0x3C, 0x3D, 0x3E, 0x3F, 0x40, 0x41, 0x42, 0x43, 0x44, 0x57, 0x58, 0x137, 0x46,
         0x45},
        {0x29, 0x02, 0x03, 0x04,  0x05,  0x06,  0x07,  0x08,  0x09, 0x0A, 0x0B,
         0x0C, 0x0D, 0x0E, 0x152, 0x147, 0x149, 0x145, 0x135, 0x37, 0x4A},
        {0x0F, 0x10, 0x11, 0x12,  0x13,  0x14,  0x15, 0x16, 0x17, 0x18,
         0x19, 0x1A, 0x1B, 0x153, 0x14F, 0x151, 0x47, 0x48, 0x49, 0x4E},
        {0x3A, 0x1E, 0x1F, 0x20, 0x21, 0x22, 0x23, 0x24, 0x25, 0x26, 0x27, 0x28, 0x2B, 0x1C, 0x4B,
         0x4C, 0x4D},
        {0x2A, 0x56, 0x2C, 0x2D, 0x2E, 0x2F, 0x30, 0x31, 0x32, 0x33, 0x34, 0x35, 0x73, 0x36, 0x148,
         0x4F, 0x50, 0x51, 0x11C},
        {0x1D, 0x15B, 0x38, 0x39, 0x138, 0x15C, 0x15D, 0x11D, 0x14B, 0x150, 0x14D, 0x52, 0x53},
    };
    int previousTop = -1;
    for (const auto& row : rows) {
        const Rect first = at(row.front());
        EXPECT_GT(first.y, previousTop);
        previousTop = first.y;
        for (size_t i = 1; i < row.size(); ++i) {
            EXPECT_EQ(at(row[i]).y, first.y) << KeySkinName(row[i]);
            EXPECT_GT(at(row[i]).x, at(row[i - 1]).x) << KeySkinName(row[i]);
        }
    }
    EXPECT_GT(RectOf("Main.ini", "KEY_FN").x, at(0x15C).x);
    EXPECT_LT(RectOf("Main.ini", "KEY_FN").x, at(0x15D).x);
    EXPECT_LT(RectOf("Main.ini", "KEY_ENTER2").y, at(0x1C).y);
}

TEST_F(SkinData, StatePicturesDifferOnlyUnderTheImageControls) {
    const auto rects = Rects("Main.ini");
    const QImage normal = Load("main_normal.jpg");
    ASSERT_FALSE(normal.isNull());
    // JPEG codes 8x8 blocks on their own, so blocks clear of every control are identical.
    std::vector<bool> underControl(
        static_cast<size_t>((normal.width() / 8 + 1) * (normal.height() / 8 + 1)), false);
    const int blocksPerRow = normal.width() / 8 + 1;
    for (const auto& [key, r] : rects) {
        for (int by = (r.y - 1) / 8; by <= (r.y - 1 + r.h) / 8; ++by) {
            for (int bx = (r.x - 1) / 8; bx <= (r.x - 1 + r.w) / 8; ++bx) {
                underControl[static_cast<size_t>(by * blocksPerRow + bx)] = true;
            }
        }
    }
    for (const char* other : {"main_over.jpg", "main_down.jpg", "main_disable.jpg",
                              "main_color0.jpg", "main_color1.jpg"}) {
        const QImage picture = Load(other);
        ASSERT_EQ(picture.size(), normal.size()) << other;
        int differing = 0;
        for (int y = 0; y < normal.height(); ++y) {
            for (int x = 0; x < normal.width(); ++x) {
                if (!underControl[static_cast<size_t>((y / 8) * blocksPerRow + x / 8)] &&
                    normal.pixel(x, y) != picture.pixel(x, y)) {
                    ++differing;
                }
            }
        }
        EXPECT_EQ(differing, 0) << other << " differs away from the controls";
    }
}

TEST_F(SkinData, KeysShowTheirLegendAndEveryStateLook) {
    const QImage normal = Load("main_normal.jpg");
    const QImage over = Load("main_over.jpg");
    const QImage assigned = Load("main_disable.jpg");
    const QImage unmarked = Load("main_color0.jpg");
    const QImage marked = Load("main_color1.jpg");
    std::vector<std::string> keys = {"KEY_FN", "FUNC_G1", "FUNC_G9", "KEY_D1"};
    for (int code : KeyMapCodes()) {
        keys.push_back(KeySkinName(code));
    }
    for (const std::string& key : keys) {
        const Rect r = RectOf("Main.ini", key);
        const QImage face = Cut(normal, r);
        if (key != KeySkinName(0x39)) { // the space bar has no legend
            EXPECT_GT(MaxLuminance(face), 170) << key << " shows no legend";
        }
        EXPECT_FALSE(Same(face, Cut(over, r))) << key;
        EXPECT_FALSE(Same(face, Cut(assigned, r))) << key;
        EXPECT_FALSE(Same(Cut(unmarked, r), Cut(marked, r))) << key;
    }
}

TEST_F(SkinData, PanelBitmapsShowTheirStates) {
    const std::vector<std::pair<const char*, const char*>> pairs = {
        {"dengup", "dengdown"},   {"leftup", "leftdown"},   {"rightup", "rightdown"},
        {"upup", "updown"},       {"downup", "downdown"},   {"kuosan", "kuosandown"},
        {"julong", "julongdown"}, {"hong", "hongok"},       {"huang", "huangok"},
        {"lv", "lvok"},           {"lan", "lanok"},         {"sjsup", "sjsdown"},
        {"user1up", "user1down"}, {"user2up", "user2down"},
    };
    for (const auto& [off, on] : pairs) {
        EXPECT_FALSE(Same(Load(std::string(off) + ".bmp"), Load(std::string(on) + ".bmp"))) << off;
    }
    for (int i = 1; i < 10; ++i) {
        EXPECT_FALSE(Same(Load("jdt" + std::to_string(i) + ".bmp"),
                          Load("jdt" + std::to_string(i + 1) + ".bmp")))
            << "busy frames " << i << " and " << i + 1 << " are the same";
    }
}

// The slider turns a click at x into position (x + 10) / width * 5; a click on the knob of
// each picture must give that picture's position back.
TEST_F(SkinData, SliderKnobsSitWhereTheSliderReadsTheirPosition) {
    for (int first : {0, 6}) {
        for (int s = 0; s <= 5; ++s) {
            const QImage picture = Load(std::to_string(first + s) + ".bmp");
            ASSERT_FALSE(picture.isNull());
            // The knob is the white disc: the middle of the columns that hold white.
            int left = -1;
            int right = -1;
            for (int x = 0; x < picture.width(); ++x) {
                for (int y = 0; y < picture.height(); ++y) {
                    const QRgb px = picture.pixel(x, y);
                    if (qRed(px) > 235 && qGreen(px) > 235 && qBlue(px) > 235) {
                        left = left < 0 ? x : left;
                        right = x;
                    }
                }
            }
            ASSERT_GE(left, 0) << first + s << ".bmp has no knob";
            const int knob = (left + right) / 2;
            const int read = static_cast<int>((knob + 10) * 5.0 / picture.width());
            EXPECT_EQ(std::min(read, 5), s) << first + s << ".bmp knob at " << knob;
        }
    }
}

TEST_F(SkinData, ArrowPicturesPointBothWays) {
    const QImage sheet = Load("Arrow.jpg");
    ASSERT_FALSE(sheet.isNull());
    EXPECT_FALSE(Same(Cut(sheet, RectOf("Main.ini", "UP_ARROW_LEFT1", "BUTTONINFO2")),
                      Cut(sheet, RectOf("Main.ini", "DOWN_ARROW_LEFT1", "BUTTONINFO2"))));
    EXPECT_FALSE(Same(Cut(sheet, RectOf("Main.ini", "UP_ARROW_RIGHT1", "BUTTONINFO2")),
                      Cut(sheet, RectOf("Main.ini", "DOWN_ARROW_RIGHT1", "BUTTONINFO2"))));
}

TEST(SkinGenerator, WritesTheSameFolderTwice) {
    TempDir dir;
    const fs::path a = dir / "a";
    const fs::path b = dir / "b";
    for (const fs::path& out : {a, b}) {
        const std::string command = std::string("'") + KESTROW_SKINGEN + "' '" + out.string() + "'";
        ASSERT_EQ(std::system(command.c_str()), 0) << command;
    }
    size_t files = 0;
    for (const auto& entry : fs::directory_iterator(a)) {
        ++files;
        const fs::path twin = b / entry.path().filename();
        ASSERT_TRUE(fs::exists(twin)) << twin;
        EXPECT_EQ(ReadFileBytes(entry.path()), ReadFileBytes(twin)) << entry.path().filename();
    }
    EXPECT_EQ(files, static_cast<size_t>(
                         std::distance(fs::directory_iterator(b), fs::directory_iterator())));
    for (const char* layout : {"Main.ini", "Composite.ini", "Profile.ini", "UpdateDlg.ini"}) {
        EXPECT_TRUE(fs::exists(a / layout)) << layout;
    }
}
