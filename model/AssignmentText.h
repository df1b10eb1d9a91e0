// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// What a key button says about its key's record, and restoring the current profile's keys.

#include "model/KeyAssignment.h"

#include <string>

class KeyButtonSink;

struct AssignmentDescription {
    std::string tooltip;
    bool assigned = false;
};

// The key's name ("G1".."G9" for G-keys), and for any type but default "KEY_PROMPT_SET" and,
// by type, the key, macro, media function or keyboard function it was given.
AssignmentDescription DescribeAssignmentText(KeyCode code, const KeyAssignment& record);
// Sets the button of code from its record.
void DescribeAssignment(KeyButtonSink& buttons, KeyCode code, const KeyAssignment& record);

// Describes every button from the records of ActiveProfile (all as default while there is no
// active profile). The caller may hold the working store's lock.
void DescribeAllButtons(KeyButtonSink& buttons);

// Zeroes the records of ActiveProfile that have buttons, redescribes every button and marks
// the configuration changed. False, with nothing changed, while ActiveProfile is -1.
bool ResetProfileAssignments(KeyButtonSink& buttons);
