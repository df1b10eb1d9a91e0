// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/hid/sim/SimKeyboardMemory.h"

#include "platform/hid/BuiltInKeyTable.h"

#include <algorithm>
#include <iterator>

namespace {

// Positions the built-in table leaves empty, used for G1..G9.
constexpr size_t kGKeyPositions[9] = {6, 7, 14, 15, 22, 23, 30, 31, 39};

// The keys the built-in table does not place, from position 63 on (87 is skipped: it repeats
// position 95). Category 2: b1 2 = usage byte, b1 1 = modifier mask.
constexpr uint8_t kLaterPositions[][2] = {
    {2, 0x40}, {2, 0x24}, {2, 0x18}, {2, 0x0D}, {2, 0x10}, {2, 0x36}, // F7 7 U J M ,
    {2, 0x41}, {2, 0x25}, {2, 0x0C}, {2, 0x0E}, {2, 0x37},            // F8 8 I K .
    {2, 0x42}, {2, 0x26}, {2, 0x12}, {2, 0x0F}, {2, 0x38}, {1, 0x10}, // F9 9 O L / RCtrl
    {2, 0x43}, {2, 0x27}, {2, 0x13}, {2, 0x33}, {1, 0x20}, {1, 0x80}, // F10 0 P ; RShift RWin
    {2, 0x44}, {2, 0x2D}, {2, 0x2F}, {2, 0x34}, {2, 0x28},            // F11 - [ ' Enter
    {2, 0x45}, {2, 0x2A}, {2, 0x30}, {2, 0x31}, {2, 0x64}, {2, 0x87}, // F12 BS ] \ K45 K56
    {2, 0x49}, {2, 0x4A}, {2, 0x4B}, {2, 0x4C}, {2, 0x4D}, {2, 0x4E}, // Ins Home PgUp Del End PgDn
    {2, 0x52}, {2, 0x50}, {2, 0x51}, {2, 0x4F},                       // arrows
    {2, 0x53}, {2, 0x54}, {2, 0x55}, {2, 0x56}, {2, 0x57}, {2, 0x58}, // Num / * - + Enter
    {2, 0x59}, {2, 0x5A}, {2, 0x5B}, {2, 0x5C}, {2, 0x5D}, {2, 0x5E}, // keypad 1-6
    {2, 0x5F}, {2, 0x60}, {2, 0x61}, {2, 0x62}, {2, 0x63},            // keypad 7-9 0 .
};
constexpr size_t kFirstLaterPosition = 63;
constexpr size_t kRepeatedPosition = 87;
constexpr size_t kRepeatSource = 95;

// The default light record, as restoring a profile's lighting writes it.
constexpr uint8_t kDefaultLightRecord[8] = {1, 4, 2, 0, 0xFF, 0xFF, 0xFF, 0xFF};

} // namespace

std::vector<uint8_t> SimFactoryKeyTable(const SimKeyboardModel& model) {
    std::vector<uint8_t> table(model.keyTableLength, 0);
    std::copy_n(kBuiltInDefaultKeyTable.begin(), 3 * kBuiltInKeyPositions, table.begin());
    for (size_t n = 0; n < std::size(kGKeyPositions); ++n) {
        uint8_t* slot = &table[3 * kGKeyPositions[n]];
        slot[0] = 0x06;
        slot[1] = 0xA2;
        slot[2] = static_cast<uint8_t>(n + 1);
    }
    size_t position = kFirstLaterPosition;
    for (const auto& key : kLaterPositions) {
        if (position == kRepeatedPosition) {
            ++position;
        }
        if (position >= model.keySlotCount) {
            break;
        }
        table[3 * position] = 0x02;
        table[3 * position + 1] = key[0];
        table[3 * position + 2] = key[1];
        ++position;
    }
    if (kRepeatSource < model.keySlotCount) {
        std::copy_n(&table[3 * kRepeatSource], 3, &table[3 * kRepeatedPosition]);
    }
    return table;
}

SimKeyboardMemory FactorySimKeyboardMemory(const SimKeyboardModel& model) {
    SimKeyboardMemory memory;
    memory.model = model;
    auto& info = memory.infoBlock;
    // Bytes 0..9: firmware version 1.05 and the keyboard's identity.
    info[0] = 0x01;
    info[1] = 0x05;
    info[2] = static_cast<uint8_t>(model.vendorId & 0xFF);
    info[3] = static_cast<uint8_t>(model.vendorId >> 8);
    info[4] = static_cast<uint8_t>(model.productId & 0xFF);
    info[5] = static_cast<uint8_t>(model.productId >> 8);
    info[6] = static_cast<uint8_t>(model.keySlotCount);
    info[10] = 0;                                    // active profile
    info[11] = model == kSimModel5000 ? 0x40 : 0x20; // 8 KiB or 4 KiB of macros
    // Effects 1..18 and the user colours (20).
    size_t slot = 12;
    for (uint8_t code = 1; code <= 18; ++code) {
        info[slot++] = code;
    }
    info[slot] = 20;

    for (size_t p = 0; p < kSimProfileCount; ++p) {
        std::copy(std::begin(kDefaultLightRecord), std::end(kDefaultLightRecord),
                  memory.lightArea.begin() + static_cast<ptrdiff_t>(p * kSimLightRecordSize));
    }
    const std::vector<uint8_t> factory = SimFactoryKeyTable(model);
    for (size_t p = 0; p < kSimProfileCount; ++p) {
        memory.keyTables.insert(memory.keyTables.end(), factory.begin(), factory.end());
    }
    // An empty macro area: magic, size 16, no macros, no names.
    memory.macroArea.assign(info[11] * kSimMacroUnit, 0);
    memory.macroArea[0] = 0xAA;
    memory.macroArea[1] = 0x55;
    memory.macroArea[2] = 16;
    return memory;
}
