// SPDX-License-Identifier: GPL-3.0-or-later
#include "model/BootKeyboardKeys.h"

#include <algorithm>

namespace {

// Keyboard-page usages 1..3 are the error states of a report (rollover, POST failure,
// undefined error); 0 fills the unused slots of the key array.
constexpr uint16_t kFirstErrorUsage = 1;
constexpr uint16_t kLastErrorUsage = 3;
constexpr uint16_t kLastKeyboardUsage = 0xFF;

KeyCode CodeOfUsage(uint16_t usage) {
    return KeyCodeFromAction({KeyAction::kKeyboard, usage});
}

} // namespace

std::vector<KeyTransition> BootKeyboardKeys::Update(std::span<const uint16_t> usagesDown) {
    std::vector<uint16_t> now;
    for (uint16_t usage : usagesDown) {
        if (usage >= kFirstErrorUsage && usage <= kLastErrorUsage) {
            return {};
        }
        if (usage > kLastErrorUsage && usage <= kLastKeyboardUsage) {
            now.push_back(usage);
        }
    }
    std::sort(now.begin(), now.end());
    now.erase(std::unique(now.begin(), now.end()), now.end());

    std::vector<uint16_t> released;
    std::vector<uint16_t> pressed;
    std::set_difference(down_.begin(), down_.end(), now.begin(), now.end(),
                        std::back_inserter(released));
    std::set_difference(now.begin(), now.end(), down_.begin(), down_.end(),
                        std::back_inserter(pressed));
    down_ = std::move(now);

    std::vector<KeyTransition> transitions;
    for (uint16_t usage : released) {
        if (const KeyCode code = CodeOfUsage(usage)) {
            transitions.push_back({code, false});
        }
    }
    for (uint16_t usage : pressed) {
        if (const KeyCode code = CodeOfUsage(usage)) {
            transitions.push_back({code, true});
        }
    }
    return transitions;
}

bool KeyPressMerger::IsNewPress(KeySource source, KeyCode code, int64_t nowMs) {
    std::erase_if(recent_, [nowMs](const Report& r) { return nowMs - r.at >= kSamePressWindowMs; });
    for (Report& r : recent_) {
        if (r.source != source && r.code == code && !r.matched) {
            r.matched = true;
            return false;
        }
    }
    recent_.push_back({source, code, nowMs, false});
    return true;
}
