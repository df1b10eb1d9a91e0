// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/kestrowctl/CommandLine.h"

#include "model/MacroText.h"
#include "platform/HexDigits.h"
#include "platform/LicenceNotice.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

namespace {

struct CommandName {
    std::string_view name;
    CtlCommand command;
};

constexpr CommandName kCommands[] = {
    {"list", CtlCommand::List},       {"info", CtlCommand::Info},
    {"profile", CtlCommand::Profile}, {"backup", CtlCommand::Backup},
    {"restore", CtlCommand::Restore}, {"check", CtlCommand::Check},
    {"dump", CtlCommand::Dump},       {"light", CtlCommand::Light},
    {"colours", CtlCommand::Colours}, {"colors", CtlCommand::Colours},
    {"boot", CtlCommand::Boot},       {"key", CtlCommand::Key},
    {"keys", CtlCommand::Keys},       {"macro", CtlCommand::Macro},
    {"new", CtlCommand::New},         {"diff", CtlCommand::Diff},
};

struct MacroCommandName {
    std::string_view name;
    MacroCommand command;
    size_t leastArguments; // after the macro command
    size_t mostArguments;
};

constexpr size_t kAnyNumber = SIZE_MAX;
constexpr MacroCommandName kMacroCommands[] = {
    {"list", MacroCommand::List, 0, 0},        {"show", MacroCommand::Show, 1, 1},
    {"add", MacroCommand::Add, 1, kAnyNumber}, {"delete", MacroCommand::Delete, 1, 1},
    {"rename", MacroCommand::Rename, 2, 2},    {"type", MacroCommand::Type, 2, 2},
};

// The macro area's size field is 16 bits; no keyboard holds more.
constexpr int kMostMacroCapacity = 65535;

// Which arguments the macro command takes; false with a message for a wrong number.
bool ParseMacroArguments(std::vector<std::string> operands, CtlOptions& options,
                         std::string& error) {
    if (operands.empty()) {
        error = "macro: one of list, show, add, delete, rename, type is needed";
        return false;
    }
    for (const MacroCommandName& entry : kMacroCommands) {
        if (operands[0] != entry.name) {
            continue;
        }
        const size_t count = operands.size() - 1;
        if (count < entry.leastArguments || count > entry.mostArguments) {
            static constexpr std::string_view kUsage[] = {
                "macro list",        "macro show NAME",      "macro add NAME [STEPS...]",
                "macro delete NAME", "macro rename OLD NEW", "macro type NAME TEXT"};
            error = "usage: " + std::string(kUsage[static_cast<size_t>(entry.command)]);
            return false;
        }
        if (entry.command != MacroCommand::List && operands[1].empty()) {
            error = "macro " + operands[0] + ": a macro NAME is needed";
            return false;
        }
        options.macroCommand = entry.command;
        options.arguments.assign(operands.begin() + 1, operands.end());
        return true;
    }
    error = "unknown macro command '" + operands[0] + "'";
    return false;
}

constexpr int kMostNumber = 999999; // six digits

// Decimal digits only (no sign, no blanks), within [low, high].
bool ParseNumber(std::string_view text, int low, int high, int& value) {
    if (text.empty() || text.size() > 6) {
        return false;
    }
    int result = 0;
    for (char c : text) {
        if (c < '0' || c > '9') {
            return false;
        }
        result = result * 10 + (c - '0');
    }
    if (result < low || result > high) {
        return false;
    }
    value = result;
    return true;
}

// RRGGBB, optionally after '#'.
bool ParseColour(std::string_view text, uint8_t rgb[3]) {
    if (!text.empty() && text.front() == '#') {
        text.remove_prefix(1);
    }
    if (text.size() != 6) {
        return false;
    }
    for (int i = 0; i < 3; ++i) {
        uint32_t channel = 0;
        if (!ParseHexDigits(text.substr(2 * static_cast<size_t>(i), 2), channel)) {
            return false;
        }
        rgb[i] = static_cast<uint8_t>(channel);
    }
    return true;
}

bool IsLightOption(std::string_view name) {
    return name == "--effect" || name == "--brightness" || name == "--speed" ||
           name == "--direction" || name == "--colour" || name == "--color" ||
           name == "--multicolour" || name == "--multicolor" || name == "--report-rate" ||
           name == "--four-colour" || name == "--four-color" || name == "--defaults";
}

bool ParseLightOption(std::string_view name, std::string_view value, LightChange& change,
                      std::string& error) {
    using Field = LightChange::Field;
    const auto bad = [&](std::string_view expected) {
        error = std::string(name) + ": expected " + std::string(expected) + ", got '" +
                std::string(value) + "'";
        return false;
    };
    if (name == "--effect") {
        change.field = Field::Effect;
        return ParseNumber(value, 1, 255, change.value) || bad("an effect code 1-255");
    }
    if (name == "--brightness") {
        change.field = Field::Brightness;
        return ParseNumber(value, 0, 5, change.value) || bad("0-5");
    }
    if (name == "--speed") {
        change.field = Field::Speed;
        return ParseNumber(value, 0, 5, change.value) || bad("0-5");
    }
    if (name == "--direction") {
        change.field = Field::Direction;
        if (value == "first") {
            change.value = 0xFF;
            return true;
        }
        if (value == "second") {
            change.value = 0;
            return true;
        }
        return bad("first or second");
    }
    if (name == "--colour" || name == "--color") {
        change.field = Field::Colour;
        return ParseColour(value, change.rgb) || bad("RRGGBB");
    }
    if (name == "--multicolour" || name == "--multicolor") {
        change.field = Field::Multicolour;
        if (value == "on" || value == "off") {
            change.value = value == "on" ? 1 : 0;
            return true;
        }
        return bad("on or off");
    }
    if (name == "--report-rate") {
        change.field = Field::ReportRate;
        return ParseNumber(value, 0, 3, change.value) || bad("0-3");
    }
    change.field = Field::FourColour;
    return ParseNumber(value, 0, 3, change.value) || bad("0-3");
}

} // namespace

bool ParseCtlCommandLine(std::vector<std::string> args, CtlOptions& options, std::string& error) {
    options = CtlOptions{};
    if (!ExtractSimulationOptions(args, options.simulation, error)) {
        return false;
    }
    if (options.simulation.model && !options.simulation.simulate) {
        error = "--model is only for a simulated keyboard (--simulate)";
        return false;
    }
    std::vector<std::string> operands;
    bool optionsEnded = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        // Macro steps that release a key begin with '-' ("-A"): they are never options there.
        const bool releaseStep =
            options.command == CtlCommand::Macro && arg.size() >= 2 && arg[1] != '-';
        if (optionsEnded || arg.size() < 2 || arg[0] != '-' || releaseStep) {
            if (options.command == CtlCommand::None && !optionsEnded) {
                for (const CommandName& entry : kCommands) {
                    if (arg == entry.name) {
                        options.command = entry.command;
                    }
                }
                if (options.command == CtlCommand::None) {
                    error = "unknown command '" + arg + "'";
                    return false;
                }
            } else {
                operands.push_back(arg);
            }
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }
        // --name=value or --name value
        std::string name = arg;
        std::optional<std::string> value;
        if (const size_t eq = arg.find('='); eq != std::string::npos && arg.rfind("--", 0) == 0) {
            name = arg.substr(0, eq);
            value = arg.substr(eq + 1);
        }
        const auto takeValue = [&]() -> bool {
            if (value) {
                return true;
            }
            if (i + 1 >= args.size()) {
                error = name + " needs a value";
                return false;
            }
            value = args[++i];
            return true;
        };
        const auto noValue = [&]() -> bool {
            if (value) {
                error = name + " takes no value";
                return false;
            }
            return true;
        };

        if (name == "--trace" || name == "--json" || name == "--yes" || name == "--help" ||
            name == "-h" || name == "--version") {
            if (!noValue()) {
                return false;
            }
            (name == "--trace"     ? options.trace
             : name == "--json"    ? options.json
             : name == "--yes"     ? options.yes
             : name == "--version" ? options.version
                                   : options.help) = true;
            continue;
        }
        const bool light = options.command == CtlCommand::Light;
        const bool colours = options.command == CtlCommand::Colours;
        const bool key = options.command == CtlCommand::Key;
        const bool macro = options.command == CtlCommand::Macro;
        if (name == "--profile" && (light || colours || key)) {
            int profile = 0;
            if (!takeValue()) {
                return false;
            }
            if (!ParseNumber(*value, 0, 2, profile)) {
                error = "--profile: expected 0, 1 or 2, got '" + *value + "'";
                return false;
            }
            options.profile = profile;
            continue;
        }
        if ((colours || key || macro) && name == "--file") {
            if (!takeValue()) {
                return false;
            }
            if (value->empty()) {
                error =
                    colours ? "--file: a USERD file is needed" : "--file: a .fwc file is needed";
                return false;
            }
            options.file = *value;
            continue;
        }
        if ((key || macro) && name == "--capacity") {
            int capacity = 0;
            if (!takeValue()) {
                return false;
            }
            if (!ParseNumber(*value, 0, kMostMacroCapacity, capacity)) {
                error = "--capacity: expected bytes 0-" + std::to_string(kMostMacroCapacity) +
                        ", got '" + *value + "'";
                return false;
            }
            options.capacity = static_cast<unsigned>(capacity);
            continue;
        }
        if (macro && name == "--delay") {
            int delay = 0;
            if (!takeValue()) {
                return false;
            }
            std::string delayError = "expected a delay in ms";
            if (!ParseNumber(*value, 0, kMostNumber, delay) ||
                !CheckHandDelay(static_cast<uint32_t>(delay), delayError)) {
                error = "--delay: " + delayError + ", got '" + *value + "'";
                return false;
            }
            options.delay = static_cast<unsigned>(delay);
            continue;
        }
        if (colours && name == "--mode") {
            int mode = 0;
            if (!takeValue()) {
                return false;
            }
            if (!ParseNumber(*value, 0, 9, mode)) {
                error = "--mode: expected 0-9, got '" + *value + "'";
                return false;
            }
            options.mode = mode;
            continue;
        }
        if (light && IsLightOption(name)) {
            LightChange change;
            if (name == "--defaults") {
                if (!noValue()) {
                    return false;
                }
                change.field = LightChange::Field::Defaults;
            } else if (!takeValue() || !ParseLightOption(name, *value, change, error)) {
                return false;
            }
            options.lightChanges.push_back(change);
            continue;
        }
        error = "unknown option '" + name + "'";
        if (options.command == CtlCommand::None &&
            (name == "--profile" || name == "--file" || name == "--mode" || name == "--capacity" ||
             name == "--delay" || IsLightOption(name))) {
            error += " before the command";
        }
        return false;
    }

    if (options.help || options.version) {
        return true;
    }
    switch (options.command) {
    case CtlCommand::None:
        error = "no command given";
        return false;
    case CtlCommand::List:
    case CtlCommand::Info:
    case CtlCommand::Light:
    case CtlCommand::Boot:
    case CtlCommand::Keys:
        if (!operands.empty()) {
            error = "unexpected argument '" + operands.front() + "'";
            return false;
        }
        break;
    case CtlCommand::Colours:
        if (!operands.empty()) {
            error = "unexpected argument '" + operands.front() + "'";
            return false;
        }
        if (!options.profile) {
            error = "colours: --profile N is needed";
            return false;
        }
        if (options.file.empty()) {
            error = "colours: --file USERD is needed";
            return false;
        }
        break;
    case CtlCommand::Profile:
        if (operands.size() > 1) {
            error = "unexpected argument '" + operands[1] + "'";
            return false;
        }
        if (operands.size() == 1) {
            int number = 0;
            if (!ParseNumber(operands[0], 0, 2, number)) {
                error = "profile: expected 0, 1 or 2, got '" + operands[0] + "'";
                return false;
            }
            options.profileNumber = number;
        }
        break;
    case CtlCommand::Key:
        options.arguments = std::move(operands);
        break;
    case CtlCommand::Macro:
        if (!ParseMacroArguments(std::move(operands), options, error)) {
            return false;
        }
        if (options.delay && options.macroCommand != MacroCommand::Type) {
            error = "--delay is only for macro type";
            return false;
        }
        break;
    case CtlCommand::Diff:
        if (operands.size() != 2 || operands[0].empty() || operands[1].empty()) {
            error = operands.size() > 2 ? "unexpected argument '" + operands[2] + "'"
                                        : "diff: two FILEs are needed";
            return false;
        }
        options.arguments = std::move(operands);
        break;
    case CtlCommand::Backup:
    case CtlCommand::Restore:
    case CtlCommand::Check:
    case CtlCommand::Dump:
    case CtlCommand::New:
        if (operands.size() != 1 || operands[0].empty()) {
            error = operands.size() > 1 ? "unexpected argument '" + operands[1] + "'"
                                        : "a FILE is needed";
            return false;
        }
        options.file = operands[0];
        break;
    }
    if (options.capacity && options.file.empty()) {
        error = "--capacity is only for --file: with the keyboard its own capacity counts";
        return false;
    }
    return true;
}

const char* CtlVersionText() {
    static const std::string text =
        std::string("kestrowctl " KESTROW_VERSION "\n") + kLicenceNotice;
    return text.c_str();
}

const char* CtlUsageText() {
    return R"(Usage: kestrowctl [global options] COMMAND [arguments]

Commands:
  list                     the supported keyboards found: interface path, vendor:product,
                           model (126 or 128 key slots)
  info                     model, active profile, macro capacity, effect list, info block
  profile [N]              print the active profile, or make profile N (0-2) active
  backup FILE              read the whole configuration of the keyboard into a .fwc file
  restore FILE             check FILE, then write its three profiles and its macros to the
                           keyboard
  check FILE               validate a profile file (no keyboard needed)
  dump FILE                list a profile file: changed keys per profile and every macro
  light [--profile N] [field options]
                           without field options print the lighting record of profile N
                           (default: the active profile); with them write those fields, in
                           the order given, each change in its own session:
      --effect CODE          effect code from the keyboard's effect list
      --brightness 0-5       brightness level
      --speed 0-5            speed slider position, 0 (left end) to 5 (right end)
      --direction first|second
                             first (left, up, diffuse) or second (right, down, converge)
      --colour RRGGBB        single effect colour (turns multicolour off)
      --multicolour on|off   cycle through colours
      --report-rate 0-3      report rate choice
      --four-colour 0-3      red, yellow, green, blue (effect 17)
      --defaults             the factory lighting of the profile; when the keyboard
                             offers the user colour modes (effect 20), also the profile's
                             user colour file, copied from the template and uploaded
  colours --profile N --file USERD [--mode M]
                           upload the per-key colours of mode M (0-9; default: the mode the
                           file selects) of the user colour file USERD to profile N's bank
  boot                     send the boot request (the keyboard leaves normal operation);
                           asks first unless --yes is given
  keys                     the stable names of keys (the same in every language, any letter
                           case), mouse entries, multimedia and keyboard functions
  key [--profile N] [KEY...]
                           what each KEY does in profile N (default: the active profile), as
                           KEY=TARGET; without KEY every key that does not do its default
  key [--profile N] KEY=TARGET...
                           give keys new functions; TARGET is a key name, mouse:NAME
                           (left, right, middle, wheel-up, wheel-down), media:NAME,
                           function:1-11, macro:NAME or macro:NAME*REPEAT (1-255), disabled
                           or default. KEY is a key of the keyboard or G1-G9
  macro list               the macros: name, steps, how often one press plays them
  macro show NAME          the steps of a macro, as macro add reads them
  macro add NAME [STEPS...]
                           a new macro; each step is +KEY (press) or -KEY (release) followed
                           by the delay after it in ms (0-40000, in steps of 10; missing: 0),
                           for example: +LeftShift 20 +A 50 -A 0 -LeftShift 0
  macro type [--delay MS] NAME TEXT
                           a new macro that types TEXT on a US layout (Shift where needed),
                           MS after each step (default 50)
  macro delete NAME        delete a macro; keys playing it go back to default (asks first
                           when keys play it, unless --yes is given)
  macro rename OLD NEW     rename a macro
      Names are cut at 249 characters; at most 100 macros of at most 4000 steps; a change
      whose macros would not fit the keyboard's macro memory writes nothing (exit 1).
  new FILE                 write a default configuration to FILE (asks before replacing)
  diff FILE1 FILE2         the keys (per profile) and macros that differ between two files;
                           exit 0 when the same, 1 when they differ, 2 when a file cannot be
                           read

Options of key and macro:
  --file FILE.fwc          work on the backup file instead of the keyboard (no keyboard
                           needed); the file is replaced as a whole, never half written.
                           Without --profile, key uses profile 0 of a file
  --capacity BYTES         with --file: the macro memory to check macros against (a file
                           records none; default 4096; 'kestrowctl info' shows a keyboard's)

Global options:
  --simulate[=STATEFILE]   use a simulated keyboard; with STATEFILE its memory persists
  --model 0c45:5004|320f:5000
                           the model of a new simulated keyboard
  --trace                  every frame exchanged with the keyboard to standard error:
                           '>' sent or '<' received, a space, 128 hex digits
  --json                   machine-readable output (list, info, profile, check, dump, light,
                           colours, keys, key, macro list and show, diff)
  --yes                    answer Yes to every question
  --help, -h               this text
  --version                the program version

Exit status: 0 success, 1 the operation failed, 2 usage error (also an unknown key, macro or
step), 3 no supported keyboard found.
)";
}
