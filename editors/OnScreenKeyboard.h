// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The desktop's on-screen keyboard, so that keys the physical keyboard lacks can be captured:
// "onboard", else "florence", whichever is installed.

#include <QString>

// The program found on PATH, first onboard, then florence; empty when neither is installed.
QString OnScreenKeyboardProgram();
// Whether an onboard or florence process of any user runs now.
bool OnScreenKeyboardRunning();
// Starts the program detached unless one of the two already runs. False when none is
// installed or it could not be started.
bool StartOnScreenKeyboard();
