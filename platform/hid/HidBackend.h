// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The host's HID access as CHidDevice needs it. Two backends implement it: the Linux hidraw
// backend (HidrawBackend) and the simulated keyboard (SimulatedKeyboard).
//
// Interface paths carry the vendor and product id in the form the presence logic's candidate
// test reads: "<location>?vid_VVVV&pid_PPPP" (four lower-case hex digits each). Open() accepts
// exactly the paths that ListInterfaces() returned. A backend may append "&colNN" (two decimal
// digits, from 01) when one device node carries several top-level collections.

#include "platform/hid/HidChangeMonitor.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// "?vid_vvvv&pid_pppp", the ids part that ends every interface path (lower-case hex digits).
std::string HidIdsQuery(uint16_t vendorId, uint16_t productId);

struct HidOpenFlags {
    bool read = false;
    bool write = false;
    bool overlapped = false; // kept for CHidDevice's fields; every backend transfer can time out
    bool exclusive = false;  // deny others write sharing where the host can
};

enum class HidOpenError {
    None,
    NotFound,         // the path names no interface (any more)
    PermissionDenied, // the interface is there but this user may not open it
    Failed,           // anything else (bad descriptor, I/O error)
};

enum class HidTransferResult {
    Ok,        // the whole report moved
    Timeout,   // nothing moved within the timeout; nothing is left pending
    Cancelled, // Cancel() ended the wait; nothing is left pending
    Gone,      // the device went away (hang-up, error or 0-byte read)
    Failed,    // any other error
};

// Timeout value meaning "no limit".
inline constexpr uint32_t kHidNoTimeout = 0xFFFFFFFFu;

// One open interface. Read and Write may run in two threads at once (one each). The handle
// closes when destroyed; callers make sure no transfer is still running in another thread by
// then (CHidDevice cancels and waits for its busy flags first).
class HidInterface {
public:
    virtual ~HidInterface() = default;

    virtual uint16_t VendorId() const = 0;
    virtual uint16_t ProductId() const = 0;
    virtual const std::vector<uint8_t>& ReportDescriptorBytes() const = 0;
    // Which top-level collection of ReportDescriptorBytes() this interface is: a descriptor may
    // hold several, and each is an interface of its own.
    virtual size_t CollectionIndex() const { return 0; }

    // One whole report; `transferred` receives the byte count (0 unless Ok).
    virtual HidTransferResult Read(uint8_t* buffer, size_t length, size_t& transferred,
                                   uint32_t timeoutMs) = 0;
    virtual HidTransferResult Write(const uint8_t* buffer, size_t length, size_t& transferred,
                                    uint32_t timeoutMs) = 0;

    // Thread-safe. Ends a waiting transfer and every later one on this handle with Cancelled:
    // it is raised only when the handle is about to close, so it never needs lowering.
    virtual void Cancel() = 0;
};

class HidBackend {
public:
    virtual ~HidBackend() = default;

    // Every HID interface present, in a stable order. False when listing itself failed.
    virtual bool ListInterfaces(std::vector<std::string>& paths) = 0;

    // nullptr with `error` set on failure.
    virtual std::unique_ptr<HidInterface> Open(const std::string& path, const HidOpenFlags& flags,
                                               HidOpenError& error) = 0;

    // Whether the interface still exists, without any traffic to the device.
    virtual bool PathExists(const std::string& path) = 0;

    // A monitor that wakes a waiter when an interface appears or goes; nullptr when this
    // backend cannot watch, and the caller then finds changes by listing alone.
    virtual std::unique_ptr<HidChangeMonitor> WatchChanges() { return nullptr; }
};

// The backend chosen at start-up for the whole process: the hidraw backend unless a program
// installs another (the simulated keyboard) before any device code runs.
HidBackend& CurrentHidBackend();
void SetCurrentHidBackend(std::shared_ptr<HidBackend> backend);
