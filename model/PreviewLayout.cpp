// SPDX-License-Identifier: GPL-3.0-or-later
#include "model/PreviewLayout.h"

#include "model/UserColourFile.h"

#include <algorithm>
#include <initializer_list>

namespace {

// The keys by name, so that the tables below read like the keyboard.
namespace key {
constexpr KeyCode None = 0;
constexpr KeyCode Esc = 0x001, F1 = 0x03B, F2 = 0x03C, F3 = 0x03D, F4 = 0x03E, F5 = 0x03F,
                  F6 = 0x040, F7 = 0x041, F8 = 0x042, F9 = 0x043, F10 = 0x044, F11 = 0x057,
                  F12 = 0x058, Print = 0x137, Scroll = 0x046, Pause = 0x045;
constexpr KeyCode Grave = 0x029, D1 = 0x002, D2 = 0x003, D3 = 0x004, D4 = 0x005, D5 = 0x006,
                  D6 = 0x007, D7 = 0x008, D8 = 0x009, D9 = 0x00A, D0 = 0x00B, Minus = 0x00C,
                  Equal = 0x00D, Backspace = 0x00E, Insert = 0x152, Home = 0x147, PageUp = 0x149,
                  NumLock = 0x145, NumDivide = 0x135, NumMultiply = 0x037, NumMinus = 0x04A;
constexpr KeyCode Tab = 0x00F, Q = 0x010, W = 0x011, E = 0x012, R = 0x013, T = 0x014, Y = 0x015,
                  U = 0x016, I = 0x017, O = 0x018, P = 0x019, LBracket = 0x01A, RBracket = 0x01B,
                  Delete = 0x153, End = 0x14F, PageDown = 0x151, Num7 = 0x047, Num8 = 0x048,
                  Num9 = 0x049;
constexpr KeyCode CapsLock = 0x03A, A = 0x01E, S = 0x01F, D = 0x020, F = 0x021, G = 0x022,
                  H = 0x023, J = 0x024, K = 0x025, L = 0x026, Semicolon = 0x027, Quote = 0x028,
                  Backslash = 0x02B, Enter = 0x01C, Num4 = 0x04B, Num5 = 0x04C, Num6 = 0x04D,
                  NumPlus = 0x04E;
constexpr KeyCode LShift = 0x02A, K45 = 0x056, Z = 0x02C, X = 0x02D, C = 0x02E, V = 0x02F,
                  B = 0x030, N = 0x031, M = 0x032, Comma = 0x033, Period = 0x034, Slash = 0x035,
                  K56 = 0x073, RShift = 0x036, Up = 0x148, Num1 = 0x04F, Num2 = 0x050, Num3 = 0x051,
                  NumEnter = 0x11C;
constexpr KeyCode LCtrl = 0x01D, LWin = 0x15B, LAlt = 0x038, Space = 0x039, RAlt = 0x138,
                  Fn = kPreviewFnCode, App = 0x15D, RCtrl = 0x11D, Left = 0x14B, Down = 0x150,
                  Right = 0x14D, Num0 = 0x052, NumDecimal = 0x053;
} // namespace key

using namespace key;

// Row by row, columns 0..22.
// clang-format off
constexpr KeyCode kGridRows[kPreviewRows][kPreviewColumns] = {
    {None, None, Esc, F1, F2, F3, F4, None, F5, F6, F7, F8, F9, F10, F11, F12, Print, Scroll, Pause, None, None, None, None},
    {None, Grave, D1, D2, D3, D4, D5, D6, D7, D8, D9, D0, Minus, Equal, Backspace, Backspace, Insert, Home, PageUp, NumLock, NumDivide, NumMultiply, NumMinus},
    {None, Tab, Q, W, E, R, T, Y, U, I, O, P, LBracket, RBracket, None, None, Delete, End, PageDown, Num7, Num8, Num9, None},
    {None, CapsLock, A, S, D, F, G, H, J, K, L, Semicolon, Quote, Backslash, Enter, None, None, None, None, Num4, Num5, Num6, NumPlus},
    {LShift, K45, Z, X, C, V, B, N, M, Comma, Period, Slash, None, K56, RShift, RShift, None, Up, None, Num1, Num2, Num3, NumEnter},
    {LCtrl, LWin, LAlt, None, None, None, Space, None, None, RAlt, RAlt, Fn, App, None, RCtrl, RCtrl, Left, Down, Right, Num0, Num0, NumDecimal, None},
};

// A spiral from Pause round the edge and inwards; backslash comes twice.
constexpr KeyCode kRing[kRingKeyCount] = {
    Pause, Scroll, Print, F12, F11, F10, F9, F8, F7, F6, F5, F4, F3, F2, F1, Esc,
    Grave, Tab, CapsLock, LShift, LCtrl, LWin, LAlt, Space, RAlt, Fn, App, RCtrl,
    Left, Down, Right, PageDown, PageUp, Home, Insert, Backspace, Equal, Minus,
    D0, D9, D8, D7, D6, D5, D4, D3, D2, D1, Q, A, K45, Z, X, C, V, B, N, M, Comma, Period,
    Slash, K56, RShift, Up, End, Delete, Backslash, RBracket, LBracket, P, O, I, U, Y, T,
    R, E, W, S, D, F, G, H, J, K, L, Semicolon, Quote, Backslash, Enter,
};

const std::initializer_list<KeyCode> kDiagonals[kDiagonalCount] = {
    {U},
    {D7, Y, H, J, I, D8},
    {F6, F5, D6, T, G, B, N, M, K, O, D9, F7},
    {F4, D5, R, F, V, Space, Comma, L, P, D0, F8},
    {F3, D4, E, D, C, RAlt, Period, Semicolon, LBracket, Minus, F9},
    {F2, D3, W, S, X, Fn, Slash, Quote, RBracket, Equal, F10},
    {F1, D2, Q, A, Z, LAlt, App, K56, Backslash, Backspace, F11},
    {D1, Tab, CapsLock, K45, LWin, LCtrl, LShift, Enter, Backslash, F12},
    {Esc, Grave, RShift, RCtrl},
    {Left, Delete, Insert, Print},
    {Down, Up, End, Home, Scroll},
    {Right, PageDown, PageUp, Pause},
};

// A fixed shuffle of the ring indexes 0..89.
constexpr uint8_t kDropOrder[kRingKeyCount] = {
    16, 72, 67, 64, 65, 82, 25, 6, 71, 83, 86, 56, 55, 85, 18,
    3, 51, 76, 68, 52, 22, 69, 50, 21, 44, 74, 75, 38, 84, 7,
    13, 14, 10, 32, 40, 78, 30, 27, 77, 80, 79, 47, 63, 34, 60,
    12, 57, 87, 0, 37, 2, 24, 39, 28, 15, 49, 29, 8, 23, 42,
    19, 43, 11, 58, 33, 36, 70, 48, 45, 17, 53, 5, 46, 31, 9,
    41, 81, 66, 88, 20, 35, 62, 59, 26, 1, 89, 61, 54, 4, 73,
};
// clang-format on

uint8_t SlotOf(KeyCode code) {
    return static_cast<uint8_t>(code == Fn ? kFnColourSlot : KeyColourSlot(code));
}

// Unused entries of a layout being built hold code 0, which names no key.
int IndexOf(const PreviewLayout& layout, KeyCode code) {
    if (code == None) {
        return -1;
    }
    const auto found = std::find_if(layout.keys.begin(), layout.keys.end(),
                                    [code](const PreviewKey& k) { return k.code == code; });
    return found == layout.keys.end() ? -1 : static_cast<int>(found - layout.keys.begin());
}

PreviewLayout BuildLayout() {
    PreviewLayout layout;
    int count = 0;
    for (int row = 0; row < kPreviewRows; ++row) {
        for (int column = 0; column < kPreviewColumns; ++column) {
            const KeyCode code = kGridRows[row][column];
            int index = IndexOf(layout, code); // kEmptyCell for None
            if (code != None && index < 0) {
                index = count++;
                layout.keys[static_cast<size_t>(index)] = {code, SlotOf(code)};
            }
            layout.grid[static_cast<size_t>(column)][static_cast<size_t>(row)] =
                static_cast<int8_t>(index);
        }
    }
    for (size_t i = 0; i < layout.ring.size(); ++i) {
        RingKey& ring = layout.ring[i];
        ring.key = static_cast<uint8_t>(IndexOf(layout, kRing[i]));
        ring.stateIndex = layout.keys[ring.key].slot;
        for (uint8_t column = 0; column < kPreviewColumns; ++column) {
            for (uint8_t row = 0; row < kPreviewRows; ++row) {
                if (layout.grid[column][row] == ring.key) {
                    ring.cells.push_back({column, row});
                }
            }
        }
    }
    for (size_t d = 0; d < layout.diagonals.size(); ++d) {
        for (KeyCode code : kDiagonals[d]) {
            layout.diagonals[d].push_back(static_cast<uint8_t>(IndexOf(layout, code)));
        }
    }
    std::copy(std::begin(kDropOrder), std::end(kDropOrder), layout.dropOrder.begin());
    return layout;
}

} // namespace

int PreviewKeyIndex(KeyCode code) {
    return IndexOf(PreviewLayoutTable(), code);
}

const PreviewLayout& PreviewLayoutTable() {
    static const PreviewLayout layout = BuildLayout();
    return layout;
}
