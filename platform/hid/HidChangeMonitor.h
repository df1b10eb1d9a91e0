// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Tells a waiting thread that an HID interface appeared or went, so that it need not wait for
// its next periodic scan. A backend that cannot watch gives none, and its callers keep
// scanning.

#include <cstdint>

enum class HidChangeWait {
    Changed,   // an interface appeared or went since the last wait
    Timeout,   // nothing happened within the timeout
    Cancelled, // Cancel() was called
};

class HidChangeMonitor {
public:
    virtual ~HidChangeMonitor() = default;

    // Waits up to timeoutMs for a change. Changes that happened while nobody waited are not
    // lost: the next wait returns Changed at once.
    virtual HidChangeWait Wait(uint32_t timeoutMs) = 0;

    // Thread-safe. Ends the current wait and every later one with Cancelled.
    virtual void Cancel() = 0;
};
