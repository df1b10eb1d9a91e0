// SPDX-License-Identifier: GPL-3.0-or-later
// The main window: keyboard picture, profile bar, window buttons and the lighting panel.

#include "tools/skingen/MainLayout.h"

#include "tools/skingen/SkinCatalog.h"
#include "tools/skingen/SkinStyle.h"

#include <QPainter>
#include <cmath>

namespace skingen {
namespace {

constexpr int kWidth = 1240;
constexpr int kHeight = 432;
constexpr int kUnit = 36;                // key pitch
constexpr int kKeysX = 34;               // left edge of the G-key column
constexpr int kKeysY = 122;              // top of the function row
constexpr double kMainX = 1.25;          // main block, in units from kKeysX
constexpr double kNavX = kMainX + 15.25; // navigation block
constexpr double kPadX = kNavX + 3.25;   // numeric pad
constexpr double kStripY = -1.15;        // the strip above the function row
constexpr double kStripH = 0.85;
constexpr double kKeysRight = kPadX + 4; // right edge of the key area, in units

constexpr std::array<Look, kStatePicCount> kKeyLooks{
    Look::Normal, Look::Hover, Look::Pressed, Look::Selected, Look::ColourOff, Look::ColourOn};
constexpr std::array<Look, kStatePicCount> kCheckLooks{Look::Normal,   Look::Hover,  Look::Pressed,
                                                       Look::Selected, Look::Normal, Look::Normal};
constexpr std::array<Look, kStatePicCount> kPlainLooks{Look::Normal, Look::Hover,  Look::Pressed,
                                                       Look::Greyed, Look::Normal, Look::Normal};
// The link button shows its disabled-state picture when pressed.
constexpr std::array<Look, kStatePicCount> kLinkLooks{Look::Normal,  Look::Hover,  Look::Pressed,
                                                      Look::Pressed, Look::Normal, Look::Normal};
// Lock indicators are "checked" with the hover picture.
constexpr std::array<Look, kStatePicCount> kLockLooks{Look::Normal, Look::Hover,  Look::Normal,
                                                      Look::Greyed, Look::Normal, Look::Normal};

int Px(double units) {
    return static_cast<int>(std::lround(units * kUnit));
}

// A grid cell in key units; image buttons sit one pixel right and down of their art.
QRect KeyRect(double x, double y, double w, double h) {
    const int left = kKeysX + Px(x);
    const int top = kKeysY + Px(y);
    return QRect(left + 1, top + 1, kKeysX + Px(x + w) - left, kKeysY + Px(y + h) - top);
}

double RowY(int row) {
    return row == 0 ? 0.0 : 1.25 + (row - 1);
}

struct KeyPlace {
    int code; // key code, or 0 for a button named by `name`
    const char* name;
    double x; // units from the block's left edge
    int row;
    double w;
    double h;
    const char* top;
    const char* bottom;
    double block; // the block's left edge
};

// The keyboard as a user sees it: an ISO layout with the two extra keys beside the shifts,
// a full navigation block and numeric pad.
const std::vector<KeyPlace>& KeyPlaces() {
    constexpr double M = kMainX;
    constexpr double N = kNavX;
    constexpr double P = kPadX;
    static const std::vector<KeyPlace> places = {
        // function row
        {0x01, nullptr, 0, 0, 1, 1, "Esc", "", M},
        {0x3B, nullptr, 2, 0, 1, 1, "F1", "", M},
        {0x3C, nullptr, 3, 0, 1, 1, "F2", "", M},
        {0x3D, nullptr, 4, 0, 1, 1, "F3", "", M},
        {0x3E, nullptr, 5, 0, 1, 1, "F4", "", M},
        {0x3F, nullptr, 6.5, 0, 1, 1, "F5", "", M},
        {0x40, nullptr, 7.5, 0, 1, 1, "F6", "", M},
        {0x41, nullptr, 8.5, 0, 1, 1, "F7", "", M},
        {0x42, nullptr, 9.5, 0, 1, 1, "F8", "", M},
        {0x43, nullptr, 11, 0, 1, 1, "F9", "", M},
        {0x44, nullptr, 12, 0, 1, 1, "F10", "", M},
        {0x57, nullptr, 13, 0, 1, 1, "F11", "", M},
        {0x58, nullptr, 14, 0, 1, 1, "F12", "", M},
        {0x137, nullptr, 0, 0, 1, 1, "PrtSc", "", N},
        {0x46, nullptr, 1, 0, 1, 1, "ScrLk", "", N},
        {0x45, nullptr, 2, 0, 1, 1, "Pause", "", N},
        // number row
        {0x29, nullptr, 0, 1, 1, 1, "~", "`", M},
        {0x02, nullptr, 1, 1, 1, 1, "!", "1", M},
        {0x03, nullptr, 2, 1, 1, 1, "@", "2", M},
        {0x04, nullptr, 3, 1, 1, 1, "#", "3", M},
        {0x05, nullptr, 4, 1, 1, 1, "$", "4", M},
        {0x06, nullptr, 5, 1, 1, 1, "%", "5", M},
        {0x07, nullptr, 6, 1, 1, 1, "^", "6", M},
        {0x08, nullptr, 7, 1, 1, 1, "&", "7", M},
        {0x09, nullptr, 8, 1, 1, 1, "*", "8", M},
        {0x0A, nullptr, 9, 1, 1, 1, "(", "9", M},
        {0x0B, nullptr, 10, 1, 1, 1, ")", "0", M},
        {0x0C, nullptr, 11, 1, 1, 1, "_", "-", M},
        {0x0D, nullptr, 12, 1, 1, 1, "+", "=", M},
        {0x0E, nullptr, 13, 1, 2, 1, "Backspace", "", M},
        {0x152, nullptr, 0, 1, 1, 1, "Ins", "", N},
        {0x147, nullptr, 1, 1, 1, 1, "Home", "", N},
        {0x149, nullptr, 2, 1, 1, 1, "PgUp", "", N},
        {0x145, nullptr, 0, 1, 1, 1, "Num", "", P},
        {0x135, nullptr, 1, 1, 1, 1, "/", "", P},
        {0x37, nullptr, 2, 1, 1, 1, "*", "", P},
        {0x4A, nullptr, 3, 1, 1, 1, "\u2212", "", P},
        // top letter row
        {0x0F, nullptr, 0, 2, 1.5, 1, "Tab", "", M},
        {0x10, nullptr, 1.5, 2, 1, 1, "Q", "", M},
        {0x11, nullptr, 2.5, 2, 1, 1, "W", "", M},
        {0x12, nullptr, 3.5, 2, 1, 1, "E", "", M},
        {0x13, nullptr, 4.5, 2, 1, 1, "R", "", M},
        {0x14, nullptr, 5.5, 2, 1, 1, "T", "", M},
        {0x15, nullptr, 6.5, 2, 1, 1, "Y", "", M},
        {0x16, nullptr, 7.5, 2, 1, 1, "U", "", M},
        {0x17, nullptr, 8.5, 2, 1, 1, "I", "", M},
        {0x18, nullptr, 9.5, 2, 1, 1, "O", "", M},
        {0x19, nullptr, 10.5, 2, 1, 1, "P", "", M},
        {0x1A, nullptr, 11.5, 2, 1, 1, "{", "[", M},
        {0x1B, nullptr, 12.5, 2, 1, 1, "}", "]", M},
        {0, "KEY_ENTER2", 13.5, 2, 1.5, 1, "Enter", "", M},
        {0x153, nullptr, 0, 2, 1, 1, "Del", "", N},
        {0x14F, nullptr, 1, 2, 1, 1, "End", "", N},
        {0x151, nullptr, 2, 2, 1, 1, "PgDn", "", N},
        {0x47, nullptr, 0, 2, 1, 1, "7", "", P},
        {0x48, nullptr, 1, 2, 1, 1, "8", "", P},
        {0x49, nullptr, 2, 2, 1, 1, "9", "", P},
        {0x4E, nullptr, 3, 2, 1, 2, "+", "", P},
        // home row
        {0x3A, nullptr, 0, 3, 1.75, 1, "Caps Lock", "", M},
        {0x1E, nullptr, 1.75, 3, 1, 1, "A", "", M},
        {0x1F, nullptr, 2.75, 3, 1, 1, "S", "", M},
        {0x20, nullptr, 3.75, 3, 1, 1, "D", "", M},
        {0x21, nullptr, 4.75, 3, 1, 1, "F", "", M},
        {0x22, nullptr, 5.75, 3, 1, 1, "G", "", M},
        {0x23, nullptr, 6.75, 3, 1, 1, "H", "", M},
        {0x24, nullptr, 7.75, 3, 1, 1, "J", "", M},
        {0x25, nullptr, 8.75, 3, 1, 1, "K", "", M},
        {0x26, nullptr, 9.75, 3, 1, 1, "L", "", M},
        {0x27, nullptr, 10.75, 3, 1, 1, ":", ";", M},
        {0x28, nullptr, 11.75, 3, 1, 1, "\"", "'", M},
        {0x2B, nullptr, 12.75, 3, 1, 1, "~", "#", M},
        {0x1C, nullptr, 13.75, 3, 1.25, 1, "\u21B5", "", M},
        {0x4B, nullptr, 0, 3, 1, 1, "4", "", P},
        {0x4C, nullptr, 1, 3, 1, 1, "5", "", P},
        {0x4D, nullptr, 2, 3, 1, 1, "6", "", P},
        // bottom letter row
        {0x2A, nullptr, 0, 4, 1.25, 1, "Shift", "", M},
        {0x56, nullptr, 1.25, 4, 1, 1, ">", "<", M},
        {0x2C, nullptr, 2.25, 4, 1, 1, "Z", "", M},
        {0x2D, nullptr, 3.25, 4, 1, 1, "X", "", M},
        {0x2E, nullptr, 4.25, 4, 1, 1, "C", "", M},
        {0x2F, nullptr, 5.25, 4, 1, 1, "V", "", M},
        {0x30, nullptr, 6.25, 4, 1, 1, "B", "", M},
        {0x31, nullptr, 7.25, 4, 1, 1, "N", "", M},
        {0x32, nullptr, 8.25, 4, 1, 1, "M", "", M},
        {0x33, nullptr, 9.25, 4, 1, 1, "<", ",", M},
        {0x34, nullptr, 10.25, 4, 1, 1, ">", ".", M},
        {0x35, nullptr, 11.25, 4, 1, 1, "?", "/", M},
        {0x73, nullptr, 12.25, 4, 1, 1, "_", "\\", M},
        {0x36, nullptr, 13.25, 4, 1.75, 1, "Shift", "", M},
        {0x148, nullptr, 1, 4, 1, 1, "\u2191", "", N},
        {0x4F, nullptr, 0, 4, 1, 1, "1", "", P},
        {0x50, nullptr, 1, 4, 1, 1, "2", "", P},
        {0x51, nullptr, 2, 4, 1, 1, "3", "", P},
        {0x11C, nullptr, 3, 4, 1, 2, "Enter", "", P},
        // space row
        {0x1D, nullptr, 0, 5, 1.25, 1, "Ctrl", "", M},
        {0x15B, nullptr, 1.25, 5, 1.25, 1, "Win", "", M},
        {0x38, nullptr, 2.5, 5, 1.25, 1, "Alt", "", M},
        {0x39, nullptr, 3.75, 5, 6.25, 1, "", "", M},
        {0x138, nullptr, 10, 5, 1, 1, "Alt", "", M},
        {0x15C, nullptr, 11, 5, 1, 1, "Win", "", M},
        {0, "KEY_FN", 12, 5, 1, 1, "Fn", "", M},
        {0x15D, nullptr, 13, 5, 1, 1, "Menu", "", M},
        {0x11D, nullptr, 14, 5, 1, 1, "Ctrl", "", M},
        {0x14B, nullptr, 0, 5, 1, 1, "\u2190", "", N},
        {0x150, nullptr, 1, 5, 1, 1, "\u2193", "", N},
        {0x14D, nullptr, 2, 5, 1, 1, "\u2192", "", N},
        {0x52, nullptr, 0, 5, 2, 1, "0", "", P},
        {0x53, nullptr, 2, 5, 1, 1, ".", "", P},
    };
    return places;
}

Control MakeKey(const std::string& key, const QRect& rect, const QString& top,
                const QString& bottom) {
    Control c;
    c.key = key;
    c.rect = rect;
    c.art = Art::KeyCap;
    c.top = top;
    c.bottom = bottom;
    c.looks = kKeyLooks;
    // Marked keys glow in a rainbow across the keyboard.
    const double centre = (rect.center().x() - kKeysX) / double(Px(kKeysRight));
    c.hue = 0.02 + 0.8 * centre;
    return c;
}

Control MakeButton(const std::string& key, const QRect& rect, Art art,
                   const std::array<Look, kStatePicCount>& looks, Icon icon = Icon::None,
                   const QString& label = {}) {
    Control c;
    c.key = key;
    c.rect = rect;
    c.art = art;
    c.looks = looks;
    c.icon = icon;
    c.top = label;
    return c;
}

Control MakePlain(const std::string& key, const QRect& rect, ShownIn shown) {
    Control c;
    c.key = key;
    c.rect = rect;
    c.shown = shown;
    return c;
}

// Effects (lighting effect codes) in which a panel control is shown.
ShownIn Effects(std::initializer_list<int> codes) {
    ShownIn s = 0;
    for (int code : codes) {
        s |= ShownBit(code);
    }
    return s;
}

const ShownIn kAnyEffect =
    Effects({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 20});
const ShownIn kSpeedEffects = Effects({1, 2, 3, 4, 5, 7, 8, 9, 10, 11, 12, 13, 14, 15});
const ShownIn kColourEffects = Effects({1, 2, 3, 5, 7, 8, 9, 10, 13, 14, 15});

// Lighting panel geometry.
constexpr int kPanelX = 920;
constexpr int kPanelY = 64;
constexpr int kPanelW = 304;
constexpr int kPanelH = 298;
constexpr int kPanelIn = kPanelX + 14;   // labels
constexpr int kPanelCtl = kPanelX + 104; // controls after the labels
constexpr int kPanelRight = kPanelX + kPanelW - 14;
constexpr int kLabelW = 86;
constexpr int kRowB = 154; // brightness
constexpr int kRowS = 184; // speed, or a group of an effect without speed
constexpr int kRowA = 214;
constexpr int kRowD = 244;
constexpr int kRowC = 274;
constexpr int kRowR = 318; // report rate

QRect Label(int row) {
    return QRect(kPanelIn, row + 1, kLabelW, 22);
}

// A colour group: label, colour button, multicolour switch and its label.
void AddColourGroup(std::vector<Control>& out, const std::string& label, const std::string& button,
                    const std::string& pic, const std::string& picLabel, int row, ShownIn shown) {
    out.push_back(MakePlain(label, Label(row), shown));
    out.push_back(MakePlain(button, QRect(kPanelCtl, row, 60, 24), shown));
    if (!pic.empty()) {
        out.push_back(MakePlain(pic, QRect(kPanelCtl + 72, row, 24, 24), shown));
        out.push_back(MakePlain(picLabel, QRect(kPanelCtl + 102, row + 1, 84, 22), shown));
    }
}

void AddPanel(std::vector<Control>& out) {
    out.push_back(MakePlain("CONTROL_DengStatic", QRect(kPanelIn, 76, 160, 24), kShownAlways));
    out.push_back(
        MakePlain("CONTROL_DengStaPic", QRect(kPanelRight - 52, 74, 52, 28), kShownAlways));
    out.push_back(MakePlain("CONTROL_XGcombox", QRect(kPanelIn, 118, kPanelRight - kPanelIn, 26),
                            kAnyEffect));

    const QRect slider(kPanelCtl, 0, kPanelRight - kPanelCtl, 24);
    out.push_back(MakePlain("CONTROL_LightStatic", Label(kRowB), kAnyEffect));
    out.push_back(MakePlain("CONTROL_LightSlider", slider.translated(0, kRowB), kAnyEffect));
    out.push_back(MakePlain("CONTROL_SpeedStatic", Label(kRowS), kSpeedEffects));
    out.push_back(MakePlain("CONTROL_SpeedSlider", slider.translated(0, kRowS), kSpeedEffects));

    // The direction pair takes the first free row of its effects: in place of the speed slider
    // for effect 18, of the colour group for effect 12, below the colour group for 1-3.
    const struct {
        const char* suffix;
        int row;
        ShownIn shown;
    } directionSets[] = {
        {"", kRowS, Effects({18})},
        {"2", kRowD, Effects({1, 2, 3})},
        {"3", kRowA, Effects({12})},
    };
    for (const auto& set : directionSets) {
        std::vector<Control> three = {
            MakePlain(std::string("CONTROL_BLFXStatic") + set.suffix, Label(set.row), set.shown),
            MakePlain(std::string("CONTROL_BLFXLStaPic") + set.suffix,
                      QRect(kPanelCtl, set.row - 1, 52, 26), set.shown),
            MakePlain(std::string("CONTROL_BLFXRStaPic") + set.suffix,
                      QRect(kPanelCtl + 60, set.row - 1, 52, 26), set.shown),
        };
        for (Control& c : three) {
            c.positionOnly = *set.suffix != '\0';
            out.push_back(c);
        }
    }

    AddColourGroup(out, "CONTROL_HXysStatic", "CONTROL_HXysButton", "CONTROL_HXsjsStaPic",
                   "CONTROL_HXsjsStatic", kRowA, kColourEffects);
    AddColourGroup(out, "CONTROL_FYYSStatic", "CONTROL_FYYSButton", "CONTROL_FYSJSStaPic",
                   "CONTROL_FYSJSStatic", kRowS, Effects({6, 16}));

    const char* fourColours[] = {"CONTROL_HONGPIC", "CONTROL_HUANGPIC", "CONTROL_LVPIC",
                                 "CONTROL_LANPIC"};
    for (int i = 0; i < 4; ++i) {
        out.push_back(
            MakePlain(fourColours[i], QRect(kPanelCtl + i * 34, kRowS - 1, 26, 26), Effects({17})));
    }

    // User colour modes (effect 20, which has no speed).
    const ShownIn user = Effects({20});
    AddColourGroup(out, "CONTROL_USERysStatic", "CONTROL_USERysButton", {}, {}, kRowS, user);
    AddColourGroup(out, "CONTROL_USERjsStatic", "CONTROL_USERjsButton", {}, {}, kRowA, user);
    out.push_back(MakePlain("CONTROL_USERgjStatic", Label(kRowD), user));
    out.push_back(MakePlain("CONTROL_USERgjStaPic1", QRect(kPanelCtl, kRowD - 1, 40, 26), user));
    out.push_back(
        MakePlain("CONTROL_USERgjStaPic2", QRect(kPanelCtl + 48, kRowD - 1, 40, 26), user));
    out.push_back(
        MakePlain("CONTROL_umCombo", QRect(kPanelIn, kRowC, kPanelRight - kPanelIn, 26), user));

    // Controls the panel creates hidden and never shows; they keep places beside their kin.
    AddColourGroup(out, "CONTROL_JTysStatic", "CONTROL_JTysButton", {}, {}, kRowA, kNeverShown);
    AddColourGroup(out, "CONTROL_TSysStatic", "CONTROL_TSysButton", "CONTROL_TSsjsStaPic",
                   "CONTROL_TSsjsStatic", kRowD, kNeverShown);
    AddColourGroup(out, "CONTROL_CDysStatic", "CONTROL_CDysButton", "CONTROL_CDsjsStaPic",
                   "CONTROL_CDsjsStatic", kRowC, kNeverShown);
    out.push_back(MakePlain("CONTROL_FYCFStatic", Label(kRowS), kNeverShown));
    out.push_back(MakePlain("CONTROL_FYdjcfStaPic", QRect(kPanelCtl, kRowS, 24, 24), kNeverShown));
    out.push_back(
        MakePlain("CONTROL_FYdjcfStatic", QRect(kPanelCtl + 28, kRowS + 1, 60, 22), kNeverShown));
    out.push_back(
        MakePlain("CONTROL_FYggcfStaPic", QRect(kPanelCtl + 94, kRowS, 24, 24), kNeverShown));
    out.push_back(
        MakePlain("CONTROL_FYggcfStatc", QRect(kPanelCtl + 122, kRowS + 1, 64, 22), kNeverShown));
    for (int i = 0; i < 8; ++i) {
        out.push_back(MakePlain("CONTROL_Color" + std::to_string(i + 1),
                                QRect(kPanelCtl + i * 23, kRowD + 2, 20, 20), kNeverShown));
    }
    out.push_back(MakePlain("CONTROL_RGBStatic", Label(kRowC), kNeverShown));
    const char* rgb[] = {"COLOR_R", "COLOR_G", "COLOR_B"};
    for (int i = 0; i < 3; ++i) {
        out.push_back(MakePlain(rgb[i], QRect(kPanelCtl + i * 62, kRowC, 56, 24), kNeverShown));
    }

    out.push_back(MakePlain("CONTROL_UsbStatic", Label(kRowR), kAnyEffect));
    for (int i = 0; i < 4; ++i) {
        Control rate = MakeButton("FUNC_REPORT" + std::to_string(i + 1),
                                  QRect(kPanelCtl + i * 47, kRowR - 1, 44, 28), Art::Button,
                                  kCheckLooks, Icon::None, QString::number(i + 1));
        rate.inFace = false;
        rate.shown = kAnyEffect;
        out.push_back(rate);
    }
}

void AddKeyboard(std::vector<Control>& out) {
    for (const KeyPlace& k : KeyPlaces()) {
        const std::string key = k.code != 0 ? KeySkinName(k.code) : k.name;
        out.push_back(MakeKey(key, KeyRect(k.block + k.x, RowY(k.row), k.w, k.h),
                              QString::fromUtf8(k.top), QString::fromUtf8(k.bottom)));
    }
    // The two buttons of the L-shaped Enter draw one key.
    Control* upper = nullptr;
    Control* lower = nullptr;
    for (Control& c : out) {
        upper = c.key == "KEY_ENTER2" ? &c : upper;
        lower = c.key == KeySkinName(0x1C) ? &c : lower;
    }
    upper->partner = ArtRect(*lower);
    lower->partner = ArtRect(*upper);

    // G1-G5 down the left, G6-G9 along the strip above the function row.
    for (int i = 0; i < 5; ++i) {
        out.push_back(MakeKey("FUNC_G" + std::to_string(i + 1), KeyRect(0, RowY(i + 1), 1, 1),
                              QStringLiteral("G%1").arg(i + 1), {}));
    }
    for (int i = 0; i < 4; ++i) {
        out.push_back(MakeKey("FUNC_G" + std::to_string(i + 6),
                              KeyRect(kMainX + i, kStripY, 1, kStripH),
                              QStringLiteral("G%1").arg(i + 6), {}));
    }
    // The flip group: F1-F4 or D1-D6 answer, switched by the two arrow buttons.
    out.push_back(MakeButton("FLIP_0", KeyRect(5.75, kStripY, 1.25, kStripH), Art::Button,
                             kCheckLooks, Icon::Flip));
    out.push_back(MakeButton("FLIP_1", KeyRect(7.55, kStripY, 0.6, kStripH), Art::Button,
                             kCheckLooks, Icon::ChevronLeft));
    for (int i = 0; i < 6; ++i) {
        out.push_back(MakeKey("KEY_D" + std::to_string(i + 1),
                              KeyRect(8.25 + i, kStripY, 1, kStripH),
                              QStringLiteral("D%1").arg(i + 1), {}));
    }
    out.push_back(MakeButton("FLIP_2", KeyRect(14.35, kStripY, 0.6, kStripH), Art::Button,
                             kCheckLooks, Icon::ChevronRight));
    // The arrow pictures appear here while a flip button is hovered.
    out.push_back(MakePlain("LEFT_ARROW", KeyRect(7.1, kStripY, 0.4, kStripH), kShownAlways));
    out.push_back(MakePlain("RIGHT_ARROW", KeyRect(15.0, kStripY, 0.4, kStripH), kShownAlways));

    // Lock indicators where a full-size keyboard has its LEDs: above the numeric pad.
    const char* locks[][2] = {
        {"LOCK_NUM", "1"}, {"LOCK_CAPS", "A"}, {"LOCK_SCROLL", "S"}, {"LOCK_AB", "AB"}};
    for (int i = 0; i < 4; ++i) {
        Control lock =
            MakeButton(locks[i][0], KeyRect(kPadX + i, 0.2, 1, 0.6), Art::Indicator, kLockLooks);
        lock.top = QString::fromUtf8(locks[i][1]);
        out.push_back(lock);
    }
}

void AddChrome(std::vector<Control>& out) {
    // Title bar
    out.push_back(MakeButton("VELMAR_LINK", QRect(21, 10, 168, 34), Art::Logo, kLinkLooks));
    Control version = MakeButton("VELMAR_VER", QRect(196, 19, 96, 18), Art::Blank, kPlainLooks);
    out.push_back(version);
    const struct {
        const char* key;
        Icon icon;
        bool panel; // lighting panel controls: hidden while lighting is off
    } windowButtons[] = {
        {"CONTROL_Network", Icon::Globe, true}, {"CONTROL_Facebook", Icon::Facebook, true},
        {"CONTROL_twitter", Icon::Chat, true},  {"CONTROL_HELP", Icon::Help, false},
        {"CONTROL_MENU", Icon::Menu, false},    {"CONTROL_MINIMIZE", Icon::Minimize, false},
        {"CONTROL_CLOSE", Icon::Close, false}};
    int x = kWidth - 20 - 7 * 36 - 12;
    for (const auto& b : windowButtons) {
        if (!b.panel && b.icon == Icon::Help) {
            x += 12; // a gap between the maker's links and the window's own buttons
        }
        Control c =
            MakeButton(b.key, QRect(x + 1, 11, 34, 32), Art::IconButton, kPlainLooks, b.icon);
        if (b.panel) {
            c.inFace = false;
            c.shown = kAnyEffect;
        }
        out.push_back(c);
        x += 36;
    }

    // Profile bar
    const int barY = 382;
    const int barH = 34;
    for (int i = 0; i < 3; ++i) {
        out.push_back(MakeButton("FUNC_PROFILE" + std::to_string(i + 1),
                                 QRect(21 + i * 94, barY, 92, barH), Art::Button, kCheckLooks));
    }
    out.push_back(MakeButton("FUNC_DEFAULT", QRect(313, barY, 92, barH), Art::Button, kCheckLooks));
    out.push_back(
        MakeButton("FUNC_PROFILES", QRect(417, barY, 176, barH), Art::Button, kPlainLooks));
    out.push_back(MakeButton("FUNC_MACRO", QRect(605, barY, 92, barH), Art::Button, kPlainLooks));
    out.push_back(MakeButton("FUNC_SWITCH", QRect(709, barY, 132, barH), Art::Button, kCheckLooks));
    out.push_back(MakePlain("CONTROL_JDTStatic", QRect(878, barY + 3, 28, 28), kShownAlways));
    Control ok = MakeButton("CONTROL_OK", QRect(917, barY, 94, barH), Art::Button, kPlainLooks);
    ok.primary = true;
    out.push_back(ok);
    out.push_back(
        MakeButton("CONTROL_CANCEL", QRect(1021, barY, 94, barH), Art::Button, kPlainLooks));
    Control apply =
        MakeButton("CONTROL2_APPLY", QRect(1125, barY, 94, barH), Art::Button, kPlainLooks);
    apply.primary = true;
    out.push_back(apply);
}

void PaintMainBackground(QPainter& p, const WindowSkin& skin, int) {
    using namespace style;
    const QRectF all(0, 0, skin.size.width(), skin.size.height());
    p.fillRect(all, kWindow);
    // title bar and its accent line
    QLinearGradient title(0, 0, 0, 54);
    title.setColorAt(0, QColor(0x1C, 0x1F, 0x27));
    title.setColorAt(1, kBar);
    p.fillRect(QRectF(0, 0, skin.size.width(), 54), title);
    QLinearGradient line = AccentGradient(QRectF(0, 54, skin.size.width(), 2));
    p.setOpacity(0.75);
    p.fillRect(QRectF(0, 54, skin.size.width(), 2), line);
    p.setOpacity(1);
    // profile bar (flat, the busy animation sits on it)
    p.fillRect(QRectF(0, 370, skin.size.width(), skin.size.height() - 370), kBar);
    p.fillRect(QRectF(0, 370, skin.size.width(), 1), kEdge);

    // keyboard plate
    const QRectF plate(20, kPanelY, Px(kKeysRight) + 2 * (kKeysX - 20), kPanelH);
    DrawCard(p, plate, kPlate, kPlateEdge, 12);
    // lighting panel
    const QRectF panel(kPanelX, kPanelY, kPanelW, kPanelH);
    DrawCard(p, panel, kPanel, kPlateEdge, 12);
    QLinearGradient sep = AccentGradient(QRectF(kPanelIn, 109, kPanelRight - kPanelIn, 1));
    p.setOpacity(0.5);
    p.fillRect(QRectF(kPanelIn, 109, kPanelRight - kPanelIn, 1), sep);
    p.setOpacity(1);
    p.fillRect(QRectF(kPanelIn, kRowR - 12, kPanelRight - kPanelIn, 1), kPlateEdge);

    // the window's outline
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(kEdge, 1));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(all.adjusted(0.5, 0.5, -0.5, -0.5), kWindowRadius, kWindowRadius);
}

} // namespace

WindowSkin MainWindowSkin() {
    WindowSkin skin;
    skin.layoutFile = "Main.ini";
    skin.size = QSize(kWidth, kHeight);
    skin.face = "main_face.jpg";
    skin.mask = "main_mask.bmp";
    skin.link = "https://kestrow.example.org/";
    // The web buttons of the lighting panel; an empty address would hide its button.
    skin.webLinks = {{"NetworkLink", "https://kestrow.example.org/"},
                     {"FacebookLink", "https://kestrow.example.org/news"},
                     {"TwitterLink", "https://kestrow.example.org/community"}};
    AddChrome(skin.controls);
    AddKeyboard(skin.controls);
    AddPanel(skin.controls);

    // Arrow.jpg: one picture per direction and side, each the size of the arrow buttons.
    const QRect arrow = skin.Find("LEFT_ARROW")->rect;
    const struct {
        const char* key;
        Icon icon;
    } sprites[] = {{"UP_ARROW_LEFT1", Icon::ArrowUp},
                   {"UP_ARROW_RIGHT1", Icon::ArrowUp},
                   {"DOWN_ARROW_LEFT1", Icon::ArrowDown},
                   {"DOWN_ARROW_RIGHT1", Icon::ArrowDown}};
    int x = kSpriteMargin;
    for (const auto& s : sprites) {
        skin.sprites.push_back(
            {s.key, QRect(x + 1, kSpriteMargin + 1, arrow.width(), arrow.height()), s.icon});
        x += arrow.width() + kSpriteMargin;
    }
    // Before any flip the arrows show the layout at start (FlipLayout 0).
    skin.sprites.push_back({"LEFT_ARROW", skin.sprites[2].rect, Icon::ArrowDown});
    skin.sprites.push_back({"RIGHT_ARROW", skin.sprites[3].rect, Icon::ArrowDown});

    skin.background = PaintMainBackground;
    return skin;
}

QSize ArrowSheetSize(const WindowSkin& main) {
    int right = 0;
    int bottom = 0;
    for (const Sprite& s : main.sprites) {
        right = std::max(right, s.rect.right());
        bottom = std::max(bottom, s.rect.bottom());
    }
    return QSize(right + kSpriteMargin, bottom + kSpriteMargin);
}

} // namespace skingen
