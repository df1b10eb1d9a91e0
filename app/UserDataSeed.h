// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The user's data folder ("Halvex  KB01" below the local application data folder) and the
// user colour files it starts with.

#include "model/UserColourFile.h"

#include <filesystem>

// Creates folder (and the folders above it) when missing, and gives it the three user colour
// files "UserDengColor_0.userd" .. "UserDengColor_2.userd" as byte-for-byte copies of
// colourTemplate. A file that exists is never touched, so the user's colours survive every
// later start; one that is missing (a first run cut short, a template that was missing then)
// is made again. Each copy appears whole or not at all. False when the folder cannot be had or
// a missing file could not be made.
bool SeedUserDataFolder(const std::filesystem::path& folder,
                        const std::filesystem::path& colourTemplate);
