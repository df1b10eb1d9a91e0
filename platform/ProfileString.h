// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// INI access with the semantics of the Windows profile-string functions: section and key names
// compare without regard to (ASCII) letter case, a missing file, section or key yields the
// default, no file stays open between calls, and a write creates the file and the section.
// Files are read as UTF-8 or UTF-16LE with a byte-order mark; they are written as UTF-8.
// The details of the format (blanks, comments, quotes, duplicates) are in platform/IniText.h.

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

// Writes key=value into section, creating the file and the section when needed (not the
// folder); std::nullopt removes the key. Every other line stays as it was; the file is replaced
// atomically, as UTF-8. False when the file could not be read or written, or when the names or
// the value cannot be stored faithfully (see IsWritableIni* in platform/IniText.h). Removing
// a key from a missing file or section succeeds without writing anything.
bool WritePrivateProfileString(std::string_view section, std::string_view key,
                               std::optional<std::string_view> value,
                               const std::filesystem::path& file);
