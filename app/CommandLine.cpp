#include "app/CommandLine.h"

#include "platform/IniText.h"

#include <mutex>

namespace {

bool IsSwitch(const std::string& argument, const char* windowsName, const char* linuxName) {
    return IniNamesEqual(argument, windowsName) || argument == linuxName;
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
    for (size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (IsSwitch(argument, "/Start", "--start")) {
            options.start = true;
        } else if (IsSwitch(argument, "/Kill", "--kill")) {
            options.kill = true;
            break;
        } else if (argument == "--help" || argument == "-h") {
            options.help = true;
        } else if (argument == "--version") {
            options.version = true;
        } else if (argument == "--simulate") {
            options.simulate = true;
            options.simulateStateFile.clear();
        } else if (argument.starts_with("--simulate=")) {
            options.simulate = true;
            options.simulateStateFile = argument.substr(11);
        } else if (argument.starts_with("--model=")) {
            options.model = argument.substr(8);
        } else if (argument == "--model" && i + 1 < arguments.size()) {
            options.model = arguments[++i];
        }
    }
    return options;
}

std::string UsageText(const std::string& programName) {
    return "Usage: " + programName +
           " [/Start|--start] [/Kill|--kill] [--simulate[=STATEFILE]] [--model=MODEL]\n"
           "\n"
           "Configures the keyboard: key assignments, macros, lighting and profiles.\n"
           "\n"
           "  /Start, --start          stay in the notification area when the keyboard arrives\n"
           "  /Kill, --kill            close the running instance and end\n"
           "  --simulate[=STATEFILE]   use the simulated keyboard (its state kept in STATEFILE)\n"
           "  --model=MODEL            the model the simulated keyboard is\n"
           "  --help                   show this text\n"
           "  --version                show the version\n"
           "\n"
           "A second start brings the running instance forward. /Start and /Kill are read\n"
           "without regard to letter case.\n";
}

LaunchOptions CurrentLaunchOptions() {
    const std::lock_guard lock(OptionsMutex());
    return Options();
}

void SetCurrentLaunchOptions(const LaunchOptions& options) {
    const std::lock_guard lock(OptionsMutex());
    Options() = options;
}
