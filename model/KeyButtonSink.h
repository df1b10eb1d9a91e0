// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// How the model reaches the key buttons of the main window's key map: which keys have buttons,
// their tooltip and assigned look, and the pending-changes flag (the Apply button). The main
// window implements it; the command-line tool and tests have their own.

#include "model/KeyCodeTables.h"

#include <string_view>
#include <vector>

class KeyButtonSink {
public:
    virtual ~KeyButtonSink() = default;

    // The codes of the buttons shown now: the keys and the G-keys (0x1FF + n) of the chosen bank.
    virtual std::vector<KeyCode> KeyButtonCodes() const = 0;
    // Sets the button's tooltip and whether it has the assigned look.
    virtual void DescribeKeyButton(KeyCode code, std::string_view tooltip, bool assigned) = 0;
    // SetPendingChanges of the main window: 1 when the working store holds unsent edits.
    virtual void SetPendingChanges(int pending) = 0;
};
