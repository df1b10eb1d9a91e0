// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Emulated HID devices with hidraw nodes on a umockdev testbed. The program must run with
// libumockdev-preload loaded from its start (LD_PRELOAD=libumockdev-preload.so.0).

#include <cstdint>
#include <string>
#include <vector>

typedef struct _UMockdevTestbed UMockdevTestbed;

class EmulatedHid {
public:
    EmulatedHid();
    ~EmulatedHid();
    EmulatedHid(const EmulatedHid&) = delete;
    EmulatedHid& operator=(const EmulatedHid&) = delete;

    // Whether the preload library is in place; without it nothing here is emulated.
    static bool Preloaded();

    // Adds a USB HID device `id` ("0003:VVVV:PPPP.NNNN") with the node /dev/hidraw<node>.
    // Returns the device side of the node (raw mode), or -1.
    int Add(const std::string& id, uint16_t vendor, uint16_t product, int node,
            const std::vector<uint8_t>& descriptor);
    // Hangs the node up, then removes the hidraw device and its parent, with their uevents.
    void Unplug(const std::string& id, int node, int deviceSide);
    // Sends a uevent (for example "add" or "change") for a device of the testbed; Add and
    // Unplug send theirs themselves.
    void Uevent(const std::string& syspath, const char* action);
    std::string RootDir() const;

    // The sysfs paths of a device `id` and of its hidraw node.
    static std::string DeviceSysPath(const std::string& id);
    static std::string NodeSysPath(const std::string& id, int node);

private:
    UMockdevTestbed* testbed_;
};

// Reads exactly `length` bytes from a device side, giving up after `timeoutMs` of silence.
bool ReadExactly(int fd, uint8_t* buffer, size_t length, int timeoutMs = 5000);
bool WriteAll(int fd, const std::vector<uint8_t>& bytes);
