// SPDX-License-Identifier: GPL-3.0-or-later
#include "skin/CIniFile.h"

#include "platform/ProfileString.h"
#include "platform/TextUtf.h"

namespace {

constexpr size_t kPathUnits = 259;
constexpr size_t kValueBufferUnits = 2048;

} // namespace

void CIniFile::SetFile(std::string_view path) { path_ = TruncateToUtf16Units(path, kPathUnits); }

std::optional<std::string> CIniFile::GetString(std::string_view section, std::string_view key,
                                               std::string_view defaultValue) const {
    if (!path_) {
        return std::nullopt;
    }
    std::string value =
        GetPrivateProfileString(section, key, defaultValue, *path_, kValueBufferUnits);
    if (value.empty()) {
        return std::nullopt;
    }
    return value;
}

bool CIniFile::WriteString(std::string_view section, std::string_view key,
                           std::string_view value) {
    return path_ && WritePrivateProfileString(section, key, value, *path_);
}
