// SPDX-License-Identifier: GPL-3.0-or-later
#include "mainwindow/LightingModeSetting.h"

#include "platform/ProfileString.h"
#include "platform/UserFolders.h"

namespace {
constexpr const char* kSection = "KEYCOLOR";
constexpr const char* kKey = "DengCheck";
} // namespace

std::filesystem::path LightingSettingsFile() {
    return UserDataFolder() / "wskb.ini";
}

bool ReadLightingModeSetting() {
    return GetPrivateProfileString(kSection, kKey, "0", LightingSettingsFile()) == "1";
}

bool WriteLightingModeSetting(bool on) {
    return WritePrivateProfileString(kSection, kKey, on ? "1" : "0", LightingSettingsFile());
}
