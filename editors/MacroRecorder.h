// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// What a macro recording makes of the key events it is given: which of them become steps, in
// which order, and the wait before each. Every event comes with the time it was handled, on the
// one monotonic clock (in ms) that both key sources are timed with.

#include "model/MacroRecord.h"

#include <cstdint>
#include <vector>

// A recorded step; waitBefore is the time since the step recorded before it.
struct RecordedStep {
    MacroAction step;
    uint32_t waitBefore = 0;
    bool operator==(const RecordedStep&) const = default;
};

class MacroRecorder {
public:
    // Delay of every recorded step when real delays are not measured.
    static constexpr uint32_t kFixedDelayMs = 50;
    // Wait before the press supplied for a key that gave only its release.
    static constexpr uint32_t kSuppliedPressDelayMs = 2;

    // From nowMs on; measured: real delays instead of kFixedDelayMs.
    void Start(int64_t nowMs, bool measured);
    void Stop() { recording_ = false; }
    bool Recording() const { return recording_; }

    // The steps one fresh key event gives: none for a press of a key already down (the repeat
    // of a held key), else the event itself, after a supplied press when a release-only key
    // is released without its press having come. Measured waits are capped at the longest
    // delay a step may have.
    std::vector<RecordedStep> Take(KeyCode code, bool pressed, int64_t nowMs);

private:
    bool recording_ = false;
    bool measured_ = false;
    int64_t lastTick_ = 0;
    std::vector<KeyCode> down_;
};
