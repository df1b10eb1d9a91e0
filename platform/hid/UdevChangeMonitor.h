// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// HidChangeMonitor over libudev: a monitor of udev's own events (sent once udev has applied its
// rules, so that a new node already carries its permissions) for the hidraw subsystem. Only
// "add" and "remove" count as changes.

#include "platform/hid/HidChangeMonitor.h"

#include <memory>

struct udev;
struct udev_monitor;

class UdevChangeMonitor : public HidChangeMonitor {
public:
    // nullptr when udev cannot be watched (no udev, no netlink socket, no eventfd).
    static std::unique_ptr<UdevChangeMonitor> Create();
    ~UdevChangeMonitor() override;
    UdevChangeMonitor(const UdevChangeMonitor&) = delete;
    UdevChangeMonitor& operator=(const UdevChangeMonitor&) = delete;

    HidChangeWait Wait(uint32_t timeoutMs) override;
    void Cancel() override;

private:
    UdevChangeMonitor(udev* context, udev_monitor* monitor, int cancelFd);
    // Takes every queued event; true when one of them is a hidraw node added or removed.
    bool DrainEvents();

    udev* context_;
    udev_monitor* monitor_;
    int cancelFd_;
    bool broken_ = false; // the wait thread's own
};
