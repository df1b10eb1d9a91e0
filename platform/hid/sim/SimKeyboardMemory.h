// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The memory of a simulated keyboard: what it keeps between power cycles, the two models and
// their factory contents.

#include "platform/hid/KeyboardModels.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

inline constexpr size_t kSimInfoBlockSize = 44;
inline constexpr size_t kSimLightRecordSize = 42;
inline constexpr size_t kSimLightAreaSize = 3 * kSimLightRecordSize; // 126
inline constexpr size_t kSimKeyColourBankSize = 512;
inline constexpr size_t kSimProfileCount = 3;
// InfoBlock byte 11 counts 128-byte units.
inline constexpr size_t kSimMacroUnit = 128;

// One of the two supported keyboards.
using SimKeyboardModel = KeyboardModel;
inline constexpr SimKeyboardModel kSimModel5004 = kKeyboardModel5004;
inline constexpr SimKeyboardModel kSimModel5000 = kKeyboardModel5000;

// Everything the keyboard keeps between power cycles except its factory key table.
struct SimKeyboardMemory {
    SimKeyboardModel model = kSimModel5004;
    std::array<uint8_t, kSimInfoBlockSize> infoBlock{};
    std::array<uint8_t, kSimLightAreaSize> lightArea{};
    std::vector<uint8_t> keyTables; // 3 x model.keyTableLength
    std::array<uint8_t, kSimProfileCount * kSimKeyColourBankSize> colourBanks{};
    std::vector<uint8_t> macroArea; // infoBlock[11] x 128 bytes

    bool operator==(const SimKeyboardMemory&) const = default;
};

// A keyboard fresh from the factory: profile 0 active, every key table equal to the factory
// table, an empty macro area, the default light record in all three profiles, black keys.
SimKeyboardMemory FactorySimKeyboardMemory(const SimKeyboardModel& model);

// The model's factory key table (model.keyTableLength bytes): every entry of the built-in
// default table for positions 0..62, G1..G9 (06 A2 n) in nine positions the built-in table
// leaves empty (6, 7, 14, 15, 22, 23, 30, 31, 39), and from 63 on the keys the built-in table
// does not place, so that every key of the key map has a position. Position 87 repeats 95
// (every table the program sends has that copy).
std::vector<uint8_t> SimFactoryKeyTable(const SimKeyboardModel& model);
