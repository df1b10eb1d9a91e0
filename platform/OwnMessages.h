// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The program's own window messages and the tags they carry in wParam. The numbers are
// binding: the device threads and a second instance send them, and each receiver ignores a
// message whose wParam is not its tag. Plain constants, so that every layer can name them.

#include <cstdint>

inline constexpr uint32_t UM_OPEN = 0x5350;
inline constexpr uint32_t UM_KILL = 0x4D4B;
inline constexpr uint32_t UM_STARTED = 0x4D4E;
inline constexpr uint32_t UM_PROFILE_RELOAD = 0x5452;
inline constexpr uint32_t UM_LANGUAGE = 0x5041;     // lParam: the language index
inline constexpr uint32_t UM_DISCONNECTED = 0x4753; // carries no tag

inline constexpr uint32_t kOpenTag = 0x4F50454E;           // "OPEN"
inline constexpr uint32_t kKillTag = 0x4C4C494B;           // "KILL"
inline constexpr uint32_t kStartedTag = 0x494E4954;        // "INIT"
inline constexpr uint32_t kProfileTag = 0x50524F46;        // "PROF"
inline constexpr uint32_t kLanguageNoticeTag = 0x4C414E47; // "LANG"

// The main window's window user data, by which another instance recognises it.
inline constexpr uint32_t kMainWindowTag = 0x4D41494E; // "MAIN"
