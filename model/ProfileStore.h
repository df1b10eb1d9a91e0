// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The configuration the program edits and sends: key records of all profiles, macros and the
// strings of program and text-block records. Two process-wide instances: the working store
// (loaded, edited, saved) and the outgoing store (a snapshot taken by each write to the
// keyboard). Lock order: working store first, outgoing store second.

#include "model/KeyAssignment.h"
#include "model/MacroRecord.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

// One string per record: program path (type 3) or text block (type 6); size counts the bytes
// with the terminator, 0 for no string.
struct StringEntry {
    std::u16string text;
    uint32_t size = 0;
};

struct StringTable {
    std::array<StringEntry, kRecordCount> entries;
    uint32_t totalBytes = 0; // sum of all sizes

    void Set(int record, std::u16string text);
    void Clear(int record);
    void ClearAll();
};

struct ProfileStore {
    std::recursive_mutex lock;
    std::unique_ptr<KeyRecordBlock> block; // null while released
    std::vector<MacroRecord> macros;       // at most 100
    StringTable strings;
    // Set while the store is the all-default stand-in for a keyboard whose configuration
    // could not be read: saving or sending it would wipe what the keyboard holds.
    bool standIn = false;
};

ProfileStore& WorkingStore();

// Whether a function that uses the working store takes its lock itself or runs under the
// caller's.
enum class StoreLock { Take, HeldByCaller };
ProfileStore& OutgoingStore();

// Set when a macro that keys used is about to be deleted, so that the next write to the
// keyboard sends all three profiles; cleared by every write.
extern std::atomic<bool> MacroDeletedFlag;

// The list position of the macro with that id in the working store; 0 when none has it.
int MacroIndexOf(uint32_t id);
// The id of the macro at a list position of the working store; 0 for a position outside it.
int MacroIdAt(int position);

// The working store's record of a profile (0..3) and index (0..511); nullptr when the store
// has no block or the arguments lie outside it. Callers hold the working store's lock.
KeyAssignment* WorkingRecord(int profile, int index);
