// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/CommandLine.h"

#include "platform/IniText.h"
#include "skin/Language.h"

#include <mutex>

namespace {

bool IsSwitch(const std::string& argument, const char* windowsName, const char* linuxName) {
    return IniNamesEqual(argument, windowsName) || argument == linuxName;
}

constexpr std::string_view kLanguageOption = "--language";

// "--language=NAME" or "--language NAME"; false when arguments[i] is another argument.
bool TakeLanguageArgument(const std::vector<std::string>& arguments, size_t& i,
                          LaunchOptions& options) {
    const std::string& argument = arguments[i];
    std::string name;
    if (argument == kLanguageOption) {
        if (i + 1 >= arguments.size()) {
            if (options.error.empty()) {
                options.error = "--language needs a language: en or pt-BR";
            }
            ++i;
            return true;
        }
        name = arguments[i + 1];
        i += 2;
    } else if (argument.starts_with(std::string(kLanguageOption) + "=")) {
        name = argument.substr(kLanguageOption.size() + 1);
        ++i;
    } else {
        return false;
    }
    options.language = LanguageIdFromName(name);
    if (!options.language && options.error.empty()) {
        options.error = "unknown language '" + name + "' (--language takes en or pt-BR)";
    }
    return true;
}

std::mutex& OptionsMutex() {
    static std::mutex mutex;
    return mutex;
}

LaunchOptions& Options() {
    static LaunchOptions options;
    return options;
}

} // namespace

LaunchOptions ParseCommandLine(const std::vector<std::string>& arguments) {
    LaunchOptions options;
    size_t i = 0;
    while (i < arguments.size()) {
        std::string error;
        switch (TakeSimulationArgument(arguments, i, options.simulation, error)) {
        case SimArgResult::Consumed:
            continue;
        case SimArgResult::Invalid:
            if (options.error.empty()) {
                options.error = error;
            }
            ++i;
            continue;
        case SimArgResult::NotOurs:
            break;
        }
        if (TakeLanguageArgument(arguments, i, options)) {
            continue;
        }
        const std::string& argument = arguments[i++];
        if (IsSwitch(argument, "/Start", "--start")) {
            options.start = true;
        } else if (IsSwitch(argument, "/Kill", "--kill")) {
            options.kill = true;
            break;
        } else if (argument == "--help" || argument == "-h") {
            options.help = true;
        } else if (argument == "--version") {
            options.version = true;
        }
    }
    return options;
}

std::string UsageText(const std::string& programName) {
    return "Usage: " + programName +
           " [/Start|--start] [/Kill|--kill] [--language=en|pt-BR]\n"
           "       [--simulate[=STATEFILE] [--model=VID:PID]]\n"
           "\n"
           "Configures the keyboard: key assignments, macros, lighting and profiles.\n"
           "\n"
           "  /Start, --start          stay in the notification area (minimized on the taskbar\n"
           "                           without one) when the keyboard arrives\n"
           "  /Kill, --kill            close the running instance and end\n"
           "  --language=en|pt-BR      choose the language (English or Brazilian Portuguese) and\n"
           "                           keep the choice; a running Kestrow relabels itself\n"
           "  --simulate[=STATEFILE]   use the simulated keyboard (its state kept in STATEFILE)\n"
           "  --model=VID:PID          the simulated model: 0c45:5004 (default) or 320f:5000\n"
           "  --help                   show this text\n"
           "  --version                show the version\n"
           "\n"
           "A second start brings the running instance forward. /Start and /Kill are read\n"
           "without regard to letter case. Until a language is chosen, LC_ALL, LC_MESSAGES or\n"
           "LANG decides: English for English and the C locale, Brazilian Portuguese otherwise.\n"
           "\n"
           "Kestrow is free software under the GNU General Public License, version 3 or later.\n";
}

LaunchOptions CurrentLaunchOptions() {
    const std::lock_guard lock(OptionsMutex());
    return Options();
}

void SetCurrentLaunchOptions(const LaunchOptions& options) {
    const std::lock_guard lock(OptionsMutex());
    Options() = options;
}
