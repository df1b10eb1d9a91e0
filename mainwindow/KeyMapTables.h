// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The buttons of the keyboard picture: which control is which key, and which record holds its
// assignment and its colour-view mark.

#include "model/KeyMapOrder.h"

#include <array>
#include <cstdint>

struct KeyButtonEntry {
    int id;           // control id
    uint16_t keyCode; // set-1 scan code, 0x100 added for E0-prefixed keys
};

inline constexpr int kKeyButtonCount = static_cast<int>(kKeyMapKeyCount);
inline constexpr int kGKeyButtonCount = 9;

// Index in this table = the button's mark slot.
extern const std::array<KeyButtonEntry, kKeyButtonCount> KeyButtonTable;
// G1..G9.
extern const std::array<int, kGKeyButtonCount> GKeyTable;

// Buttons of the picture in neither table: D1-D6, the upper part of Enter and Fn.
inline constexpr int kFirstDKeyId = 1016; // D1..D6: 1016..1021
inline constexpr int kDKeyCount = 6;
inline constexpr int kEnterUpperId = 1057;
inline constexpr int kFnKeyId = 1174;
inline constexpr int kFirstFKeyId = 1010; // F1..F4: 1010..1013

// Index in KeyButtonTable, or -1.
int KeyButtonIndexOf(int id);
// Index in GKeyTable, or -1.
int GKeyIndexOf(int id);
// A G-key's slot: its index, plus 9 when bit 8 of the keyboard variant word selects the
// second bank.
int GKeySlot(int gKeyIndex, uint16_t variantWord);
// The record of a key button's assignment: the key position index of its code.
int KeyRecordIndex(uint16_t keyCode);
// "KEY_%03X" of the key position index.
std::array<char, 8> KeySkinKey(uint16_t keyCode);
