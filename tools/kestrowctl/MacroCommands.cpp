// SPDX-License-Identifier: GPL-3.0-or-later
#include "model/AssignmentChoice.h"
#include "model/KeyNames.h"
#include "model/MacroChecks.h"
#include "model/MacroText.h"
#include "model/ProfileStore.h"
#include "platform/TextUtf.h"
#include "tools/kestrowctl/ConfigurationAccess.h"
#include "tools/kestrowctl/CtlCommands.h"
#include "tools/kestrowctl/ExitCodes.h"
#include "tools/kestrowctl/JsonText.h"
#include "tools/kestrowctl/TerminalSink.h"

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace {

// A name the macro list can take: not empty, no leading blank (the editor replaces those with
// a generated name), cut to 249 characters as the record holds it.
bool CheckMacroName(const std::string& name, std::string& stored, TerminalSink& sink) {
    if (name.empty() || name.front() == ' ') {
        sink.Note("a macro name cannot be empty or begin with a blank");
        return false;
    }
    stored = TruncateToUtf16Units(name, kMaxMacroNameChars);
    if (stored != name) {
        sink.Note("the name was cut to " + std::to_string(kMaxMacroNameChars) + " characters");
    }
    return true;
}

// A macro other than except whose name is the same, letter case aside.
bool NameTaken(const std::vector<MacroRecord>& macros, const std::string& name,
               const MacroRecord* except) {
    return std::any_of(macros.begin(), macros.end(), [&](const MacroRecord& m) {
        return &m != except && SameName(MacroNameUtf8(m), name);
    });
}

std::string StepCountText(int steps) {
    return std::to_string(steps) + (steps == 1 ? " step" : " steps");
}

void PrintList(const std::vector<MacroRecord>& macros, bool json) {
    if (json) {
        std::string out = "[";
        for (size_t i = 0; i < macros.size(); ++i) {
            const MacroRecord& m = macros[i];
            out += (i == 0 ? "" : ",") + std::string("{\"id\":") + std::to_string(m.id) +
                   ",\"name\":" + JsonString(MacroNameUtf8(m)) +
                   ",\"repeat\":" + std::to_string(m.repeat) +
                   ",\"stepCount\":" + std::to_string(MacroStepCount(m)) + "}";
        }
        std::printf("%s]\n", out.c_str());
        return;
    }
    for (const MacroRecord& m : macros) {
        std::printf("%s  (%s, played %d time%s)\n", MacroNameUtf8(m).c_str(),
                    StepCountText(MacroStepCount(m)).c_str(), m.repeat, m.repeat == 1 ? "" : "s");
    }
}

void PrintMacro(const MacroRecord& macro, bool json) {
    const std::string steps = MacroStepsText(MacroSteps(macro));
    if (json) {
        std::printf("{\"id\":%d,\"name\":%s,\"repeat\":%d,\"steps\":%s}\n", macro.id,
                    JsonString(MacroNameUtf8(macro)).c_str(), macro.repeat,
                    JsonString(steps).c_str());
    } else {
        std::printf("%s\n", steps.c_str());
    }
}

// The steps of add (joined words) or type (the text on a US layout); false, told, for bad ones.
bool StepsOfArguments(const CtlOptions& options, std::vector<MacroAction>& steps,
                      TerminalSink& sink) {
    std::string error;
    if (options.macroCommand == MacroCommand::Type) {
        if (!TypeTextSteps(options.arguments[1], options.delay.value_or(kTypedStepDelayMs), steps,
                           error)) {
            sink.Note("macro type: " + error);
            return false;
        }
        return true;
    }
    std::string text;
    for (size_t i = 1; i < options.arguments.size(); ++i) {
        text += options.arguments[i] + " ";
    }
    if (!ParseMacroSteps(text, steps, error)) {
        sink.Note("macro add: " + error);
        return false;
    }
    return true;
}

// The list as the key-setting dialog's Apply leaves it: keys playing a macro that is gone go
// back to default.
void ReplaceMacros(std::vector<MacroRecord> macros) {
    ApplyDialogMacros(std::move(macros), nullptr);
}

// The changing commands work on a copy of the list that replaces the working store's once the
// change is whole; at is the macro's place in it. The caller holds the working store's lock.

int AddMacro(ConfigurationAccess& access, std::vector<MacroRecord> macros, const std::string& name,
             const std::vector<MacroAction>& steps, TerminalSink& sink) {
    if (NameTaken(macros, name, nullptr)) {
        sink.Note("a macro named '" + name + "' exists already");
        return kExitUsage;
    }
    if (macros.size() >= static_cast<size_t>(kMaxMacros)) {
        sink.ShowText("MACRO_ERR_MAX", kMaxMacros);
        return kExitFailed;
    }
    MacroRecord added;
    SetMacroName(added, std::string_view(name));
    added.repeat = kMinMacroRepeat;
    added.isNew = 1;
    added.id = LowestFreeMacroId(macros);
    added.stepCount = static_cast<uint16_t>(steps.size());
    std::copy(steps.begin(), steps.end(), added.steps.begin());
    macros.push_back(added);
    if (!access.MacrosFit(macros)) {
        return kExitFailed;
    }
    ReplaceMacros(std::move(macros));
    return access.Save(ChangedTables::AllProfiles);
}

int DeleteMacro(ConfigurationAccess& access, std::vector<MacroRecord> macros, size_t at,
                TerminalSink& sink) {
    if (!MacroMayBeDeleted(macros[at], sink)) {
        sink.Note("the macro was not deleted");
        return kExitFailed;
    }
    macros.erase(macros.begin() + static_cast<std::ptrdiff_t>(at));
    ReplaceMacros(std::move(macros));
    // The macros after it move up one place, and every profile's keys name them by place.
    return access.Save(ChangedTables::AllProfiles);
}

int RenameMacro(ConfigurationAccess& access, std::vector<MacroRecord> macros, size_t at,
                const std::string& newName, TerminalSink& sink) {
    if (NameTaken(macros, newName, &macros[at])) {
        sink.Note("a macro named '" + newName + "' exists already");
        return kExitUsage;
    }
    SetMacroName(macros[at], std::string_view(newName));
    access.MacrosFit(macros); // names only: left out when they do not fit, and told
    ReplaceMacros(std::move(macros));
    return access.Save(ChangedTables::AllProfiles);
}

} // namespace

int RunMacro(const CtlOptions& options, TerminalSink& sink) {
    const std::vector<std::string>& args = options.arguments;
    const MacroCommand command = options.macroCommand;
    std::string name;
    std::vector<MacroAction> steps;
    const bool adds = command == MacroCommand::Add || command == MacroCommand::Type;
    if (adds && (!CheckMacroName(args[0], name, sink) || !StepsOfArguments(options, steps, sink))) {
        return kExitUsage;
    }
    std::string newName;
    if (command == MacroCommand::Rename && !CheckMacroName(args[1], newName, sink)) {
        return kExitUsage;
    }

    ConfigurationAccess access(options, sink);
    if (const int code = access.Open(); code != kExitOk) {
        return code;
    }
    ProfileStore& working = WorkingStore();
    std::lock_guard lock(working.lock);
    std::vector<MacroRecord> macros = working.macros;
    if (command == MacroCommand::List) {
        PrintList(macros, options.json);
        return kExitOk;
    }
    if (adds) {
        return AddMacro(access, std::move(macros), name, steps, sink);
    }
    MacroRecord* macro = FindMacroByName(std::span(macros), args[0]);
    if (macro == nullptr) {
        sink.Note("there is no macro named '" + args[0] + "' (see 'kestrowctl macro list')");
        return kExitUsage;
    }
    const size_t at = static_cast<size_t>(macro - macros.data());
    switch (command) {
    case MacroCommand::Show:
        PrintMacro(*macro, options.json);
        return kExitOk;
    case MacroCommand::Delete:
        return DeleteMacro(access, std::move(macros), at, sink);
    case MacroCommand::Rename:
        return RenameMacro(access, std::move(macros), at, newName, sink);
    default:
        return kExitUsage;
    }
}
