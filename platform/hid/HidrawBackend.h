// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The Linux hidraw backend.
//
// Listing reads sysfs: every /sys/class/hidraw/hidrawN whose device/uevent carries HID_ID
// (bus:vendor:product) and whose device/report_descriptor is readable. Paths have the form
//
//     /dev/hidrawN?vid_vvvv&pid_pppp            one top-level collection
//     /dev/hidrawN?vid_vvvv&pid_pppp&colCC      collection CC (01, 02, ...) of several
//
// with four lower-case hex digits for vendor and product id. The node is the part before '?'.
// An interface of one collection of several only delivers the input reports whose report ids
// belong to that collection; hidraw hands every reader all reports of the node.
//
// hidraw has no share modes, so the exclusive flag is accepted and has no effect. An open with
// neither read nor write access gets a handle that allows no transfer (an O_PATH descriptor).
// The kernel finishes a write synchronously; its timeout covers only the wait until the node
// accepts it.

#include "platform/hid/HidBackend.h"

#include <cstdint>
#include <string>

// Whether WatchChanges() offers a udev monitor; ScanOnly leaves finding changes to listing.
enum class HidrawChangeWatch { Udev, ScanOnly };

class HidrawBackend : public HidBackend {
public:
    explicit HidrawBackend(HidrawChangeWatch watch = HidrawChangeWatch::Udev) : watch_(watch) {}

    bool ListInterfaces(std::vector<std::string>& paths) override;
    std::unique_ptr<HidInterface> Open(const std::string& path, const HidOpenFlags& flags,
                                       HidOpenError& error) override;
    bool PathExists(const std::string& path) override;
    // A UdevChangeMonitor on the hidraw subsystem; nullptr with ScanOnly or without udev.
    std::unique_ptr<HidChangeMonitor> WatchChanges() override;

private:
    HidrawChangeWatch watch_;
};

// The parts of a path of the form above.
struct HidrawPath {
    std::string name; // "hidrawN"
    uint16_t vendorId = 0;
    uint16_t productId = 0;
    unsigned collection = 0; // 1-based; 0 when the path names no collection
};

bool ParseHidrawPath(const std::string& path, HidrawPath& out);
std::string FormatHidrawPath(const HidrawPath& path);

// ENOENT and its kin mean the node is gone, EACCES and EPERM that it may not be opened.
HidOpenError HidOpenErrorFromErrno(int error);
