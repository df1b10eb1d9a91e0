// SPDX-License-Identifier: GPL-3.0-or-later
#include "model/KeyNames.h"
#include "model/KeyTargetText.h"
#include "model/ProfileStore.h"
#include "skin/Language.h"
#include "tools/kestrowctl/ConfigurationAccess.h"
#include "tools/kestrowctl/CtlCommands.h"
#include "tools/kestrowctl/ExitCodes.h"
#include "tools/kestrowctl/JsonText.h"
#include "tools/kestrowctl/TerminalSink.h"

#include <algorithm>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

namespace {

constexpr char kAssignMark = '=';

// One argument of `key`: KEY alone asks, KEY=TARGET sets.
struct KeyArgument {
    std::string key;
    int recordIndex = 0;
    std::optional<KeyTarget> target;
};

bool ParseKeyArguments(const std::vector<std::string>& arguments, std::vector<KeyArgument>& keys,
                       TerminalSink& sink) {
    for (const std::string& argument : arguments) {
        const size_t mark = argument.find(kAssignMark);
        KeyArgument parsed;
        parsed.key = argument.substr(0, mark);
        std::string error;
        if (!ParseKeyOfRecord(parsed.key, parsed.recordIndex, error)) {
            sink.Note(error);
            return false;
        }
        if (mark != std::string::npos) {
            KeyTarget target;
            if (!ParseKeyTarget(std::string_view(argument).substr(mark + 1), target, error)) {
                sink.Note(parsed.key + ": " + error);
                return false;
            }
            parsed.target = std::move(target);
        }
        keys.push_back(std::move(parsed));
    }
    const bool anySet = std::any_of(keys.begin(), keys.end(),
                                    [](const KeyArgument& k) { return k.target.has_value(); });
    const bool anyAsked = std::any_of(keys.begin(), keys.end(),
                                      [](const KeyArgument& k) { return !k.target.has_value(); });
    if (anySet && anyAsked) {
        sink.Note("key: either ask about keys (KEY ...) or set them (KEY=TARGET ...), not both");
        return false;
    }
    return true;
}

// Without arguments: every key of the keyboard picture that does not do its default.
std::vector<KeyArgument> AssignedKeys(const ProfileStore& store, int profile) {
    std::vector<KeyArgument> keys;
    for (const KeyName& name : KeyNames()) {
        const int index = RecordIndexOfCode(name.code);
        if (name.inKeyMap && store.block->Record(profile, index).type != AssignmentType::kDefault) {
            keys.push_back({std::string(name.name), index, std::nullopt});
        }
    }
    return keys;
}

void PrintKeys(const std::vector<KeyArgument>& keys, int profile, bool json) {
    const ProfileStore& store = WorkingStore();
    if (!json) {
        for (const KeyArgument& key : keys) {
            std::printf("%s=%s\n", std::string(StableRecordName(key.recordIndex)).c_str(),
                        KeyTargetText(store, profile, key.recordIndex).c_str());
        }
        return;
    }
    std::string out = "{\"profile\":" + std::to_string(profile) + ",\"keys\":[";
    for (size_t i = 0; i < keys.size(); ++i) {
        out += (i == 0 ? "" : ",") + std::string("{\"key\":") +
               JsonString(StableRecordName(keys[i].recordIndex)) +
               ",\"target\":" + JsonString(KeyTargetText(store, profile, keys[i].recordIndex)) +
               "}";
    }
    std::printf("%s]}\n", out.c_str());
}

std::string Padded(std::string_view text, size_t width) {
    std::string padded(text);
    padded.resize(std::max(width, padded.size() + 1), ' ');
    return padded;
}

std::string FunctionText(int index) {
    return LangText("FUNC_KEY_DESC" + std::to_string(index + 1), CurrentLanguageIndex());
}

void PrintNamesText() {
    constexpr size_t kNameWidth = 14;
    std::string out = "Keys of the keyboard (KEY, or TARGET):\n";
    for (const KeyName& name : KeyNames()) {
        if (name.inKeyMap) {
            out += "  " + Padded(name.name, kNameWidth) +
                   (IsGKeyCode(name.code) ? std::string(name.name) : KeyNameFromCode(name.code)) +
                   "\n";
        }
    }
    out += "Keys only given to other keys (TARGET):\n";
    for (const KeyName& name : KeyNames()) {
        if (!name.inKeyMap) {
            out += "  " + Padded(name.name, kNameWidth) + KeyNameFromCode(name.code) + "\n";
        }
    }
    out += "Mouse (TARGET mouse:NAME):\n";
    for (std::string_view name : MouseNames()) {
        out += "  " + Padded(name, kNameWidth) + KeyNameFromCode(*MouseCodeFromName(name)) + "\n";
    }
    out += "Multimedia (TARGET media:NAME):\n";
    for (int i = 0; i < kMediaCount; ++i) {
        out += "  " + Padded(MediaNames()[static_cast<size_t>(i)], kNameWidth) +
               KeyNameFromCode(MediaTable[static_cast<size_t>(i)].code) + "\n";
    }
    out += "Keyboard functions (TARGET function:N):\n";
    for (int i = 0; i < kKeyFunctionCount; ++i) {
        out += "  " + Padded(std::to_string(i + 1), kNameWidth) + FunctionText(i) + "\n";
    }
    out +=
        "Also: default, disabled, macro:NAME or macro:NAME*REPEAT (see 'kestrowctl macro list')\n";
    std::fputs(out.c_str(), stdout);
}

std::string JsonEntry(std::string_view name, std::string_view display) {
    return "{\"name\":" + JsonString(name) + ",\"display\":" + JsonString(display) + "}";
}

void PrintNamesJson() {
    std::string out = "{\"keys\":[";
    bool first = true;
    for (const KeyName& name : KeyNames()) {
        out += first ? "" : ",";
        first = false;
        const std::string display =
            IsGKeyCode(name.code) ? std::string(name.name) : KeyNameFromCode(name.code);
        out += "{\"name\":" + JsonString(name.name) + ",\"code\":" + std::to_string(name.code) +
               ",\"display\":" + JsonString(display) +
               ",\"keyMap\":" + (name.inKeyMap ? "true" : "false") + "}";
    }
    out += "],\"mouse\":[";
    for (size_t i = 0; i < MouseNames().size(); ++i) {
        const std::string_view name = MouseNames()[i];
        out += (i == 0 ? "" : ",") + JsonEntry(name, KeyNameFromCode(*MouseCodeFromName(name)));
    }
    out += "],\"media\":[";
    for (size_t i = 0; i < MediaNames().size(); ++i) {
        out +=
            (i == 0 ? "" : ",") + JsonEntry(MediaNames()[i], KeyNameFromCode(MediaTable[i].code));
    }
    out += "],\"functions\":[";
    for (int i = 0; i < kKeyFunctionCount; ++i) {
        out += (i == 0 ? "" : ",") + JsonEntry(std::to_string(i + 1), FunctionText(i));
    }
    std::printf("%s]}\n", out.c_str());
}

} // namespace

int RunKeys(const CtlOptions& options) {
    if (options.json) {
        PrintNamesJson();
    } else {
        PrintNamesText();
    }
    return kExitOk;
}

int RunKey(const CtlOptions& options, TerminalSink& sink) {
    std::vector<KeyArgument> keys;
    if (!ParseKeyArguments(options.arguments, keys, sink)) {
        return kExitUsage;
    }
    ConfigurationAccess access(options, sink);
    if (const int code = access.Open(); code != kExitOk) {
        return code;
    }
    const int profile = access.Profile();
    if (profile < 0) {
        sink.Note("the active profile cannot be read from the keyboard");
        return kExitFailed;
    }
    ProfileStore& working = WorkingStore();
    std::lock_guard lock(working.lock);
    if (keys.empty()) {
        keys = AssignedKeys(working, profile);
    }
    if (keys.empty() || !keys.front().target) {
        PrintKeys(keys, profile, options.json);
        return kExitOk;
    }
    // Every macro is found before the first key changes, so that a wrong name changes nothing.
    for (KeyArgument& key : keys) {
        std::string error;
        if (!ResolveMacroTarget(*key.target, working.macros, error)) {
            sink.Note(key.key + ": " + error);
            return kExitUsage;
        }
    }
    for (const KeyArgument& key : keys) {
        if (!ApplyKeyTarget(profile, key.recordIndex, *key.target)) {
            sink.Note(key.key + ": the key cannot be given that");
            return kExitFailed;
        }
    }
    return access.Save(ChangedTables::OneProfile);
}
