// SPDX-License-Identifier: GPL-3.0-or-later
#include "editors/KeyEventCode.h"

#include "model/KeyInputCodes.h"

#include <QKeyEvent>
#include <unordered_map>

namespace {

// Virtual-key codes.
constexpr unsigned kVkLeftWin = 0x5B;
constexpr unsigned kVkRightWin = 0x5C;
constexpr unsigned kVkNumpad0 = 0x60;
constexpr unsigned kVkF1 = 0x70;
constexpr int kFunctionKeyCount = 24;

// Keys whose code does not depend on the keypad.
const std::unordered_map<int, unsigned>& PlainKeys() {
    static const std::unordered_map<int, unsigned> keys = {
        {Qt::Key_Backspace, 0x08},
        {Qt::Key_Tab, 0x09},
        {Qt::Key_Backtab, 0x09},
        {Qt::Key_Clear, 0x0C},
        {Qt::Key_Return, 0x0D},
        {Qt::Key_Enter, 0x0D},
        {Qt::Key_Shift, 0x10},
        {Qt::Key_Control, 0x11},
        {Qt::Key_Alt, 0x12},
        {Qt::Key_AltGr, 0x12},
        {Qt::Key_Pause, 0x13},
        {Qt::Key_CapsLock, 0x14},
        {Qt::Key_Escape, 0x1B},
        {Qt::Key_Space, 0x20},
        {Qt::Key_PageUp, 0x21},
        {Qt::Key_PageDown, 0x22},
        {Qt::Key_End, 0x23},
        {Qt::Key_Home, 0x24},
        {Qt::Key_Left, 0x25},
        {Qt::Key_Up, 0x26},
        {Qt::Key_Right, 0x27},
        {Qt::Key_Down, 0x28},
        {Qt::Key_Print, 0x2C},
        {Qt::Key_SysReq, 0x2C},
        {Qt::Key_Insert, 0x2D},
        {Qt::Key_Delete, 0x2E},
        {Qt::Key_Menu, 0x5D},
        {Qt::Key_Sleep, 0x5F},
        {Qt::Key_NumLock, 0x90},
        {Qt::Key_ScrollLock, 0x91},
        {Qt::Key_Back, 0xA6},
        {Qt::Key_Forward, 0xA7},
        {Qt::Key_Refresh, 0xA8},
        {Qt::Key_Stop, 0xA9},
        {Qt::Key_Search, 0xAA},
        {Qt::Key_Favorites, 0xAB},
        {Qt::Key_HomePage, 0xAC},
        {Qt::Key_VolumeMute, 0xAD},
        {Qt::Key_VolumeDown, 0xAE},
        {Qt::Key_VolumeUp, 0xAF},
        {Qt::Key_MediaNext, 0xB0},
        {Qt::Key_MediaPrevious, 0xB1},
        {Qt::Key_MediaStop, 0xB2},
        {Qt::Key_MediaPlay, 0xB3},
        {Qt::Key_MediaTogglePlayPause, 0xB3},
        {Qt::Key_LaunchMail, 0xB4},
        {Qt::Key_LaunchMedia, 0xB5},
        {Qt::Key_Launch0, 0xB6},
        {Qt::Key_Calculator, 0xB7},
        {Qt::Key_Launch1, 0xB7},
        {Qt::Key_Semicolon, 0xBA},
        {Qt::Key_Colon, 0xBA},
        {Qt::Key_Equal, 0xBB},
        {Qt::Key_Comma, 0xBC},
        {Qt::Key_Less, 0xBC},
        {Qt::Key_Minus, 0xBD},
        {Qt::Key_Underscore, 0xBD},
        {Qt::Key_Period, 0xBE},
        {Qt::Key_Greater, 0xBE},
        {Qt::Key_Slash, 0xBF},
        {Qt::Key_Question, 0xBF},
        {Qt::Key_QuoteLeft, 0xC0},
        {Qt::Key_AsciiTilde, 0xC0},
        {Qt::Key_BracketLeft, 0xDB},
        {Qt::Key_BraceLeft, 0xDB},
        {Qt::Key_Backslash, 0xDC},
        {Qt::Key_Bar, 0xDC},
        {Qt::Key_BracketRight, 0xDD},
        {Qt::Key_BraceRight, 0xDD},
        {Qt::Key_Apostrophe, 0xDE},
        {Qt::Key_QuoteDbl, 0xDE},
    };
    return keys;
}

// The keypad's own codes; its other keys (Enter, and the navigation keys with Num Lock off)
// send the plain codes.
const std::unordered_map<int, unsigned>& KeypadKeys() {
    static const std::unordered_map<int, unsigned> keys = {
        {Qt::Key_Asterisk, 0x6A}, {Qt::Key_Plus, 0x6B},  {Qt::Key_Minus, 0x6D},
        {Qt::Key_Period, 0x6E},   {Qt::Key_Comma, 0x6E}, {Qt::Key_Slash, 0x6F},
    };
    return keys;
}

} // namespace

unsigned VirtualKeyOfQtKey(int qtKey, bool keypad, KeyCode scanCode) {
    if (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9) {
        return (keypad ? kVkNumpad0 : 0x30) + static_cast<unsigned>(qtKey - Qt::Key_0);
    }
    if (qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z) {
        return 0x41 + static_cast<unsigned>(qtKey - Qt::Key_A);
    }
    if (qtKey >= Qt::Key_F1 && qtKey < Qt::Key_F1 + kFunctionKeyCount) {
        return kVkF1 + static_cast<unsigned>(qtKey - Qt::Key_F1);
    }
    if (qtKey == Qt::Key_Meta || qtKey == Qt::Key_Super_L || qtKey == Qt::Key_Super_R) {
        return qtKey == Qt::Key_Super_R || scanCode == kRightWinKey ? kVkRightWin : kVkLeftWin;
    }
    if (keypad) {
        if (const auto k = KeypadKeys().find(qtKey); k != KeypadKeys().end()) {
            return k->second;
        }
    }
    const auto k = PlainKeys().find(qtKey);
    return k != PlainKeys().end() ? k->second : 0;
}

KeyCode KeyCodeOfKeyEvent(const QKeyEvent& event) {
    const KeyCode scanCode = KeyCodeFromEvdev(EvdevFromNativeScanCode(event.nativeScanCode()));
    unsigned vk =
        VirtualKeyOfQtKey(event.key(), event.modifiers().testFlag(Qt::KeypadModifier), scanCode);
    // A key of the layout's own (a letter with an accent, say): the key table knows its place.
    if (vk == 0 && scanCode != 0) {
        if (const KeyTableRow* row = KeyRowFromCode(scanCode)) {
            vk = row->vk;
        }
    }
    return KeyCodeFromKeyMessage(vk, scanCode);
}
