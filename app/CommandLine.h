// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The command line of kestrow. "/Start" and "/Kill" compare without regard to letter case, each
// argument as a whole; "--start" and "--kill" are their Linux spellings. Any other argument is
// ignored.

#include "platform/hid/BackendSelection.h"

#include <cstdint>
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
    // "--language=en|pt-BR": the language id to store as the user's choice; a running instance
    // is told and relabels itself.
    std::optional<uint16_t> language;
    // "--simulate[=STATEFILE]" and "--model VID:PID" (platform/hid/BackendSelection.h).
    SimulationOptions simulation;
    // Set when one of those was malformed: the program says so and ends.
    std::string error;
};

// Walks the arguments after the program name. The walk stops at the close request: what follows
// "/Kill" is not looked at.
LaunchOptions ParseCommandLine(const std::vector<std::string>& arguments);

// The text --help prints.
std::string UsageText(const std::string& programName);

// The options of this run, kept for the parts of the program that act on them.
LaunchOptions CurrentLaunchOptions();
void SetCurrentLaunchOptions(const LaunchOptions& options);
