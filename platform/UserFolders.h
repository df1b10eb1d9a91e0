// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <filesystem>

// The folder of the running executable (/proc/self/exe), or the installed data folder
// ../share/kestrow next to it when no "Skins" folder lies beside the executable and that folder
// exists. Never the current directory: should /proc be unreadable it is the data folder of the
// configured install prefix. Computed once.
std::filesystem::path ProgramFolder();

// The choice ProgramFolder() makes for an executable at exe.
std::filesystem::path ProgramFolderForExecutable(const std::filesystem::path& exe);

// Replaces ProgramFolder() for the rest of the process (tests and tools that run from elsewhere).
void SetProgramFolder(const std::filesystem::path& folder);

// Full path of the running executable.
std::filesystem::path ExecutablePath();

// The XDG variables count only when they hold an absolute path; otherwise the home folder's
// default applies ($HOME, or the user's entry in the password database). These paths are read
// again at every call; they are empty only for a user without any home folder.

// $XDG_DATA_HOME, or ~/.local/share: where the program keeps its working files.
std::filesystem::path LocalAppDataFolder();

// LocalAppDataFolder() + "Halvex  KB01" (two blanks). Not created here.
std::filesystem::path UserDataFolder();

// $XDG_CONFIG_HOME (or ~/.config) + "Halvex  KB01": where the settings hive lives.
std::filesystem::path UserConfigFolder();

// $XDG_STATE_HOME (or ~/.local/state) + "kestrow": run-time state such as a simulated keyboard.
std::filesystem::path UserStateFolder();
