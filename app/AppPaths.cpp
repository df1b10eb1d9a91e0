// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/AppPaths.h"

namespace {
AppPaths& Paths() {
    static AppPaths paths;
    return paths;
}
} // namespace

std::filesystem::path AppPaths::ColourTemplate() const {
    std::filesystem::path file = colourTemplatePrefix;
    file += "3.userd";
    return file;
}

AppPaths ComputeAppPaths(const std::filesystem::path& programFolder,
                         const std::filesystem::path& executable) {
    AppPaths p;
    p.programFolder = programFolder;
    p.executableName = executable.filename().string();
    p.helpFolder = programFolder / "Help";
    p.mainSkinFile = programFolder / "Skins" / "Main.ini";
    p.skinFolder = p.mainSkinFile.parent_path();
    p.colourTemplatePrefix = programFolder / "Skins" / "UserDengColor_";
    p.profileSkinFile = programFolder / "Skins" / "Profile.ini";
    p.updateSkinFile = programFolder / "Skins" / "UpdateDlg.ini";
    p.compositeSkinFile = programFolder / "Skins" / "Composite.ini";
    p.packageFolder = programFolder / "Package";
    p.residentProgram = programFolder / "Ondrel";
    return p;
}

// Written once by start-up on the user-interface thread before anything else reads it.
const AppPaths& CurrentAppPaths() {
    return Paths();
}
void SetCurrentAppPaths(const AppPaths& paths) {
    Paths() = paths;
}
