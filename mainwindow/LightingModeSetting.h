// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// LightingMode across runs: "DengCheck" in section "KEYCOLOR" of "wskb.ini" in the user data
// folder, "1" for on and "0" for off.

#include <filesystem>

std::filesystem::path LightingSettingsFile();
// Only "1" is on; a missing file or key, or any other value, is off.
bool ReadLightingModeSetting();
// False when the file could not be written.
bool WriteLightingModeSetting(bool on);
