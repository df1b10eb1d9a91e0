// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Helpers of the application tests: the built program folder, private user folders, and copies
// of the data beside the program.

#include "support/ScopedEnv.h"
#include "support/TempDir.h"

#include <filesystem>
#include <string>

// The folder the build puts the program and its data into.
std::filesystem::path BinFolder();

// XDG_RUNTIME_DIR (mode 0700), XDG_CONFIG_HOME and XDG_DATA_HOME in a fresh folder each, for the
// lifetime of the object.
class PrivateUserFolders {
public:
    PrivateUserFolders();
    std::filesystem::path Runtime() const { return dir_ / "runtime"; }
    std::filesystem::path Config() const { return dir_ / "config"; }
    std::filesystem::path Data() const { return dir_ / "data"; }

private:
    TempDir dir_;
    ScopedEnv runtime_, config_, data_;
};

// Copies the language files, Help and Skins of BinFolder() into folder, leaving out the file
// `except` (relative, e.g. "Skins/main_over.jpg") when it is not empty.
void CopyProgramData(const std::filesystem::path& folder, const std::string& except = {});
