// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The one description of each skinned window: its size, its controls with their rectangles,
// and how each image control looks in each full-window state picture. The layout files and
// every picture are produced from this, so they cannot disagree.

#include <QRect>
#include <QString>
#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

class QPainter;

namespace skingen {

// The full-window state pictures an image button cuts its faces from.
enum class StatePic { Normal, Over, Down, Disable, Color0, Color1 };
inline constexpr int kStatePicCount = 6;

// What a control shows in one state picture.
enum class Look {
    Normal,
    Hover,
    Pressed,
    Selected,  // checked: the active profile, an assigned key, the chosen report rate
    Greyed,    // disabled
    ColourOff, // colour view, key not marked
    ColourOn,  // colour view, key marked
};

// How an image control is drawn; None is a plain control (label, list, edit, picture) that
// draws itself over a bare face.
enum class Art { None, KeyCap, Button, Tab, IconButton, Indicator, Logo, Blank };

enum class Icon {
    None,
    Help,
    Menu,
    Minimize,
    Close,
    Globe,
    Facebook,
    Chat,
    Lock,
    Flip,
    ChevronLeft,
    ChevronRight,
    Plus,
    Minus,
    Trash,
    Folder,
    Keyboard,
    Reset,
    Check,
    Cross,
    Save,
    Upload,
    Download,
    ArrowUp,
    ArrowDown,
};

// Visibility classes for the overlap rule: two controls may overlap only when no moment shows
// both. Bits 1..20 are lighting effects (main window) or pages (key-setting dialog).
using ShownIn = std::uint32_t;
inline constexpr ShownIn kShownAlways = 0xFFFFFFFFu;
inline constexpr ShownIn kNeverShown = 0;
inline constexpr ShownIn ShownBit(int n) {
    return ShownIn{1} << n;
}

struct Control {
    std::string key;
    QRect rect;
    Art art = Art::None;
    Icon icon = Icon::None;
    QString top;    // key legend (upper) or a fixed button label
    QString bottom; // key legend (lower)
    // Look per StatePic; only meaningful for image controls.
    std::array<Look, kStatePicCount> looks{Look::Normal, Look::Hover,  Look::Pressed,
                                           Look::Greyed, Look::Normal, Look::Normal};
    bool inFace = true; // drawn on the window face (false for buttons that may be hidden)
    ShownIn shown = kShownAlways;
    bool backdrop = false;     // lies under every other control (a page picture)
    bool positionOnly = false; // an alternative position of another control: written, not drawn
    double hue = 0;            // colour of a marked key in the colour view, 0..1
    int legendPx = 0;          // legend size override
    QRect partner;             // art rectangle of the other half of a two-button key
    bool primary = false;      // the button of a window's main action
    bool greyedInMacroOnly = false; // key-setting dialog: disabled while only macros may be set
};

// BUTTONINFO2 entries: places of pictures inside a sprite sheet.
struct Sprite {
    std::string key;
    QRect rect;
    Icon icon = Icon::None; // arrow drawn there
};

struct WindowSkin {
    std::string layoutFile; // "Main.ini"
    QSize size;
    std::string face; // SCREEN/Main
    std::string mask; // SCREEN/Mask
    std::string link; // SCREEN/Link (main window only)
    // SCREEN keys and addresses of the lighting panel's web buttons (main window only).
    std::vector<std::pair<std::string, std::string>> webLinks;
    std::vector<Control> controls;
    std::vector<Sprite> sprites;
    // Paints everything under the controls: chrome, plates, cards. `page` selects the
    // content of a paged dialog (0 when the window has no pages).
    std::function<void(QPainter&, const WindowSkin&, int page)> background;

    const Control* Find(const std::string& key) const;
};

// Corner radius of every window's outline (face and mask).
inline constexpr int kWindowRadius = 12;

// Image controls copy their faces from one pixel up and left of their rectangle.
inline QRect ArtRect(const Control& c) {
    return c.rect.translated(-1, -1);
}

WindowSkin MainWindowSkin();
WindowSkin CompositeSkin();
WindowSkin ProfileSkin();
WindowSkin UpdateSkin();

// Pages of the key-setting dialog (the page types of the dialog).
inline constexpr int kPageKey = 2;
inline constexpr int kPageMacro = 4;
inline constexpr int kPageMedia = 7;
inline constexpr int kPageFunction = 8;

} // namespace skingen
