// SPDX-License-Identifier: GPL-3.0-or-later
#include "model/ProfileStore.h"

void StringTable::Set(int record, std::u16string text) {
    StringEntry& entry = entries[static_cast<size_t>(record)];
    totalBytes -= entry.size;
    entry.size = static_cast<uint32_t>((text.size() + 1) * 2);
    entry.text = std::move(text);
    totalBytes += entry.size;
}

void StringTable::Clear(int record) {
    StringEntry& entry = entries[static_cast<size_t>(record)];
    totalBytes -= entry.size;
    entry = StringEntry{};
}

void StringTable::ClearAll() {
    for (StringEntry& entry : entries) {
        entry = StringEntry{};
    }
    totalBytes = 0;
}

ProfileStore& WorkingStore() {
    static ProfileStore store;
    return store;
}

ProfileStore& OutgoingStore() {
    static ProfileStore store;
    return store;
}

std::atomic<bool> MacroDeletedFlag{false};

int MacroIndexOf(uint32_t id) {
    ProfileStore& store = WorkingStore();
    std::lock_guard guard(store.lock);
    // Ids are 16 bits; a record's wider value names the id of its low word, as the orphan
    // rule reads it.
    const auto wanted = static_cast<uint16_t>(id);
    for (size_t i = 0; i < store.macros.size(); ++i) {
        if (store.macros[i].id == wanted) {
            return static_cast<int>(i);
        }
    }
    return 0;
}

int MacroIdAt(int position) {
    ProfileStore& store = WorkingStore();
    std::lock_guard guard(store.lock);
    if (position < 0 || static_cast<size_t>(position) >= store.macros.size()) {
        return 0;
    }
    return store.macros[static_cast<size_t>(position)].id;
}

KeyAssignment* WorkingRecord(int profile, int index) {
    ProfileStore& store = WorkingStore();
    if (!store.block || profile < 0 || profile >= kRecordAreaCount || index < 0 ||
        index >= kRecordsPerArea) {
        return nullptr;
    }
    return &store.block->Record(profile, index);
}
