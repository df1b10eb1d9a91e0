// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/kestrowctl/ProfileDump.h"

#include "platform/TextUtf.h"
#include "skin/Language.h"
#include "tools/kestrowctl/JsonText.h"

#include <string_view>

namespace {

std::string_view TypeName(uint16_t type) {
    switch (type) {
    case AssignmentType::kDefault:
        return "default";
    case AssignmentType::kDisabled:
        return "disabled";
    case AssignmentType::kKey:
        return "key";
    case AssignmentType::kProgram:
        return "program";
    case AssignmentType::kMacro:
        return "macro";
    case AssignmentType::kStopMacro:
        return "stop-macro";
    case AssignmentType::kText:
        return "text";
    case AssignmentType::kMedia:
        return "media";
    case AssignmentType::kFunction:
        return "function";
    default:
        return "unknown";
    }
}

const MacroRecord* FindMacro(const ProfileStore& store, uint32_t id) {
    for (const MacroRecord& macro : store.macros) {
        if (macro.id == id) {
            return &macro;
        }
    }
    return nullptr;
}

int Language() {
    return CurrentLanguageIndex();
}

// The record's target: the key, macro, media function, keyboard function or string it names.
std::string Target(const ProfileStore& store, int profile, int index, const KeyAssignment& r) {
    switch (r.type) {
    case AssignmentType::kKey:
        return r.value <= 0xFFFF ? KeyNameFromCode(static_cast<KeyCode>(r.value)) : std::string();
    case AssignmentType::kProgram:
    case AssignmentType::kText: {
        const size_t entry = static_cast<size_t>(profile * kRecordsPerArea + index);
        return Utf16ToUtf8(store.strings.entries[entry].text);
    }
    case AssignmentType::kMacro: {
        const MacroRecord* macro = FindMacro(store, r.value);
        return macro != nullptr ? MacroNameUtf8(*macro) : std::string();
    }
    case AssignmentType::kMedia:
        return r.value < kMediaCount ? KeyNameFromCode(MediaTable[r.value].code) : std::string();
    case AssignmentType::kFunction:
        return r.value < kKeyFunctionCount
                   ? LangText("FUNC_KEY_DESC" + std::to_string(r.value + 1), Language())
                   : std::string();
    default:
        return {};
    }
}

std::string StepText(const MacroAction& step) {
    return std::string(step.direction == MacroAction::kPress ? "press " : "release ") +
           KeyNameFromCode(step.key) + ", wait " + std::to_string(step.delay) + " ms";
}

// Records that belong to a key or G-key, or are not zero although they belong to none.
bool Listed(const KeyAssignment& r) {
    return r.type != AssignmentType::kDefault;
}

} // namespace

std::string RecordKeyName(int index) {
    if (index >= kFirstGKeyRecord && index < kFirstGKeyRecord + kGKeyCount) {
        const int n = index - kFirstGKeyRecord; // 0..17
        return "G" + std::to_string(n % 9 + 1) + (n >= 9 ? " (second bank)" : "");
    }
    if (index >= 0 && index < kKeyRecordCount) {
        return KeyNameFromCode(IndexToKeyCode(index));
    }
    return "record " + std::to_string(index);
}

std::string DescribeRecordForListing(const ProfileStore& store, int profile, int index) {
    const KeyAssignment& r = store.block->Record(profile, index);
    std::string text(TypeName(r.type));
    const std::string target = Target(store, profile, index, r);
    switch (r.type) {
    case AssignmentType::kKey:
    case AssignmentType::kMedia:
    case AssignmentType::kFunction:
    case AssignmentType::kProgram:
    case AssignmentType::kText:
        text += " " + (target.empty() ? "(value " + std::to_string(r.value) + ")" : target);
        break;
    case AssignmentType::kMacro:
        text += " " + std::to_string(r.value) +
                (target.empty() ? " (no such macro)" : " '" + target + "'");
        // Records read from the keyboard carry no repeat count of their own.
        if (r.param != 0) {
            text += " x" + std::to_string(r.param);
        }
        break;
    case AssignmentType::kDefault:
    case AssignmentType::kDisabled:
    case AssignmentType::kStopMacro:
        break;
    default:
        text += " (type " + std::to_string(r.type) + ", value " + std::to_string(r.value) + ")";
        break;
    }
    return text;
}

std::string ProfileListingText(const ProfileStore& store) {
    std::string out;
    for (int profile = 0; profile < kProfileCount; ++profile) {
        out += "Profile " + std::to_string(profile) + ":\n";
        bool any = false;
        for (int index = 0; index < kRecordsPerArea; ++index) {
            if (!Listed(store.block->Record(profile, index))) {
                continue;
            }
            any = true;
            out += "  " + RecordKeyName(index) + ": " +
                   DescribeRecordForListing(store, profile, index) + "\n";
        }
        if (!any) {
            out += "  (all keys default)\n";
        }
    }
    out += "Macros: " + std::to_string(store.macros.size()) + "\n";
    for (const MacroRecord& macro : store.macros) {
        const int steps = MacroStepCount(macro);
        out += "  " + std::to_string(macro.id) + " '" + MacroNameUtf8(macro) + "', played " +
               std::to_string(macro.repeat) + " time" + (macro.repeat == 1 ? "" : "s") + ", " +
               std::to_string(steps) + " step" + (steps == 1 ? "" : "s") + "\n";
        for (int i = 0; i < steps; ++i) {
            out += "    " + std::to_string(i + 1) + ". " +
                   StepText(macro.steps[static_cast<size_t>(i)]) + "\n";
        }
    }
    return out;
}

std::string ProfileListingJson(const ProfileStore& store) {
    std::string out = "{\"profiles\":[";
    for (int profile = 0; profile < kProfileCount; ++profile) {
        out += profile == 0 ? "" : ",";
        out += "{\"profile\":" + std::to_string(profile) + ",\"assignments\":[";
        bool first = true;
        for (int index = 0; index < kRecordsPerArea; ++index) {
            const KeyAssignment& r = store.block->Record(profile, index);
            if (!Listed(r)) {
                continue;
            }
            out += first ? "" : ",";
            first = false;
            out += "{\"record\":" + std::to_string(index) +
                   ",\"key\":" + JsonString(RecordKeyName(index)) +
                   ",\"type\":" + std::to_string(r.type) +
                   ",\"kind\":" + JsonString(TypeName(r.type)) +
                   ",\"value\":" + std::to_string(r.value) +
                   ",\"param\":" + std::to_string(r.param) +
                   ",\"target\":" + JsonString(Target(store, profile, index, r)) + "}";
        }
        out += "]}";
    }
    out += "],\"macros\":[";
    for (size_t m = 0; m < store.macros.size(); ++m) {
        const MacroRecord& macro = store.macros[m];
        out += m == 0 ? "" : ",";
        out += "{\"id\":" + std::to_string(macro.id) +
               ",\"name\":" + JsonString(MacroNameUtf8(macro)) +
               ",\"repeat\":" + std::to_string(macro.repeat) + ",\"steps\":[";
        const int steps = MacroStepCount(macro);
        for (int i = 0; i < steps; ++i) {
            const MacroAction& step = macro.steps[static_cast<size_t>(i)];
            out += i == 0 ? "" : ",";
            out += "{\"key\":" + std::to_string(step.key) +
                   ",\"name\":" + JsonString(KeyNameFromCode(step.key)) + ",\"action\":" +
                   (step.direction == MacroAction::kPress ? "\"press\"" : "\"release\"") +
                   ",\"delay\":" + std::to_string(step.delay) + "}";
        }
        out += "]}";
    }
    out += "]}\n";
    return out;
}
