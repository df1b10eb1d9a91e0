// SPDX-License-Identifier: GPL-3.0-or-later
#include "model/AssignmentText.h"

#include "model/KeyButtonSink.h"
#include "model/KeyRecordAccess.h"
#include "model/KeyboardTransfer.h"
#include "model/ProfileStore.h"
#include "skin/Language.h"

namespace {

std::string Text(std::string_view key) {
    return LangText(key, CurrentLanguageIndex());
}

std::string MacroNameOfId(uint32_t id) {
    ProfileStore& store = WorkingStore();
    std::lock_guard guard(store.lock);
    for (const MacroRecord& macro : store.macros) {
        if (macro.id == static_cast<uint16_t>(id)) {
            return MacroNameUtf8(macro);
        }
    }
    return {};
}

} // namespace

AssignmentDescription DescribeAssignmentText(KeyCode code, const KeyAssignment& record) {
    AssignmentDescription d;
    if (const int g = GKeyNumber(code)) {
        d.tooltip = "G" + std::to_string(g <= 9 ? g : g - 9);
    } else {
        d.tooltip = KeyNameFromCode(code);
    }
    if (record.type == AssignmentType::kDefault) {
        return d;
    }
    d.assigned = true;
    d.tooltip += Text("KEY_PROMPT_SET");
    switch (record.type) {
    case AssignmentType::kKey:
        d.tooltip += Text("KEY_PROMPT_SINGLE");
        d.tooltip +=
            KeyNameFromCode(static_cast<KeyCode>(record.value <= 0xFFFF ? record.value : 0));
        d.tooltip += ")";
        break;
    case AssignmentType::kMacro:
        d.tooltip += Text("KEY_PROMPT_MACRO") + MacroNameOfId(record.value) + ")";
        break;
    case AssignmentType::kMedia:
        d.tooltip += Text("KEY_PROMPT_MEDIA");
        if (record.value < static_cast<uint32_t>(kMediaCount)) {
            d.tooltip += KeyNameFromCode(MediaTable[record.value].code);
        }
        d.tooltip += ")";
        break;
    case AssignmentType::kFunction:
        d.tooltip += Text("KEY_PROMPT_FUNCTION") +
                     Text("FUNC_KEY_DESC" + std::to_string(record.value + 1ull)) + ")";
        break;
    default:
        break;
    }
    return d;
}

void DescribeAssignment(KeyButtonSink& buttons, KeyCode code, const KeyAssignment& record) {
    const AssignmentDescription d = DescribeAssignmentText(code, record);
    buttons.DescribeKeyButton(code, d.tooltip, d.assigned);
}

void DescribeAllButtons(KeyButtonSink& buttons) {
    ProfileStore& store = WorkingStore();
    std::lock_guard guard(store.lock);
    // Asked once: an unreadable keyboard must not be asked again for every button.
    const int profile = ActiveProfile();
    for (const KeyCode code : buttons.KeyButtonCodes()) {
        const KeyAssignment* record = RecordOfProfile(profile, code);
        DescribeAssignment(buttons, code, record ? *record : KeyAssignment{});
    }
}

bool ResetProfileAssignments(KeyButtonSink& buttons) {
    ProfileStore& store = WorkingStore();
    {
        std::lock_guard guard(store.lock);
        const int profile = ActiveProfile();
        if (profile < 0 || !store.block) {
            return false;
        }
        for (const KeyCode code : buttons.KeyButtonCodes()) {
            if (KeyAssignment* record = RecordOfProfile(profile, code)) {
                *record = KeyAssignment{};
            }
        }
        DescribeAllButtons(buttons);
    }
    buttons.SetPendingChanges(1);
    return true;
}
