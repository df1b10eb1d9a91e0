#pragma once

// The command line of kestrow. "/Start" and "/Kill" compare without regard to letter case, each
// argument as a whole; "--start" and "--kill" are their Linux spellings. Any other argument is
// ignored.

#include <optional>
#include <string>
#include <vector>

struct LaunchOptions {
    // "/Start": the keyboard's first arrival does not bring the window forward (OpenNotified).
    bool start = false;
    // "/Kill": ask the running instance to close, then end.
    bool kill = false;
    bool help = false;
    bool version = false;
    // "--simulate" or "--simulate=STATEFILE": use the simulated keyboard; the state file is
    // empty when none was given.
    bool simulate = false;
    std::string simulateStateFile;
    // "--model=M" or "--model M": which keyboard model to simulate, as given.
    std::optional<std::string> model;
};

// Walks the arguments after the program name. As with the switches of the Windows program the
// walk stops at the close request: what follows "/Kill" is not looked at.
LaunchOptions ParseCommandLine(const std::vector<std::string>& arguments);

// The text --help prints.
std::string UsageText(const std::string& programName);

// The options of this run, kept for the parts of the program that act on them.
LaunchOptions CurrentLaunchOptions();
void SetCurrentLaunchOptions(const LaunchOptions& options);
