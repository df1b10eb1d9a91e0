// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The program's key code of a Qt key event, as a key message would give it: a virtual-key code
// from the Qt key and the scan code from the native scan code.

#include "model/KeyCodeTables.h"

#include <Qt>

class QKeyEvent;

// The virtual-key code of a Qt key; keypad keys (keypad set) get the keypad's codes. The two
// Win keys share one Qt key, so the scan code tells them apart. 0 for keys that have none.
unsigned VirtualKeyOfQtKey(int qtKey, bool keypad, KeyCode scanCode);

// The key code of the event: 0 for keys the key table does not know.
KeyCode KeyCodeOfKeyEvent(const QKeyEvent& event);
