// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Moving the configuration between the working store, profile files and the keyboard, and the
// keyboard's active profile.

#include "model/KeyRecordAccess.h"
#include "model/ProfileStore.h"
#include "model/KeyTableCodec.h"

#include <filesystem>
#include <span>
#include <string>

class KeyButtonSink;
class MessageSink;

// CachedProfile when known; otherwise reads the info block and caches its byte 10. -1 when
// the keyboard cannot be read or names a profile it does not have (byte 10 above 2).
int ActiveProfile();

// Makes profile n (0..2) the keyboard's active one: rewrites the info block just read with
// byte 10 changed. CachedProfile follows the result (-1 when the write failed). False, with
// nothing sent, for n outside 0..2.
bool SetDeviceProfile(int n);

// The outgoing store's table of profile (the factory table with each key's record applied).
void EncodeKeyTable(int profile, std::span<uint8_t, kKeyTableBufferSize> out);
// Fills area of block from a table read from the keyboard, against the factory table.
void DecodeKeyTable(std::span<const uint8_t> table, KeyRecordBlock& block, int area);

// The key tables a write of the working store sends with the macro area.
enum class ProfilesToWrite { Active, All };

// Snapshots the working store into the outgoing store and sends the macro area and the key
// table of ActiveProfile, or of all three profiles: forced after a used macro was deleted (until
// a write gets through), and whenever the new area moves a macro that another profile's table
// on the keyboard plays. Macros that do not fit MacroCapacity even without names:
// "EXTRA_MACRO_TOO_LONG" with the bytes too many, nothing sent. Names dropped to fit: "EXTRA_PROFILE_SPACE_TIGHT" after
// the session. A stand-in store is never sent. True only when the macro area and every key
// table were written. Callers hold the working store's lock.
bool WriteStoreToKeyboard(ProfilesToWrite profiles, MessageSink* messages);
// The same for the key table of profile (0..2) whether it is active or not (all three after a
// used macro was deleted, or when the new area moves a macro another table plays). False, with
// nothing sent, for a profile outside 0..2.
bool WriteStoreProfileToKeyboard(int profile, MessageSink* messages);

// Reads the keyboard's three key tables and its macro area and writes them as a complete
// profile file. False, with the file untouched, when any read fails or no profile is active.
bool ReadKeyboardToFile(const std::filesystem::path& path);
// The same read, giving the bytes of that file.
bool ReadKeyboardImage(std::string& image);

// Replaces the working store with the keyboard's configuration (through the working file of
// the active profile), or with an all-default stand-in when it cannot be read; redescribes the
// buttons and clears the pending flag or keeps it, as `pending` says. buttons may be null. True
// when the keyboard's configuration was loaded.
enum class PendingChanges { Clear, Keep };
bool ReloadFromKeyboard(PendingChanges pending, KeyButtonSink* buttons);

// Writes the working store over the existing working file of ActiveProfile; false (nothing
// written) when there is no such file, no active profile, or the store is a stand-in.
bool SaveWorkingFile(StoreLock lock);

// Apply and import: the working store goes to the keyboard (WriteStoreToKeyboard) and, only once
// the keyboard took all of it, over the working file (SaveWorkingFile). A failed write thus
// leaves the working file as the keyboard last had it, which is what discarding the edits
// reloads. Callers hold the working store's lock.
struct StoreWriteResult {
    bool written = false; // the keyboard took the macro area and every key table
    bool saved = false;   // the working file holds the store
};
StoreWriteResult WriteStoreAndWorkingFile(ProfilesToWrite profiles, MessageSink* messages);

// The keyboard may have been changed elsewhere (it was unplugged): until its macro area is read
// or written again, a write sends every profile whose table plays a macro.
void ForgetKeyboardMacroOrder();
