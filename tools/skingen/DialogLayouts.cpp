// SPDX-License-Identifier: GPL-3.0-or-later
// The three dialogs: key-setting dialog, profile manager, firmware update dialog.

#include "tools/skingen/SkinStyle.h"

#include <QPainter>
#include <QPainterPath>

namespace skingen {
namespace {

constexpr std::array<Look, kStatePicCount> kButtonLooks{Look::Normal, Look::Hover,  Look::Pressed,
                                                        Look::Greyed, Look::Normal, Look::Normal};
// The page shown draws its tab pressed: as the tab that joins the page.
constexpr std::array<Look, kStatePicCount> kTabLooks{Look::Normal, Look::Hover,  Look::Selected,
                                                     Look::Greyed, Look::Normal, Look::Normal};

constexpr int kTitleH = 48;

Control Image(const std::string& key, const QRect& rect, Art art, Icon icon = Icon::None,
              const QString& label = {}, bool primary = false) {
    Control c;
    c.key = key;
    c.rect = rect;
    c.art = art;
    c.icon = icon;
    c.top = label;
    c.looks = art == Art::Tab ? kTabLooks : kButtonLooks;
    c.primary = primary;
    return c;
}

Control Plain(const std::string& key, const QRect& rect, ShownIn shown = kShownAlways) {
    Control c;
    c.key = key;
    c.rect = rect;
    c.shown = shown;
    return c;
}

Control OnPage(Control c, int page) {
    c.shown = ShownBit(page);
    return c;
}

// Dialog chrome: title band with the word mark and a symbol, an accent line, a bottom bar.
void PaintDialogChrome(QPainter& p, const QSize& size, Icon symbol, int barTop) {
    using namespace style;
    const QRectF all(0, 0, size.width(), size.height());
    p.fillRect(all, kWindow);
    QLinearGradient title(0, 0, 0, kTitleH);
    title.setColorAt(0, QColor(0x1C, 0x1F, 0x27));
    title.setColorAt(1, kBar);
    p.fillRect(QRectF(0, 0, size.width(), kTitleH), title);
    p.setOpacity(0.75);
    p.fillRect(QRectF(0, kTitleH, size.width(), 2),
               AccentGradient(QRectF(0, kTitleH, size.width(), 2)));
    p.setOpacity(1);
    DrawLogo(p, QRectF(14, 8, 160, 32), Look::Normal);
    if (symbol != Icon::None) {
        DrawIcon(p, QRectF(size.width() - 42, 14, 22, 22), symbol, kTextDim);
    }
    if (barTop > 0) {
        p.fillRect(QRectF(0, barTop, size.width(), size.height() - barTop), kBar);
        p.fillRect(QRectF(0, barTop, size.width(), 1), kEdge);
    }
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(kEdge, 1));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(all.adjusted(0.5, 0.5, -0.5, -0.5), kWindowRadius, kWindowRadius);
}

// Key-setting dialog geometry
constexpr int kCompositeW = 560;
constexpr int kCompositeH = 440;
constexpr int kTabY = 80;
constexpr int kTabH = 36;
constexpr QRect kPageCard(16, kTabY + kTabH, 528, 264);
constexpr int kCompositeBar = 384;

void PaintComposite(QPainter& p, const WindowSkin& skin, int page) {
    using namespace style;
    PaintDialogChrome(p, skin.size, Icon::Keyboard, kCompositeBar);
    // the row the tabs stand on, then the page
    p.fillRect(QRectF(kPageCard.left(), kPageCard.top() - 1, kPageCard.width(), 1), kPlateEdge);
    QPainterPath sheet;
    sheet.addRoundedRect(QRectF(kPageCard), 10, 10);
    QPainterPath square;
    square.addRect(QRectF(kPageCard.left(), kPageCard.top(), kPageCard.width(), 12));
    p.setPen(Qt::NoPen);
    p.setBrush(kCard);
    p.drawPath(sheet.united(square));

    // A large faint symbol of the page, clear of the page's controls.
    Icon symbol = Icon::None;
    switch (page) {
    case kPageKey:
        symbol = Icon::Keyboard;
        break;
    case kPageMedia:
        symbol = Icon::Chat;
        break;
    case kPageFunction:
        symbol = Icon::Menu;
        break;
    default:
        break;
    }
    if (symbol != Icon::None) {
        p.setOpacity(0.09);
        DrawIcon(p, QRectF(400, 196, 124, 124), symbol, kText);
        p.setOpacity(1);
    }
    if (page == kPageKey) {
        // a hairline between the keyboard and the mouse choice
        p.fillRect(QRectF(34, 226, 330, 1), kPlateEdge);
    }
    if (page == kPageMacro) {
        p.fillRect(QRectF(344, 330, 184, 1), kPlateEdge);
    }
}

} // namespace

WindowSkin CompositeSkin() {
    WindowSkin skin;
    skin.layoutFile = "Composite.ini";
    skin.size = QSize(kCompositeW, kCompositeH);
    skin.face = "key_normal.jpg";
    skin.mask = "composite_mask.bmp";
    auto& c = skin.controls;

    Control backdrop = Plain("CONTROL_MASK", QRect(0, 0, kCompositeW, kCompositeH));
    backdrop.backdrop = true;
    c.push_back(backdrop);
    c.push_back(Plain("CONTROL_TITLE", QRect(14, 8, 300, 32)));
    c.push_back(Plain("KEY_SETTING", QRect(18, 54, 524, 20)));

    const char* tabs[] = {"CONTROL_KEY", "CONTROL_MACRO", "CONTROL_MEDIA", "CONTROL_FUNCTION"};
    for (int i = 0; i < 4; ++i) {
        Control tab = Image(tabs[i], QRect(17 + i * 124, kTabY + 1, 118, kTabH), Art::Tab);
        tab.greyedInMacroOnly = i != 1;
        c.push_back(tab);
    }
    Control clear = Image("CONTROL_CLEAR", QRect(513, kTabY + 3, 32, 32), Art::Button, Icon::Reset);
    clear.greyedInMacroOnly = true;
    c.push_back(clear);

    // single-key page
    c.push_back(OnPage(Plain("TISHI_SINGLE_STATIC", QRect(32, 126, 370, 34)), kPageKey));
    c.push_back(OnPage(Plain("FUNC_KEY_RADIO_KB", QRect(34, 165, 18, 18)), kPageKey));
    c.push_back(OnPage(Plain("FUNC_KEY_RADIO_KB_STATIC", QRect(58, 163, 240, 22)), kPageKey));
    c.push_back(OnPage(Plain("FUNC_KEY_INPUT", QRect(58, 191, 306, 28)), kPageKey));
    c.push_back(OnPage(Plain("FUNC_KEY_RADIO_MOU", QRect(34, 241, 18, 18)), kPageKey));
    c.push_back(OnPage(Plain("FUNC_KEY_RADIO_MOU_STATIC", QRect(58, 239, 240, 22)), kPageKey));
    c.push_back(OnPage(Plain("FUNC_MOUSE_SELECT", QRect(58, 267, 306, 26)), kPageKey));

    // macro page
    c.push_back(OnPage(Plain("MARCO_NAME_SETTING", QRect(32, 128, 300, 20)), kPageMacro));
    c.push_back(OnPage(Plain("FUNC_MACRO_LIST", QRect(32, 150, 300, 26)), kPageMacro));
    c.push_back(OnPage(Image("FUNC_MACRO_ADD", QRect(341, 149, 28, 28), Art::Button, Icon::Plus),
                       kPageMacro));
    c.push_back(OnPage(
        Image("FUNC_MACRO_DELETE", QRect(373, 149, 28, 28), Art::Button, Icon::Trash), kPageMacro));
    // The repeat caption stays visible on every page; no other page uses its corner.
    c.push_back(Plain("FUNC_MACRO_CYCLES_PROMPT", QRect(416, 128, 112, 20)));
    c.push_back(OnPage(Plain("FUNC_MACRO_CYCLES", QRect(416, 150, 64, 26)), kPageMacro));
    c.push_back(OnPage(Plain("FUNC_MACRO_LIST2", QRect(32, 188, 300, 180)), kPageMacro));
    Control record = Image("FUNC_MACRO_RECORD", QRect(345, 189, 184, 34), Art::Button);
    record.primary = true;
    c.push_back(OnPage(record, kPageMacro));
    const char* moves[][2] = {{"FUNC_MACRO_UP_TOP", "FUNC_MACRO_UP"},
                              {"FUNC_MACRO_DOWN", "FUNC_MACRO_DOWN_BOTTOM"},
                              {"FUNC_MACRO_DELETE2", "FUNC_MACRO_CLEAR"}};
    for (int row = 0; row < 3; ++row) {
        for (int col = 0; col < 2; ++col) {
            c.push_back(OnPage(
                Image(moves[row][col], QRect(345 + col * 94, 231 + row * 32, 90, 28), Art::Button),
                kPageMacro));
        }
    }
    c.push_back(OnPage(Plain("FUNC_MACRO_RECORD_DELAY", QRect(346, 343, 18, 18)), kPageMacro));
    c.push_back(OnPage(Plain("FUNC_MACRO_RECORD_DELAY2", QRect(370, 341, 158, 22)), kPageMacro));

    // multimedia and function pages
    c.push_back(OnPage(Plain("MEDIA_SETTING_TISHI", QRect(32, 126, 370, 34)), kPageMedia));
    c.push_back(OnPage(Plain("FUNC_MEDIA_SELECT", QRect(32, 160, 306, 26)), kPageMedia));
    c.push_back(
        OnPage(Plain("FUNCTION_KEY_SETTING_TISHI", QRect(32, 126, 370, 34)), kPageFunction));
    c.push_back(OnPage(Plain("FUNC_FUNCTION_SELECT", QRect(32, 160, 306, 26)), kPageFunction));

    // bottom bar
    const int y = kCompositeBar + 11;
    c.push_back(Image("CONTROL_OSK", QRect(17, y, 42, 34), Art::Button, Icon::Keyboard));
    c.push_back(Image("CONTROL_OK", QRect(289, y, 80, 34), Art::Button, Icon::None, {}, true));
    c.push_back(Image("CONTROL_CANCEL", QRect(375, y, 80, 34), Art::Button));
    c.push_back(Image("CONTROL2_APPLY", QRect(461, y, 82, 34), Art::Button));

    skin.background = PaintComposite;
    return skin;
}

WindowSkin ProfileSkin() {
    WindowSkin skin;
    skin.layoutFile = "Profile.ini";
    skin.size = QSize(480, 322);
    skin.face = "Profile_normal.jpg";
    skin.mask = "profile_mask.bmp";
    auto& c = skin.controls;
    c.push_back(Plain("PROGRAM_LIST", QRect(20, 62, 440, 196)));
    c.push_back(Image("FUNC_ADD", QRect(21, 273, 42, 34), Art::Button, Icon::Plus));
    c.push_back(Image("FUNC_LOAD", QRect(69, 273, 42, 34), Art::Button, Icon::Folder));
    c.push_back(Image("FUNC_DELETE", QRect(117, 273, 42, 34), Art::Button, Icon::Trash));
    // OK, Cancel and Apply get their words from the language file.
    c.push_back(Image("CONTROL_OK", QRect(209, 273, 80, 34), Art::Button, Icon::None, {}, true));
    c.push_back(Image("CONTROL_CANCEL", QRect(295, 273, 80, 34), Art::Button));
    c.push_back(Image("CONTROL2_APPLY", QRect(381, 273, 80, 34), Art::Button));
    skin.background = [](QPainter& p, const WindowSkin& s, int) {
        using namespace style;
        PaintDialogChrome(p, s.size, Icon::Folder, 262);
        // a frame around the list
        DrawCard(p, QRectF(18, 60, 444, 200), kCard, kPlateEdge, 6);
    };
    return skin;
}

WindowSkin UpdateSkin() {
    WindowSkin skin;
    skin.layoutFile = "UpdateDlg.ini";
    skin.size = QSize(440, 230);
    skin.face = "update_normal.jpg";
    skin.mask = "update_mask.bmp";
    auto& c = skin.controls;
    // The text line holds the hint and, once chosen, the update program's path.
    c.push_back(Plain("CONTROL_UPStatic", QRect(24, 58, 392, 80)));
    c.push_back(Plain("CONTROL_UPCombox", QRect(24, 138, 392, 16), kNeverShown));
    // The buttons get their words from the language file.
    const int y = 171;
    c.push_back(Image("CONTROL_OPENButton", QRect(25, y, 92, 40), Art::Button));
    c.push_back(Image("CONTROL_BACKUPButton", QRect(123, y, 92, 40), Art::Button));
    c.push_back(
        Image("CONTROL_UPButton", QRect(221, y, 92, 40), Art::Button, Icon::None, {}, true));
    c.push_back(Image("CONTROL_CUPButton", QRect(319, y, 96, 40), Art::Button));
    skin.background = [](QPainter& p, const WindowSkin& s, int) {
        PaintDialogChrome(p, s.size, Icon::Upload, 158);
    };
    return skin;
}

const Control* WindowSkin::Find(const std::string& key) const {
    for (const Control& c : controls) {
        if (c.key == key) {
            return &c;
        }
    }
    return nullptr;
}

} // namespace skingen
