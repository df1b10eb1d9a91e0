// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The effect codes the lighting preview imitates, by what the preview shows for them. Codes
// without a name here (7, 8, 9, 17 and those the keyboard does not define) show nothing.

#include "model/Lighting.h"

#include <cstdint>

namespace PreviewEffect {
inline constexpr uint8_t ColumnWave = 1;
inline constexpr uint8_t FlashWave = 2;
inline constexpr uint8_t RingWave = 3;
inline constexpr uint8_t HueCycle = 4;
inline constexpr uint8_t ColumnPulse = 5;
inline constexpr uint8_t Diagonals = 6;
inline constexpr uint8_t Drops = 10;
inline constexpr uint8_t RingHues = 11;
inline constexpr uint8_t RowWave = 12;
inline constexpr uint8_t SpreadFromMiddle = 13;
inline constexpr uint8_t Demonstration = 14;
inline constexpr uint8_t FallingDrops = 15;
inline constexpr uint8_t SpreadFromCorner = 16;
inline constexpr uint8_t DiagonalWave = 18;
inline constexpr uint8_t UserColours = kUserColourEffect;
} // namespace PreviewEffect
