// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The process-wide values of the device link. The presence thread writes them and the
// user-interface thread reads them, so every one shared between threads is atomic; the
// factory key table is copied in and out under its own lock.

#include "platform/hid/KeyboardModels.h"

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <mutex>

class CHidDevice;

inline constexpr size_t kDefaultKeyTableSize = 512;
using KeyTableBytes = std::array<uint8_t, kDefaultKeyTableSize>;

// Until a keyboard has been found the values of the 0x0C45/0x5004 model hold.
inline constexpr unsigned kKeySlotCountSmall = kKeyboardModel5004.keySlotCount;
inline constexpr unsigned kKeyTableLengthSmall = kKeyboardModel5004.keyTableLength;
inline constexpr unsigned kKeySlotCountLarge = kKeyboardModel5000.keySlotCount;
inline constexpr unsigned kKeyTableLengthLarge = kKeyboardModel5000.keyTableLength;

struct DeviceStateRecord {
    DeviceStateRecord();

    std::atomic<int> DeviceOpen{0}; // the configuration interface is open
    std::atomic<unsigned> KeyTableLength{kKeyTableLengthSmall}; // bytes per profile, 378 or 512
    std::atomic<int> CurrentProfile{0};                     // 0..2: the lighting panel's profile
    std::atomic<unsigned> MacroCapacity{0};                 // bytes, info block byte 11 x 128
    std::atomic<unsigned> KeySlotCount{kKeySlotCountSmall}; // 126 or 128
    std::atomic<unsigned> KeyboardPresent{0}; // the state last reported to the main window
    std::atomic<int> OpenNotified{0};         // the first arrival no longer shows the window
    std::atomic<int> CachedProfile{-1};       // active profile last read, -1 when not read

    // Serialises every transaction on the configuration interface; nothing else takes it.
    std::mutex DeviceIoLock;

    // The factory key table: its first KeyTableLength bytes hold the table. Until a keyboard
    // has given its own, the built-in table.
    void GetDefaultKeyTable(KeyTableBytes& out) const;
    void SetDefaultKeyTable(const KeyTableBytes& table);

    // Back to the start-up values (for a new run of the device threads, and for tests). Not
    // to be called while the device threads run.
    void Reset();

private:
    mutable std::mutex defaultKeyTableLock_;
    KeyTableBytes defaultKeyTable_{};
};

// The one record of the process.
DeviceStateRecord& DeviceState();

// The process-wide CHidDevice of the configuration interface: opened and closed by the presence
// thread, used by every command. It uses CurrentHidBackend() at each call.
CHidDevice& ConfigDevice();
