// SPDX-License-Identifier: GPL-3.0-or-later
#include "model/KeyTargetText.h"

#include "model/KeyNames.h"
#include "model/MacroText.h"
#include "platform/TextUtf.h"

#include <algorithm>
#include <charconv>

namespace {

constexpr std::string_view kDefault = "default";
constexpr std::string_view kDisabled = "disabled";
constexpr std::string_view kMousePrefix = "mouse:";
constexpr std::string_view kMediaPrefix = "media:";
constexpr std::string_view kFunctionPrefix = "function:";
constexpr std::string_view kMacroPrefix = "macro:";
constexpr char kRepeatMark = '*';
constexpr size_t kNearestCount = 3;

bool StartsWithName(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() && SameName(text.substr(0, prefix.size()), prefix);
}

std::string Joined(const std::vector<std::string_view>& names) {
    std::string text;
    for (std::string_view name : names) {
        text += (text.empty() ? "" : ", ") + std::string(name);
    }
    return text;
}

// A decimal number in [low, high]; nothing for anything else.
std::optional<int> ParseNumberIn(std::string_view text, int low, int high) {
    int value = 0;
    if (text.empty() || text.size() > 6 || text.find_first_not_of("0123456789") != text.npos) {
        return std::nullopt;
    }
    std::from_chars(text.data(), text.data() + text.size(), value);
    if (value < low || value > high) {
        return std::nullopt;
    }
    return value;
}

std::string MacroTargetText(const MacroRecord& macro) {
    std::string text = std::string(kMacroPrefix) + MacroNameUtf8(macro);
    if (macro.repeat != kMinMacroRepeat) {
        text += kRepeatMark + std::to_string(macro.repeat);
    }
    return text;
}

const MacroRecord* MacroWithId(std::span<const MacroRecord> macros, uint32_t id) {
    const auto found = std::find_if(macros.begin(), macros.end(), [id](const MacroRecord& m) {
        return m.id == static_cast<uint16_t>(id);
    });
    return found == macros.end() ? nullptr : &*found;
}

std::string Quoted(const std::u16string& text) {
    return "\"" + Utf16ToUtf8(text) + "\"";
}

} // namespace

bool ParseKeyTarget(std::string_view text, KeyTarget& target, std::string& error) {
    KeyTarget parsed;
    if (SameName(text, kDefault)) {
        parsed.choice.kind = AssignmentKind::Default;
    } else if (SameName(text, kDisabled)) {
        parsed.choice.kind = AssignmentKind::Disabled;
    } else if (StartsWithName(text, kMediaPrefix)) {
        const std::string_view name = text.substr(kMediaPrefix.size());
        const std::optional<int> index = MediaIndexFromName(name);
        if (!index) {
            const std::span<const std::string_view> names = MediaNames();
            error = "unknown multimedia function '" + std::string(name) +
                    "' (nearest: " + Joined(NearestNames(name, names, kNearestCount)) +
                    "; see 'kestrowctl keys')";
            return false;
        }
        parsed.choice = {AssignmentKind::Media, static_cast<uint32_t>(*index)};
    } else if (StartsWithName(text, kFunctionPrefix)) {
        const std::optional<int> number =
            ParseNumberIn(text.substr(kFunctionPrefix.size()), 1, kKeyFunctionCount);
        if (!number) {
            error = "'" + std::string(text) +
                    "': the keyboard functions are function:1 to function:" +
                    std::to_string(kKeyFunctionCount);
            return false;
        }
        parsed.choice = {AssignmentKind::Function, static_cast<uint32_t>(*number - 1)};
    } else if (StartsWithName(text, kMacroPrefix)) {
        parsed.macroText = std::string(text.substr(kMacroPrefix.size()));
        if (parsed.macroText.empty()) {
            error = "macro: needs the name of a macro";
            return false;
        }
        parsed.choice.kind = AssignmentKind::Macro;
    } else {
        KeyCode code = 0;
        if (!ParseKeyCodeText(text, code, error)) {
            return false;
        }
        const bool mouse = StartsWithName(text, kMousePrefix);
        parsed.choice = {mouse ? AssignmentKind::Mouse : AssignmentKind::Key, code};
    }
    target = std::move(parsed);
    return true;
}

bool ResolveMacroTarget(KeyTarget& target, std::span<const MacroRecord> macros,
                        std::string& error) {
    if (target.choice.kind != AssignmentKind::Macro) {
        return true;
    }
    const std::string& text = target.macroText;
    const size_t mark = text.rfind(kRepeatMark);
    const bool hasRepeat = mark != std::string::npos && mark > 0 && mark + 1 < text.size() &&
                           text.find_first_not_of("0123456789", mark + 1) == std::string::npos;
    const MacroRecord* macro = hasRepeat ? FindMacroByName(macros, text.substr(0, mark)) : nullptr;
    std::optional<int> repeat;
    if (macro != nullptr) {
        repeat = ParseNumberIn(std::string_view(text).substr(mark + 1), kMinMacroRepeat,
                               kMaxMacroRepeat);
        if (!repeat) {
            error = "'" + text + "': a macro is played 1 to " + std::to_string(kMaxMacroRepeat) +
                    " times";
            return false;
        }
    } else {
        macro = FindMacroByName(macros, text);
    }
    if (macro == nullptr) {
        error = "there is no macro named '" + (hasRepeat ? text.substr(0, mark) : text) +
                "' (see 'kestrowctl macro list')";
        return false;
    }
    target.choice.value = macro->id;
    target.choice.repeat = repeat.value_or(macro->repeat);
    return true;
}

bool ParseKeyOfRecord(std::string_view text, int& recordIndex, std::string& error) {
    const std::optional<KeyName> key = FindKeyName(text);
    if (!key || !key->inKeyMap) {
        error = key ? "'" + std::string(key->name) +
                          "' is no key of the keyboard; it can only be given to one"
                    : "unknown key '" + std::string(text) +
                          "' (nearest: " + Joined(NearestKeyNames(text, kNearestCount, true)) +
                          "; see 'kestrowctl keys')";
        return false;
    }
    recordIndex = RecordIndexOfCode(key->code);
    return true;
}

std::string KeyTargetText(const ProfileStore& store, int profile, int recordIndex) {
    const KeyAssignment& record = store.block->Record(profile, recordIndex);
    const size_t entry = static_cast<size_t>(profile * kRecordsPerArea + recordIndex);
    switch (record.type) {
    case AssignmentType::kDefault:
        return std::string(kDefault);
    case AssignmentType::kDisabled:
        return std::string(kDisabled);
    case AssignmentType::kKey:
        return record.value <= 0xFFFF ? KeyCodeText(static_cast<KeyCode>(record.value))
                                      : "(key " + std::to_string(record.value) + ")";
    case AssignmentType::kMacro:
        if (const MacroRecord* macro = MacroWithId(store.macros, record.value)) {
            return MacroTargetText(*macro);
        }
        return "(macro " + std::to_string(record.value) + ", which is gone)";
    case AssignmentType::kMedia:
        if (record.value < static_cast<uint32_t>(kMediaCount)) {
            return std::string(kMediaPrefix) + std::string(MediaNames()[record.value]);
        }
        break;
    case AssignmentType::kFunction:
        if (record.value < static_cast<uint32_t>(kKeyFunctionCount)) {
            return std::string(kFunctionPrefix) + std::to_string(record.value + 1);
        }
        break;
    case AssignmentType::kProgram:
        return "(program " + Quoted(store.strings.entries[entry].text) + ")";
    case AssignmentType::kText:
        return "(text " + Quoted(store.strings.entries[entry].text) + ")";
    case AssignmentType::kStopMacro:
        return "(stop macro)";
    default:
        break;
    }
    return "(type " + std::to_string(record.type) + ", value " + std::to_string(record.value) + ")";
}

bool ApplyKeyTarget(int profile, int recordIndex, const KeyTarget& target) {
    const std::optional<KeyAssignment> built = BuildAssignment(recordIndex, target.choice);
    if (!built) {
        return false;
    }
    ProfileStore& store = WorkingStore();
    MacroRecord* macro = nullptr;
    if (target.choice.kind == AssignmentKind::Macro && built->type == AssignmentType::kMacro) {
        const auto found = std::find_if(store.macros.begin(), store.macros.end(),
                                        [&](const MacroRecord& m) { return m.id == built->value; });
        if (found == store.macros.end()) {
            return false;
        }
        macro = &*found;
    }
    if (!StoreAssignment(profile, recordIndex, *built)) {
        return false;
    }
    if (macro != nullptr) {
        macro->repeat = static_cast<uint8_t>(built->param);
    }
    return true;
}
