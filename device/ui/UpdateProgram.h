// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The update program the firmware update dialog starts: any file the user may execute, or a
// Windows program (".exe") run through wine when wine is on the PATH. It is checked before the
// keyboard is sent into boot mode, so that a keyboard is never left there with nothing to
// update it.

#include <filesystem>
#include <string>
#include <vector>

enum class UpdateProgramCheck {
    Ready,
    Missing,       // no path, or no such file
    NotExecutable, // a file the user may not execute (or a folder)
    NeedsWine,     // a Windows program, and no wine on the PATH
};

// How the program is started: the program file and its arguments.
struct UpdateLaunch {
    std::filesystem::path program;
    std::vector<std::string> arguments;
};

// Whether path names a program that can be started, and how (launch is set for Ready only).
UpdateProgramCheck CheckUpdateProgram(const std::filesystem::path& path, UpdateLaunch* launch);

// Starts the program detached, in the current directory; false when it could not be started.
bool StartUpdateProgram(const UpdateLaunch& launch);
