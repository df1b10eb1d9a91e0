// SPDX-License-Identifier: GPL-3.0-or-later
#include "model/KeyTableCodec.h"

#include <algorithm>
#include <cstring>

namespace {

// The table mirrors these two positions whatever the records say.
constexpr int kMirroredPosition = 87;
constexpr int kMirrorSource = 95;

} // namespace

SlotAction KeyTableLayout::DefaultAt(int position) const {
    const size_t at = 3 * static_cast<size_t>(position);
    if (position < 0 || at + 3 > defaults.size()) {
        return {};
    }
    return {defaults[at], defaults[at + 1], defaults[at + 2]};
}

int KeyTableLayout::UsablePositions() const {
    return std::clamp(slotCount, 0, static_cast<int>(kKeyTableBufferSize / 3));
}

int MacroPositionIn(std::span<const MacroRecord> macros, uint32_t id) {
    for (size_t i = 0; i < macros.size(); ++i) {
        if (macros[i].id == static_cast<uint16_t>(id)) { // ids are 16 bits
            return static_cast<int>(i);
        }
    }
    return 0;
}

SlotAction EncodeAssignment(const KeyAssignment& record, SlotAction def, int macroPosition) {
    switch (record.type) {
    case AssignmentType::kDisabled:
    case AssignmentType::kText:
        return {};
    case AssignmentType::kKey:
        return SlotActionForKey(record.value <= 0xFFFF ? static_cast<KeyCode>(record.value) : 0);
    case AssignmentType::kMacro:
        return {SlotAction::kSpecial, 1, static_cast<uint8_t>(macroPosition)};
    case AssignmentType::kStopMacro:
        return {SlotAction::kSpecial, 2, 0};
    case AssignmentType::kMedia:
        // An index beyond the table names no function: sent as disabled, never read past it.
        if (record.value < static_cast<uint32_t>(kMediaCount)) {
            const uint16_t usage = MediaTable[record.value].usage;
            return {SlotAction::kConsumer, static_cast<uint8_t>(usage),
                    static_cast<uint8_t>(usage >> 8)};
        }
        return {};
    case AssignmentType::kFunction:
        return {SlotAction::kSpecial, 5, static_cast<uint8_t>(record.value)};
    default: // default, program, and types we do not know
        return def;
    }
}

void EncodeKeyTablePositions(const KeyRecordBlock& block, int profile, const KeyTableLayout& layout,
                             const int* macroPositions,
                             std::span<uint8_t, kKeyTableBufferSize> out) {
    std::fill(out.begin(), out.end(), uint8_t{0});
    std::copy_n(layout.defaults.begin(), std::min(layout.defaults.size(), out.size()), out.begin());
    const int positions = layout.UsablePositions();
    for (int i = 0; i < positions; ++i) {
        const SlotAction def = layout.DefaultAt(i);
        const int r = RecordIndexOfCode(SlotActionToKeyCode(def));
        if (r < 0) {
            continue;
        }
        const SlotAction action =
            EncodeAssignment(block.Record(profile, r), def, macroPositions[r]);
        out[3 * static_cast<size_t>(i)] = action.b0;
        out[3 * static_cast<size_t>(i) + 1] = action.b1;
        out[3 * static_cast<size_t>(i) + 2] = action.b2;
    }
    std::memcpy(out.data() + 3 * kMirroredPosition, out.data() + 3 * kMirrorSource, 3);
}

void DecodeKeyTableInto(std::span<const uint8_t> table, const KeyTableLayout& layout,
                        KeyRecordBlock& block, int area) {
    ResetArea(block, area);
    const int positions = std::min(layout.UsablePositions(), static_cast<int>(table.size() / 3));
    for (int i = 0; i < positions; ++i) {
        const SlotAction def = layout.DefaultAt(i);
        const SlotAction got{table[3 * static_cast<size_t>(i)],
                             table[3 * static_cast<size_t>(i) + 1],
                             table[3 * static_cast<size_t>(i) + 2]};
        if (got == def) {
            continue;
        }
        const int r = RecordIndexOfCode(SlotActionToKeyCode(def));
        if (r < 0) {
            continue;
        }
        KeyAssignment& record = block.Record(area, r);
        record.type = AssignmentType::kDisabled;
        record.value = 0;
        switch (got.b0) {
        case SlotAction::kSpecial:
            if (got.b1 == 1) {
                record.type = AssignmentType::kMacro;
                record.value = got.b2 + 1u;
            } else if (got.b1 == 2) {
                record.type = AssignmentType::kStopMacro;
            } else if (got.b1 == 5) {
                record.type = AssignmentType::kFunction;
                record.value = got.b2;
            }
            break;
        case SlotAction::kConsumer:
            if (const int media = MediaIndexOfUsage(static_cast<uint16_t>(got.b1 | got.b2 << 8));
                media >= 0) {
                record.type = AssignmentType::kMedia;
                record.value = static_cast<uint32_t>(media);
            }
            break;
        case SlotAction::kMouse:
        case SlotAction::kKeyboard:
            // Mouse actions other than the five known ones, usages without a key and empty
            // modifier masks name no key: the record stays disabled.
            if (const KeyCode code = SlotActionToKeyCode(got);
                code != 0 && !(got.b0 == SlotAction::kKeyboard && got.b1 != 1 && got.b1 != 2)) {
                record.type = AssignmentType::kKey;
                record.value = code;
            }
            break;
        default:
            break;
        }
    }
}
