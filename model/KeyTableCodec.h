// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Translation between the records of one profile and the keyboard's key table of that profile:
// KeySlotCount three-byte SlotActions, each position belonging to the key its factory entry
// names.

#include "model/KeyAssignment.h"
#include "model/MacroRecord.h"
#include "model/SlotAction.h"

#include <cstdint>
#include <span>

inline constexpr size_t kKeyTableBufferSize = 512;
inline constexpr int kMaxKeySlots = 128;

// What a table is translated against: the factory table (KeyTableLength bytes) and the number
// of positions. Positions beyond what defaults holds count as 00 00 00.
struct KeyTableLayout {
    std::span<const uint8_t> defaults;
    int slotCount = 0;

    SlotAction DefaultAt(int position) const;
    // Positions that both the factory table and a 512-byte buffer hold.
    int UsablePositions() const;
};

// The SlotAction a record puts at a position whose factory entry is def. macroPosition is the
// list position of the record's macro for type 4.
SlotAction EncodeAssignment(const KeyAssignment& record, SlotAction def, int macroPosition);

// Fills out with profile's table: the factory table, each position replaced by what its
// key's record says, and position 87 a copy of position 95. macroIndexOf gives the list
// position of a macro id (0 when none has it).
template <typename MacroIndexOf>
void EncodeKeyTableWith(const KeyRecordBlock& block, int profile, const KeyTableLayout& layout,
                        MacroIndexOf macroIndexOf, std::span<uint8_t, kKeyTableBufferSize> out);

// Clears area of block (G-key codes in 256..273) and fills it from a table read from the
// keyboard; positions equal to their factory entry, and positions of no key, are left default.
void DecodeKeyTableInto(std::span<const uint8_t> table, const KeyTableLayout& layout,
                        KeyRecordBlock& block, int area);

// --- implementation of the template ---

void EncodeKeyTablePositions(const KeyRecordBlock& block, int profile, const KeyTableLayout& layout,
                             const int* macroPositions,
                             std::span<uint8_t, kKeyTableBufferSize> out);

template <typename MacroIndexOf>
void EncodeKeyTableWith(const KeyRecordBlock& block, int profile, const KeyTableLayout& layout,
                        MacroIndexOf macroIndexOf, std::span<uint8_t, kKeyTableBufferSize> out) {
    // Macro positions per record, looked up once per record of the area.
    int positions[kRecordsPerArea];
    for (int r = 0; r < kRecordsPerArea; ++r) {
        const KeyAssignment& record = block.Record(profile, r);
        positions[r] = record.type == AssignmentType::kMacro ? macroIndexOf(record.value) : 0;
    }
    EncodeKeyTablePositions(block, profile, layout, positions, out);
}

// The list position of the macro with that id in a list; 0 when none has it.
int MacroPositionIn(std::span<const MacroRecord> macros, uint32_t id);
