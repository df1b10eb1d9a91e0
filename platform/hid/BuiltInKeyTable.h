// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The keyboard's default key table as the program knows it before a keyboard has told it its
// own factory table: 3-byte SlotActions for positions 0..62, every other position 00 00 00.
// Plain data, shared by the simulated keyboard (its factory table starts with these bytes) and
// by the key model (the initial DefaultKeyTable).

#include <array>
#include <cstddef>
#include <cstdint>

// Positions the built-in table defines (0..62); all later ones are 00 00 00.
inline constexpr size_t kBuiltInKeyPositions = 63;

// The whole 512-byte DefaultKeyTable image: position i at bytes 3i..3i+2.
extern const std::array<uint8_t, 512> kBuiltInDefaultKeyTable;
