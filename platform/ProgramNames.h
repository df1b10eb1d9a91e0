// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The names under which the program keeps its settings, shared by every layer that reads them.

// The program's own settings key; "dwLanguageId" lives here.
inline constexpr const char* kAppRegistryKey = "Software\\Halvex  KB01";

// The framework's per-application settings area and the application's title below it.
inline constexpr const char* kProfileAreaKey = "Kestrow_Ostrel";
inline constexpr const char* kApplicationTitle = "Kestrow";

// Section PROFILES of that area ("Flip", the record delay, the numbered "PROFILE" values).
inline constexpr const char* kProfilesSettingsKey = "Software\\Kestrow_Ostrel\\Kestrow\\PROFILES";

// The program's name on the desktop: its desktop entry, its AppStream id and its icon in the
// icon theme (packaging/).
inline constexpr const char* kDesktopId = "org.example.Kestrow";
