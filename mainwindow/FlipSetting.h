// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// FlipLayout: whether the key picture shows D1-D6 (1) instead of F1-F4 (0). Kept as the
// string value "Flip" in section PROFILES of the application's settings area.

#include "platform/ProgramNames.h"

// A missing or unreadable value reads as 0; so does any value other than 1.
int ReadFlipLayout();
// Stores 0 and 1 as they are and any other value as 0.
void WriteFlipLayout(int value);
