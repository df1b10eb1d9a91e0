// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Where the working files live: the per-user folder "Halvex  KB01", which also holds the user
// colour files and "wskb.ini".

#include <filesystem>

// Creates the profile folder when it does not exist and copies the colour template
// Skins/UserDengColor_3.userd of the program folder, byte for byte, to UserDengColor_0/1/2.userd
// in it. An existing folder is left alone. False when the folder is not there afterwards.
bool EnsureProfileFolder();

// EnsureProfileFolder, then the working file of profile n: "$Profile<n>" in the folder.
std::filesystem::path ProfilePath(int n);

// Deletes what a run killed while writing left in the folder: the temporary files of the working
// files, the user colour files and "wskb.ini" (never one a live writer holds). For start-up.
void RemoveStaleProfileFolderTemporaries();
