#pragma once

// INI access with the semantics of the Windows profile-string functions: section and key names
// compare without regard to (ASCII) letter case, a missing file, section or key yields the
// default, no file stays open between calls, and a write creates the file and the section.
// Files are read as UTF-8 or UTF-16LE with a byte-order mark; they are written as UTF-8.

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

// The value of key in section, or `defaultValue` when it is missing; cut to capacityUnits - 1
// UTF-16 units, as a buffer of capacityUnits units would hold it. A key present with an empty
// value gives an empty string.
std::string GetPrivateProfileString(std::string_view section, std::string_view key,
                                    std::string_view defaultValue,
                                    const std::filesystem::path& file, size_t capacityUnits = 260);

// Writes key=value into section, creating the file and the section when needed; std::nullopt
// removes the key. Replaces the file atomically. False when the file could not be written.
bool WritePrivateProfileString(std::string_view section, std::string_view key,
                               std::optional<std::string_view> value,
                               const std::filesystem::path& file);
