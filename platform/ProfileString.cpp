// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/ProfileString.h"

#include "platform/AtomicFile.h"
#include "platform/IniText.h"

#include <mutex>
#include <system_error>

namespace {

// Writes are read-modify-write; two threads writing the same file must not lose an update.
std::mutex& WriteMutex() {
    static std::mutex mutex;
    return mutex;
}

} // namespace

std::string GetPrivateProfileString(std::string_view section, std::string_view key,
                                    std::string_view defaultValue,
                                    const std::filesystem::path& file, size_t capacityUnits) {
    std::string bytes;
    std::optional<std::string_view> content;
    if (ReadWholeFile(file, bytes)) {
        content = bytes;
    }
    return ProfileStringFromBytes(content, section, key, defaultValue, capacityUnits);
}

bool WritePrivateProfileString(std::string_view section, std::string_view key,
                               std::optional<std::string_view> value,
                               const std::filesystem::path& file) {
    const std::lock_guard lock(WriteMutex());
    std::string bytes;
    if (!ReadWholeFile(file, bytes)) {
        // Only a file that is not there may start empty; one we cannot read is not replaced.
        std::error_code ec;
        if (std::filesystem::symlink_status(file, ec).type() !=
            std::filesystem::file_type::not_found) {
            return false;
        }
        bytes.clear();
    }
    IniText ini = IniText::Parse(bytes);
    switch (ini.Set(section, key, value)) {
    case IniText::Edit::Invalid:
        return false;
    case IniText::Edit::Unchanged:
        return true;
    case IniText::Edit::Changed:
        break;
    }
    return WriteFileAtomically(file, ini.Serialize());
}
