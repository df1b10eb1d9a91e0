// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The locations start-up computes once from the program folder; every skin and language file is
// found relative to it, never through the current directory.

#include <filesystem>
#include <string>

struct AppPaths {
    std::filesystem::path programFolder;
    std::string executableName;
    std::filesystem::path helpFolder;           // Help/
    std::filesystem::path mainSkinFile;         // Skins/Main.ini
    std::filesystem::path skinFolder;           // the folder of the main skin file
    std::filesystem::path colourTemplatePrefix; // Skins/UserDengColor_
    std::filesystem::path profileSkinFile;      // Skins/Profile.ini
    std::filesystem::path updateSkinFile;       // Skins/UpdateDlg.ini
    std::filesystem::path compositeSkinFile;    // Skins/Composite.ini
    std::filesystem::path packageFolder;        // Package
    std::filesystem::path residentProgram;      // Ondrel

    // The colour template the user colour files are first made from.
    std::filesystem::path ColourTemplate() const;
    std::filesystem::path HelpPage() const { return helpFolder / "index.html"; }
};

AppPaths ComputeAppPaths(const std::filesystem::path& programFolder,
                         const std::filesystem::path& executable);

// The paths of this run; valid once start-up has computed them.
const AppPaths& CurrentAppPaths();
void SetCurrentAppPaths(const AppPaths& paths);
