// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Keys read from a keyboard's own boot-keyboard interface: the presses and releases between
// one input report and the next, and how they meet the same presses seen by a window, so that
// a key both report counts once.

#include "model/KeyCodeTables.h"

#include <cstdint>
#include <span>
#include <vector>

struct KeyTransition {
    KeyCode code = 0;
    bool pressed = false;
    bool operator==(const KeyTransition&) const = default;
};

// Follows the keys held down from report to report.
class BootKeyboardKeys {
public:
    // usagesDown: the keyboard-page usages one report holds (the modifiers 0xE0..0xE7 and the
    // keys of its array, in any order). Returns the keys released since the previous report,
    // then those pressed, each once; usages no key of the key table has are left out. A report
    // of the error usages (too many keys down) changes nothing.
    std::vector<KeyTransition> Update(std::span<const uint16_t> usagesDown);
    // All keys up, as when the interface was opened again.
    void Reset() { down_.clear(); }

private:
    std::vector<uint16_t> down_; // sorted, each usage once
};

enum class KeySource { Window, KeyboardInterface };

// A press the two sources both report lies at most this far apart on the program's clock.
inline constexpr int64_t kSamePressWindowMs = 50;

// Takes each press once from whichever source reports it first.
class KeyPressMerger {
public:
    // Whether a press of code that source reports at nowMs (a monotonic clock in ms) is a new
    // one: false when the other source reported the same key less than kSamePressWindowMs
    // before and that report has not been matched yet.
    bool IsNewPress(KeySource source, KeyCode code, int64_t nowMs);
    void Reset() { recent_.clear(); }

private:
    struct Report {
        KeySource source;
        KeyCode code;
        int64_t at;
        bool matched;
    };
    std::vector<Report> recent_;
};
