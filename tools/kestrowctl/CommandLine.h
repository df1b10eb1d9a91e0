// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The command line of kestrowctl: global options, one command and its arguments.

#include "platform/hid/BackendSelection.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

enum class CtlCommand {
    None,
    List,
    Info,
    Profile,
    Backup,
    Restore,
    Check,
    Dump,
    Light,
    Colours,
    Boot,
    Key,
    Keys,
    Macro,
    New,
    Diff
};

enum class MacroCommand { List, Show, Add, Delete, Rename, Type };

// One field option of `light`, applied in command-line order.
struct LightChange {
    enum class Field {
        Effect,
        Brightness,
        Speed,
        Direction,
        Colour,
        Multicolour,
        ReportRate,
        FourColour,
        Defaults
    };
    Field field = Field::Effect;
    int value = 0;       // effect code, level, slider position, 0xFF/0 direction, 0/1, choice
    uint8_t rgb[3] = {}; // Colour only

    bool operator==(const LightChange&) const = default;
};

struct CtlOptions {
    SimulationOptions simulation;
    bool trace = false;
    bool json = false;
    bool yes = false;
    bool help = false;
    bool version = false;

    CtlCommand command = CtlCommand::None;
    std::string file;                 // backup, restore, check, dump, new; --file of colours,
                                      // key and macro
    std::optional<int> profileNumber; // `profile N`
    std::optional<int> profile;       // --profile of light, colours and key
    std::optional<int> mode;          // --mode of colours
    std::vector<LightChange> lightChanges;
    MacroCommand macroCommand = MacroCommand::List;
    // key: KEY or KEY=TARGET each; macro: what follows the macro command; diff: two files.
    std::vector<std::string> arguments;
    std::optional<unsigned> capacity; // --capacity of key and macro with --file, bytes
    std::optional<unsigned> delay;    // --delay of `macro type`, ms
};

// args without the program name. False with a one-line `error` for a usage error.
bool ParseCtlCommandLine(std::vector<std::string> args, CtlOptions& options, std::string& error);

// The --help text: every command and option.
const char* CtlUsageText();
const char* CtlVersionText();
