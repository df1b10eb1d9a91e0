// SPDX-License-Identifier: GPL-3.0-or-later
#include "editors/MacroRecorder.h"

#include <algorithm>

void MacroRecorder::Start(int64_t nowMs, bool measured) {
    recording_ = true;
    measured_ = measured;
    lastTick_ = nowMs;
    down_.clear();
}

std::vector<RecordedStep> MacroRecorder::Take(KeyCode code, bool pressed, int64_t nowMs) {
    std::vector<RecordedStep> steps;
    if (!recording_) {
        return steps;
    }
    const auto held = std::find(down_.begin(), down_.end(), code);
    const bool wasDown = held != down_.end();
    if (pressed) {
        if (wasDown) {
            return steps;
        }
        down_.push_back(code);
    } else if (wasDown) {
        down_.erase(held);
    }
    // A clock that went back (or a wait longer than any step may hold) is not stored as is.
    const int64_t elapsed = std::clamp<int64_t>(nowMs - lastTick_, 0, kMaxHandDelayMs);
    lastTick_ = nowMs;
    if (!pressed && !wasDown && IsReleaseOnlyKey(code)) {
        steps.push_back({{0, code, MacroAction::kPress},
                         measured_ ? kSuppliedPressDelayMs : kFixedDelayMs});
    }
    steps.push_back({{0, code, pressed ? MacroAction::kPress : MacroAction::kRelease},
                     measured_ ? static_cast<uint32_t>(elapsed) : kFixedDelayMs});
    return steps;
}
