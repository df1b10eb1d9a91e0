// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// What a SimulatedKeyboard shares with its open handles and change monitors: the keyboard's
// memory, its presence, the fault controls and the handles' report queues, all guarded by one
// mutex. Used only inside the simulator.

#include "platform/hid/sim/SimulatedKeyboard.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <filesystem>
#include <mutex>
#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

using SimClock = std::chrono::steady_clock;

inline constexpr size_t kSimFrameSize = 64;
inline constexpr size_t kSimActiveProfileByte = 10;
// InfoBlock bytes from here on are the firmware's; the first one counts the macro area.
inline constexpr size_t kSimFirstFirmwareByte = 11;

// Copies `length` bytes from `in` to `area` at `offset`; true when anything changed.
template <typename Area>
bool SimStore(Area& area, size_t offset, const uint8_t* in, size_t length) {
    const auto first = area.begin() + static_cast<ptrdiff_t>(offset);
    if (std::equal(in, in + length, first)) {
        return false;
    }
    std::copy_n(in, length, first);
    return true;
}

template <typename Area>
void SimFetch(const Area& area, size_t offset, uint8_t* out, size_t length) {
    std::copy_n(area.begin() + static_cast<ptrdiff_t>(offset), length, out);
}

// One open handle: its own queue of reports, as each hidraw reader has.
struct SimHandle {
    struct Report {
        std::array<uint8_t, kSimFrameSize> bytes{};
        size_t length = 0;
        SimClock::time_point readyAt;
    };
    SimInterface kind = SimInterface::Keyboard;
    uint64_t generation = 0;
    bool canRead = false;
    bool canWrite = false;
    bool cancelled = false;
    std::deque<Report> queue;
};

// What tells one version of the state file from the next, without reading it.
struct SimFileIdentity {
    dev_t device = 0;
    ino_t inode = 0;
    long long mtimeSec = 0;
    long long mtimeNsec = 0;
    off_t size = 0;
    bool operator==(const SimFileIdentity&) const = default;
};

std::optional<SimFileIdentity> SimFileIdentityOf(const std::filesystem::path& file);

struct SimulatedKeyboard::Core {
    mutable std::mutex mutex;
    std::condition_variable changed;

    SimKeyboardModel model;
    std::array<std::string, 3> paths;
    std::vector<uint8_t> factory;
    SimKeyboardMemory memory;

    bool alive = true; // false once the SimulatedKeyboard object is gone
    bool plugged = true;
    bool boot = false;
    std::optional<uint32_t> bootDuration;
    std::optional<SimClock::time_point> bootReturnAt;
    unsigned bootRequests = 0;
    uint64_t generation = 0;  // raised whenever the interfaces vanish
    uint64_t appearances = 0; // raised whenever they vanish or come back, for change monitors
    bool session = false;
    std::deque<SimFrame> log;

    unsigned dropReplies = 0;
    uint8_t forcedStatus = 0;
    unsigned forcedCount = 0;
    uint32_t delayMs = 0;
    unsigned failWrites = 0;
    bool instantTimeouts = false;

    struct ScheduledFault {
        SimFault fault = SimFault::Unplug;
        unsigned requestsBefore = 0;
        unsigned count = 1;
    };
    std::optional<ScheduledFault> scheduled;

    std::vector<SimHandle*> handles;

    std::optional<std::filesystem::path> stateFile;
    std::optional<SimFileIdentity> stateIdentity;
    SimStateError lastSaveError = SimStateError::None;
    bool unsaved = false; // changes of the open session not yet in the state file

    bool Present() const { return alive && plugged && !boot; }
    bool Dead(const SimHandle& handle) const {
        return !Present() || handle.generation != generation;
    }

    static void Consume(unsigned& count) {
        if (count != kSimForever) {
            --count;
        }
    }

    // Interfaces and handles (SimInterfaces.cpp).
    // Work that time or another process may have made due; run before acting on a request.
    void Refresh();
    void LeaveBoot();
    void InterfacesChanged();
    void Vanish();
    void EnterBoot();
    int Deliver(SimInterface kind, const uint8_t* bytes, size_t length,
                SimClock::time_point readyAt);
    int Notice(uint16_t usage);
    int KeyboardReport(const std::vector<uint8_t>& usagesDown);

    // Firmware commands (SimFirmware.cpp).
    // Counts one configuration request against the scheduled fault and arms it when due;
    // false when the keyboard vanished with it.
    bool ReachScheduledFault();
    void Log(SimFrameDirection direction, const uint8_t* bytes);
    uint8_t Execute(uint8_t command, size_t length, size_t offset, const uint8_t* in, uint8_t* out,
                    bool& memoryChanged);
    void HandleFrame(const uint8_t* frame);

    // The attached state file (SimStateAttachment.cpp).
    // A session's writes reach the file together when it ends: one save per Apply, not one per
    // frame, and never half an Apply.
    void MemoryChanged();
    void Save();
    void EndSession();
    // Another process (kestrowctl beside the program, say) replaced the state file: its
    // memory is the keyboard's now, and the keyboard tells the listener what changed.
    void TakeUpStateFile();
};
