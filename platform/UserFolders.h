#pragma once

#include <filesystem>

// The folder of the running executable (/proc/self/exe), or the installed data folder
// (<prefix>/share/kestrow) when no "Skins" folder lies beside the executable. Never the current
// directory. Computed once.
std::filesystem::path ProgramFolder();

// Replaces ProgramFolder() for the rest of the process (tests and tools that run from elsewhere).
void SetProgramFolder(const std::filesystem::path& folder);

// Full path of the running executable.
std::filesystem::path ExecutablePath();

// $XDG_DATA_HOME, or ~/.local/share: the stand-in for the local application data folder.
std::filesystem::path LocalAppDataFolder();

// LocalAppDataFolder() + "Halvex  KB01" (two blanks). Not created here.
std::filesystem::path UserDataFolder();

// $XDG_CONFIG_HOME (or ~/.config) + "Halvex  KB01": where the settings hive lives.
std::filesystem::path UserConfigFolder();

// $XDG_STATE_HOME (or ~/.local/state) + "kestrow": run-time state such as a simulated keyboard.
std::filesystem::path UserStateFolder();
