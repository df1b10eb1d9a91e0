// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Colours as the rest of the program holds them: one 32-bit value, red in the low byte
// (red + 256 * green + 65536 * blue). 0xFFFFFFFF (-1) is "none".

#include <QColor>
#include <cstdint>

using ColorRef = uint32_t;
inline constexpr ColorRef kColorNone = 0xFFFFFFFFu;

inline constexpr ColorRef MakeColorRef(int r, int g, int b) {
    return static_cast<ColorRef>((r & 0xFF) | ((g & 0xFF) << 8) | ((b & 0xFF) << 16));
}

// kColorNone gives an invalid QColor.
inline QColor ToQColor(ColorRef c) {
    if (c == kColorNone) {
        return {};
    }
    return QColor(static_cast<int>(c & 0xFF), static_cast<int>((c >> 8) & 0xFF),
                  static_cast<int>((c >> 16) & 0xFF));
}

// An invalid QColor gives kColorNone; alpha is dropped.
inline ColorRef FromQColor(const QColor& c) {
    if (!c.isValid()) {
        return kColorNone;
    }
    return MakeColorRef(c.red(), c.green(), c.blue());
}
