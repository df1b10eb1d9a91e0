// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The records the key map and the editors work on: those of ActiveProfile in the working store.

#include "model/KeyAssignment.h"

// The working store's record of the active profile for a key or G-key code; nullptr while
// there is no active profile, no block, or the code has no record. The caller holds the
// working store's lock.
KeyAssignment* CurrentRecord(KeyCode code);
// The same for a profile already asked for (-1: none).
KeyAssignment* RecordOfProfile(int profile, KeyCode code);

