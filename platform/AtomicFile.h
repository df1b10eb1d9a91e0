// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Whole-file replacement that never leaves a half-written file: the bytes go to a temporary
// file in the same folder, are flushed to disk, and the temporary file is renamed over the
// target. On any failure the previous file (or its absence) stays as it was.
//
// The temporary file is "." + the target's name + "." + six characters, and its writer holds
// an exclusive flock on it until the rename: a process killed while writing leaves it behind
// unlocked, which is how RemoveStaleTemporaries tells it from one being written right now.

#include <filesystem>
#include <string_view>

bool WriteFileAtomically(const std::filesystem::path& target, std::string_view bytes);

// Deletes the temporary files that writers of target killed before their rename left beside
// it; one that a live writer holds is left alone. Returns how many were deleted.
int RemoveStaleTemporaries(const std::filesystem::path& target);

// Reads a whole regular file; false when it cannot be read or is no regular file.
bool ReadWholeFile(const std::filesystem::path& file, std::string& bytes);
