// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/UserFolders.h"

#include <cstdlib>
#include <mutex>
#include <optional>
#include <pwd.h>
#include <string>
#include <system_error>
#include <unistd.h>
#include <vector>

#ifndef KESTROW_INSTALLED_DATA_DIR
#define KESTROW_INSTALLED_DATA_DIR "/usr/local/share/kestrow"
#endif

namespace {

constexpr const char* kUserFolderName = "Halvex  KB01";

bool IsFolder(const std::filesystem::path& path) {
    std::error_code ec;
    return std::filesystem::is_directory(path, ec);
}

// The variable's value when it is an absolute path; empty or relative values are ignored.
std::filesystem::path AbsoluteFromEnv(const char* name) {
    const char* value = std::getenv(name);
    if (value == nullptr || *value != '/') {
        return {};
    }
    return std::filesystem::path(value);
}

std::filesystem::path HomeFolder() {
    std::filesystem::path home = AbsoluteFromEnv("HOME");
    if (!home.empty()) {
        return home;
    }
    long size = ::sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(size > 0 ? static_cast<size_t>(size) : 16384);
    passwd entry{};
    passwd* found = nullptr;
    if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found &&
        found->pw_dir && found->pw_dir[0] == '/') {
        return std::filesystem::path(found->pw_dir);
    }
    return {};
}

// $variable, or the home folder + fallback; empty when neither is known.
std::filesystem::path XdgBase(const char* variable, const char* fallback) {
    std::filesystem::path base = AbsoluteFromEnv(variable);
    if (!base.empty()) {
        return base;
    }
    const std::filesystem::path home = HomeFolder();
    return home.empty() ? home : home / fallback;
}

std::filesystem::path Below(const std::filesystem::path& base, const char* name) {
    return base.empty() ? base : base / name;
}

std::filesystem::path ComputeExecutablePath() {
    std::error_code ec;
    std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (ec) {
        return {};
    }
    // An executable replaced while it runs reads as "<path> (deleted)".
    constexpr std::string_view kDeleted = " (deleted)";
    std::string text = exe.string();
    if (text.ends_with(kDeleted)) {
        text.resize(text.size() - kDeleted.size());
        exe = text;
    }
    return exe;
}

std::mutex& OverrideMutex() {
    static std::mutex mutex;
    return mutex;
}

std::optional<std::filesystem::path>& ProgramFolderOverride() {
    static std::optional<std::filesystem::path> folder;
    return folder;
}

} // namespace

std::filesystem::path ProgramFolder() {
    {
        const std::lock_guard lock(OverrideMutex());
        if (ProgramFolderOverride()) {
            return *ProgramFolderOverride();
        }
    }
    static const std::filesystem::path folder = ProgramFolderForExecutable(ExecutablePath());
    return folder;
}

std::filesystem::path ProgramFolderForExecutable(const std::filesystem::path& exe) {
    if (exe.empty()) {
        return KESTROW_INSTALLED_DATA_DIR;
    }
    const std::filesystem::path folder = exe.parent_path();
    if (!IsFolder(folder / "Skins")) {
        const std::filesystem::path installed = folder.parent_path() / "share" / "kestrow";
        if (IsFolder(installed)) {
            return installed;
        }
    }
    return folder;
}

void SetProgramFolder(const std::filesystem::path& folder) {
    const std::lock_guard lock(OverrideMutex());
    ProgramFolderOverride() = folder;
}

std::filesystem::path ExecutablePath() {
    static const std::filesystem::path exe = ComputeExecutablePath();
    return exe;
}

std::filesystem::path LocalAppDataFolder() { return XdgBase("XDG_DATA_HOME", ".local/share"); }

std::filesystem::path UserDataFolder() { return Below(LocalAppDataFolder(), kUserFolderName); }

std::filesystem::path UserConfigFolder() {
    return Below(XdgBase("XDG_CONFIG_HOME", ".config"), kUserFolderName);
}

std::filesystem::path UserStateFolder() {
    return Below(XdgBase("XDG_STATE_HOME", ".local/state"), "kestrow");
}
