// SPDX-License-Identifier: GPL-3.0-or-later
#include "mainwindow/FlipSetting.h"

#include "platform/SettingsHive.h"

#include <charconv>
#include <string>

int ReadFlipLayout() {
    const std::string text =
        SettingsHive::Instance().ReadString(kProfilesSettingsKey, "Flip").value_or("0");
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    (void)end;
    // Only 0 and 1 mean something; anything else shows the F keys.
    return error == std::errc() && value == 1 ? 1 : 0;
}

void WriteFlipLayout(int value) {
    SettingsHive::Instance().WriteString(kProfilesSettingsKey, "Flip", value == 1 ? "1" : "0");
}
