// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// What a key or G-key does in one on-board profile, as the program holds it: a 16-byte record,
// the same in memory and in profile files, and the block of all records of all profiles.

#include "model/KeyCodeTables.h"

#include <array>
#include <bit>
#include <cstdint>

// Records, macros and profile files are copied as whole blocks; the host's layout must be the
// files' (little-endian, no padding).
static_assert(std::endian::native == std::endian::little, "records are kept in file byte order");

struct AssignmentType {
    static constexpr uint16_t kDefault = 0;   // what the factory table says
    static constexpr uint16_t kDisabled = 1;  // no function (also any action we cannot name)
    static constexpr uint16_t kKey = 2;       // value: key code or mouse code
    static constexpr uint16_t kProgram = 3;   // value: pool offset of the program path
    static constexpr uint16_t kMacro = 4;     // value: macro id 1..100, param: repeat count
    static constexpr uint16_t kStopMacro = 5; // value 0
    static constexpr uint16_t kText = 6;      // value: pool offset of the text block
    static constexpr uint16_t kMedia = 7;     // value: media table index 0..17
    static constexpr uint16_t kFunction = 8;  // value: keyboard function index 0..10
};

struct KeyAssignment {
    uint16_t type = AssignmentType::kDefault;
    uint16_t param = 0; // repeat count for macros; G-key code for records 256..273; else 0
    uint32_t value = 0;
    uint32_t ColourMark = 0; // the colour view's mark; nothing here reads it
    uint32_t reserved = 0;

    bool operator==(const KeyAssignment&) const = default;
};
static_assert(sizeof(KeyAssignment) == 16);

inline constexpr int kProfileCount = 3;     // on-board profiles 0..2
inline constexpr int kRecordAreaCount = 4;  // area 3 is carried in files, never addressed
inline constexpr int kRecordsPerArea = 512; // 0..255 keys, 256..273 G-keys, the rest unused
inline constexpr int kRecordCount = kRecordAreaCount * kRecordsPerArea;
inline constexpr int kKeyRecordCount = 256;
inline constexpr int kFirstGKeyRecord = 256;
inline constexpr int kGKeyCount = 18; // two banks of G1..G9

// Mouse codes that keys may be given.
inline constexpr KeyCode kMouseLeft = 0x171;
inline constexpr KeyCode kMouseRight = 0x172;
inline constexpr KeyCode kMouseMiddle = 0x173;
inline constexpr KeyCode kWheelUp = 0x161;
inline constexpr KeyCode kWheelDown = 0x162;

// G-key n (1..18) has the code 0x1FF + n and the record 255 + n.
constexpr KeyCode GKeyCode(int n) {
    return static_cast<KeyCode>(0x1FF + n);
}
constexpr bool IsGKeyCode(KeyCode code) {
    return code >= GKeyCode(1) && code <= GKeyCode(kGKeyCount);
}
constexpr int GKeyNumber(KeyCode code) {
    return IsGKeyCode(code) ? code - 0x1FF : 0;
}
// The param word of G-key n's record: 0x301..0x309 for the first bank, 0x1301..0x1309 for the
// second.
constexpr uint16_t GKeyParam(int n) {
    return static_cast<uint16_t>(n <= 9 ? 0x300 + n : 0x1300 + (n - 9));
}

// The record index of a key code inside one area: KeyCodeToIndex for keys, 255 + n for G-key n;
// -1 for codes that have no record (0x080-0x0FF are no key codes: their index would be an E0
// key's).
constexpr int RecordIndexOfCode(KeyCode code) {
    if (IsGKeyCode(code)) {
        return 255 + GKeyNumber(code);
    }
    if (code == 0 || (code >= 0x080 && code < 0x100) || code >= 0x180) {
        return -1;
    }
    return KeyCodeToIndex(code);
}

// The 64-byte profile file header followed by all records: the first 32832 bytes of every
// profile file.
struct KeyRecordBlock {
    std::array<uint8_t, 32> header{}; // ProfileFileHeader
    std::array<uint8_t, 32> info{};   // ProfileInfoBlock
    std::array<KeyAssignment, kRecordCount> records{};

    // Callers pass profile 0..3 and index 0..511.
    KeyAssignment& Record(int profile, int index) {
        return records[static_cast<size_t>(profile * kRecordsPerArea + index)];
    }
    const KeyAssignment& Record(int profile, int index) const {
        return records[static_cast<size_t>(profile * kRecordsPerArea + index)];
    }
};
static_assert(sizeof(KeyRecordBlock) == 32832);

// Zeroes one area and puts the G-key codes into its records 256..273.
void ResetArea(KeyRecordBlock& block, int area);

// Multimedia functions (type 7): the key whose name the user sees and the consumer usage the
// keyboard gets.
struct MediaEntry {
    KeyCode code;
    uint16_t usage;
};
inline constexpr int kMediaCount = 18;
extern const std::array<MediaEntry, kMediaCount> MediaTable;
// The index of a consumer usage in MediaTable; -1 when it is none of them.
int MediaIndexOfUsage(uint16_t usage);

inline constexpr int kKeyFunctionCount = 11; // type 8, "FUNC_KEY_DESC1".."FUNC_KEY_DESC11"
