// SPDX-License-Identifier: GPL-3.0-or-later
#include "model/AssignmentChoice.h"

#include "model/ProfileStore.h"

#include <algorithm>

namespace {

constexpr int kLastGKeyRecord = kFirstGKeyRecord + kGKeyCount - 1;

bool IsMouseCode(uint32_t code) {
    return code == kMouseLeft || code == kMouseRight || code == kMouseMiddle || code == kWheelUp ||
           code == kWheelDown;
}

uint16_t RepeatParam(int repeat) {
    return static_cast<uint16_t>(std::clamp(repeat, kMinMacroRepeat, kMaxMacroRepeat));
}

bool IsGKeyRecord(int recordIndex) {
    return recordIndex >= kFirstGKeyRecord && recordIndex <= kLastGKeyRecord;
}

} // namespace

std::optional<KeyAssignment> BuildAssignment(int recordIndex, const AssignmentChoice& choice) {
    if (recordIndex < 0 || recordIndex > kLastGKeyRecord) {
        return std::nullopt;
    }
    KeyAssignment record;
    if (IsGKeyRecord(recordIndex)) {
        record.param = GKeyParam(recordIndex - kFirstGKeyRecord + 1);
    }
    switch (choice.kind) {
    case AssignmentKind::Default:
        break;
    case AssignmentKind::Disabled:
        record.type = AssignmentType::kDisabled;
        break;
    case AssignmentKind::Key: {
        const auto code = static_cast<KeyCode>(choice.value);
        // A key given its own function is default.
        if (choice.value != 0 && choice.value <= 0xFFFF && KeyCodeToIndex(code) != recordIndex) {
            record.type = AssignmentType::kKey;
            record.value = choice.value;
        }
        break;
    }
    case AssignmentKind::Mouse:
        if (!IsMouseCode(choice.value)) {
            return std::nullopt;
        }
        record.type = AssignmentType::kKey;
        record.value = choice.value;
        break;
    case AssignmentKind::Macro:
        if (choice.value != 0) {
            record.type = AssignmentType::kMacro;
            record.value = choice.value;
            record.param = RepeatParam(choice.repeat);
        }
        break;
    case AssignmentKind::FirstMacro:
        record.type = AssignmentType::kMacro;
        record.param = RepeatParam(choice.repeat);
        break;
    case AssignmentKind::Media:
        if (choice.value >= static_cast<uint32_t>(kMediaCount)) {
            return std::nullopt;
        }
        record.type = AssignmentType::kMedia;
        record.value = choice.value;
        break;
    case AssignmentKind::Function:
        if (choice.value >= static_cast<uint32_t>(kKeyFunctionCount)) {
            return std::nullopt;
        }
        record.type = AssignmentType::kFunction;
        record.value = choice.value;
        break;
    }
    return record;
}

bool StoreAssignment(int profile, int recordIndex, const KeyAssignment& built) {
    if (profile < 0 || profile >= kProfileCount) {
        return false;
    }
    KeyAssignment* target = WorkingRecord(profile, recordIndex);
    if (target == nullptr) {
        return false;
    }
    WorkingStore().strings.Clear(profile * kRecordsPerArea + recordIndex);
    target->type = built.type;
    target->param = built.param;
    target->value = built.value;
    return true;
}
