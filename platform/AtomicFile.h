#pragma once

// Whole-file replacement that never leaves a half-written file: the bytes go to a temporary
// file in the same folder, are flushed to disk, and the temporary file is renamed over the
// target. On any failure the previous file (or its absence) stays as it was.

#include <filesystem>
#include <string_view>

bool WriteFileAtomically(const std::filesystem::path& target, std::string_view bytes);

// Reads a whole regular file; false when it cannot be read or is no regular file.
bool ReadWholeFile(const std::filesystem::path& file, std::string& bytes);
