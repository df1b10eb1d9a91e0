// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/UserDataSeed.h"

#include "platform/AtomicFile.h"

#include <string>
#include <system_error>

namespace fs = std::filesystem;

bool SeedUserDataFolder(const fs::path& folder, const fs::path& colourTemplate) {
    std::error_code error;
    fs::create_directories(folder, error);
    if (!fs::is_directory(folder, error)) {
        return false;
    }
    bool complete = true;
    std::string bytes;
    bool templateRead = false;
    for (int profile = 0; profile < 3; ++profile) {
        const fs::path file = folder / UserColourFileName(profile);
        if (fs::exists(fs::symlink_status(file, error))) {
            continue;
        }
        if (!templateRead && !ReadWholeFile(colourTemplate, bytes)) {
            return false;
        }
        templateRead = true;
        complete = WriteFileAtomically(file, bytes) && complete;
    }
    return complete;
}
