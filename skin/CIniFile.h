// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Remembers one INI file and reads and writes it through the profile-string functions.

#include <optional>
#include <string>
#include <string_view>

class CIniFile {
public:
    CIniFile() = default;
    explicit CIniFile(std::string_view path) { SetFile(path); }
    virtual ~CIniFile() = default;

    // Stores the path, cut to 259 UTF-16 units.
    void SetFile(std::string_view path);
    // std::nullopt until a file is set.
    const std::optional<std::string>& FilePath() const { return path_; }

    // The value (or the default when the key is missing), at most 2047 UTF-16 units;
    // std::nullopt when the result is empty or no file is set.
    std::optional<std::string> GetString(std::string_view section, std::string_view key,
                                         std::string_view defaultValue = {}) const;
    bool WriteString(std::string_view section, std::string_view key, std::string_view value);

private:
    std::optional<std::string> path_;
};
