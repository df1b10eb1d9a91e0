// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// kestrowctl's exit codes; scripts rely on them.
inline constexpr int kExitOk = 0;
inline constexpr int kExitFailed = 1;     // a device command or a file operation failed
inline constexpr int kExitUsage = 2;      // the command line is wrong
inline constexpr int kExitNoKeyboard = 3; // no supported keyboard found
