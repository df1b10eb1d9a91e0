// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// A named macro of alternating presses and releases, as the fault sweeps fill the macro area.

#include "model/MacroRecord.h"

#include <cstdint>
#include <string>

inline MacroRecord SweepMacro(uint16_t id, int steps, const std::string& name) {
    constexpr KeyCode kFirstKey = 0x1E; // A
    constexpr int kKeysUsed = 8;
    constexpr uint32_t kDelayStepMs = 10;
    MacroRecord macro;
    macro.id = id;
    macro.repeat = 1;
    macro.stepCount = static_cast<uint16_t>(steps);
    for (int s = 0; s < steps; ++s) {
        MacroAction& action = macro.steps[static_cast<size_t>(s)];
        action.key = static_cast<KeyCode>(kFirstKey + s % kKeysUsed);
        action.direction = s % 2 == 0 ? MacroAction::kPress : MacroAction::kRelease;
        action.delay = kDelayStepMs * static_cast<uint32_t>(s + 1);
    }
    SetMacroName(macro, name);
    return macro;
}
