// SPDX-License-Identifier: GPL-3.0-or-later
#include "model/ProfileFolder.h"

#include "model/KeyAssignment.h"
#include "model/UserColourFile.h"
#include "platform/AtomicFile.h"
#include "platform/UserFolders.h"

#include <string>
#include <system_error>

bool EnsureProfileFolder() {
    const std::filesystem::path folder = UserDataFolder();
    std::error_code error;
    if (std::filesystem::is_directory(folder, error)) {
        return true;
    }
    if (!std::filesystem::create_directories(folder, error)) {
        return std::filesystem::is_directory(folder, error);
    }
    const std::filesystem::path colourTemplate =
        ProgramFolder() / "Skins" / "UserDengColor_3.userd";
    for (int n = 0; n < 3; ++n) {
        std::filesystem::copy_file(colourTemplate,
                                   folder / ("UserDengColor_" + std::to_string(n) + ".userd"),
                                   std::filesystem::copy_options::skip_existing, error);
    }
    return true;
}

namespace {

std::filesystem::path WorkingFileOf(int n) {
    return UserDataFolder() / ("$Profile" + std::to_string(n));
}

} // namespace

std::filesystem::path ProfilePath(int n) {
    EnsureProfileFolder();
    return WorkingFileOf(n);
}

void RemoveStaleProfileFolderTemporaries() {
    for (int n = 0; n < kProfileCount; ++n) {
        RemoveStaleTemporaries(WorkingFileOf(n));
        RemoveStaleTemporaries(UserColourFilePath(n));
    }
    RemoveStaleTemporaries(UserDataFolder() / "wskb.ini");
}
