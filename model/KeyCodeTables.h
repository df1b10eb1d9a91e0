// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The constant key tables: one identity per key, the KeyCode, and what the program needs to know
// about it (virtual-key code, HID usage byte the keyboard stores, place in the editors' key lists,
// language key of its name). Pure data and pure functions; only the display names allocate.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// 0x001-0x07F: set-1 scan code; 0x100-0x17F: 0x100 + scan code of an E0-prefixed key (Num Lock
// is 0x145 and Pause 0x045, as Windows has them); 0x1FF + n: G-key n (n = 1..18); 0: no key.
using KeyCode = uint16_t;

inline constexpr size_t kKeyTableSize = 256;

// List position of the empty rows (record 0 included): no key.
inline constexpr uint16_t kNoListPosition = 0xFFFF;
// List position of named keys that the editors' key lists do not offer. Every position with
// this top bit set (kNoListPosition too) is outside the lists and never found by a lookup.
inline constexpr uint16_t kNotListed = 0x8000;

// Key list positions: 0..105 are the macro editor's key list, 106 is unused, 107..111 are the
// mouse entries (left, right, middle button, wheel up, wheel down).
inline constexpr int kKeyListCount = 106;
inline constexpr int kLastMousePosition = 111;

// One record of KeyTable. The fields marked unused are carried for the record's shape only; no
// table of ours fills them, so they stay zero or empty.
struct KeyTableRow {
    uint8_t internalKey = 0; // unused
    uint8_t vk = 0;          // virtual-key code (keypad: with Num Lock on); 0 or 0xFF for none
    uint16_t listPosition = kNoListPosition;
    std::string_view label;        // English label; identifies the row, never shown
    uint8_t charClass = 0;         // unused
    uint8_t vk2 = 0;               // keypad: the code with Num Lock off; otherwise equal to vk
    uint8_t spare = 0;             // unused
    uint8_t usage = 0;             // HID usage byte the keyboard stores; 0 = none
    std::string_view shiftedLabel; // unused
    std::string_view nameKey;      // language key of the display name; empty for no name
};

// One row per key table index; rows without a key are all zero except listPosition, which is
// kNoListPosition.
extern const std::array<KeyTableRow, kKeyTableSize> KeyTable;

// Key table index for every virtual-key code (0 = none): the inverse of the VK and VK 2 columns,
// with the main Enter, the E0 navigation keys, Print Screen and the left modifiers chosen where
// a code is shared or side-neutral, and the mouse buttons and VK_CLEAR left out.
extern const std::array<uint8_t, 256> VkKeyMap;

// Consumer-page usages of the pseudo usage bytes 0xC0 + i; entries 18..31 are 0.
extern const std::array<uint16_t, 32> ConsumerUsageTable;
inline constexpr uint8_t kConsumerPseudoUsageBase = 0xC0;

// What a key produces, exchanged with the key assignment code.
struct KeyAction {
    static constexpr uint16_t kNone = 0;      // value 0
    static constexpr uint16_t kSystem = 1;    // generic-desktop system control 0x81..0x83
    static constexpr uint16_t kMouse = 2;     // mouse entry 0xF1..0xF8
    static constexpr uint16_t kKeyboard = 7;  // keyboard usage byte, pseudo usages 0xC0..0xD5 too
    static constexpr uint16_t kConsumer = 12; // consumer usage from ConsumerUsageTable

    uint16_t kind = kNone;
    uint16_t value = 0;

    bool operator==(const KeyAction&) const = default;
};

// Index below 128: the code itself; 128..255: index + 128. Indexes outside 0..255 name no key
// and give 0.
constexpr KeyCode IndexToKeyCode(int index) {
    if (index < 0 || index >= static_cast<int>(kKeyTableSize)) {
        return 0;
    }
    return static_cast<KeyCode>(index < 128 ? index : index + 128);
}

// Codes below 0x100 are their own index; 0x100-0x1FF give code - 0x80 (only 0x100-0x17F have a
// row; 0x180-0x1FF land beyond the table); 0x200 and above give code - 0x100, the record number
// the key assignments use for G-keys. The result is therefore not always a KeyTable index: use
// KeyRowFromCode to look a key up.
constexpr int KeyCodeToIndex(KeyCode code) {
    if (code < 0x100) {
        return code;
    }
    if (code < 0x200) {
        return code - 0x80;
    }
    return code - 0x100;
}

// The row of a key code; nullptr for codes that have none (0x080-0x0FF, 0x180 and above), so
// that such a code never borrows another key's row.
const KeyTableRow* KeyRowFromCode(KeyCode code);

// The code of the first row, in table order, at a key list position; 0 when no row is there.
// Positions with the kNotListed bit set (and negative ones) never match.
KeyCode KeyCodeFromPosition(int position);
// The list position of the code's row; kNoListPosition for codes without a row.
uint16_t PositionFromKeyCode(KeyCode code);

// Room for any name: language texts are at most 259 UTF-16 units.
inline constexpr size_t kKeyNameBufferUnits = 260;

// The display name as it fits a buffer of bufferUnits UTF-16 units with its terminator: the
// language text of the row's name key, or "UNKNOWN_KEY" formatted with the code when that is
// empty; cut to bufferUnits - 1 units (nothing for a zero-sized buffer).
std::string KeyNameFromCode(KeyCode code, size_t bufferUnits = kKeyNameBufferUnits);
// The display name of the first row at a key list position; empty when no row is there or the
// row has no name key.
std::string KeyNameFromPosition(int position);

KeyAction KeyActionFromCode(KeyCode code);
// The first row, in table order, whose usage byte the action names; 0 when none does.
KeyCode KeyCodeFromAction(KeyAction action);

// The key of a virtual-key code through VkKeyMap; 0 for unmapped codes and codes above 0xFF.
KeyCode KeyCodeFromVk(unsigned vk);

// Keys whose press a keyboard hook never sees, only the release: Sys Req, the two Korean keys
// and Print Screen. The macro recorder supplies the missing press.
constexpr bool IsReleaseOnlyKey(KeyCode code) {
    return code == 0x054 || code == 0x071 || code == 0x072 || code == 0x137;
}
