// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The per-user settings store: one INI file, $XDG_CONFIG_HOME/Halvex  KB01/registry.ini, one
// section per key path (for example "Software\Halvex  KB01"), typed values in the form
// platform/HiveFormat.h describes. Key paths and value names compare without regard to ASCII letter
// case. Every write replaces the file atomically (creating its folder); when the file cannot be
// written the value is still kept in memory, for this run only, and goes to the file with the next
// write that succeeds. A change another process made to the file is read before the next call;
// values are merged per value, so two programs writing different values a moment apart keep both.
// All members are thread-safe.

#include "platform/HiveFormat.h"

#include <cstdint>
#include <filesystem>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class SettingsHive {
public:
    // The process-wide hive in the user's configuration folder (the folder as it is at the
    // first call).
    static SettingsHive& Instance();

    explicit SettingsHive(std::filesystem::path file);

    const std::filesystem::path& File() const { return file_; }

    // Opens or creates a key; false when it could not be persisted. A key path that the file
    // cannot hold (empty, with a line break or "]", or a blank at either end) is refused by
    // every member: nothing is kept and writes give false.
    bool CreateKey(std::string_view keyPath);

    // Missing also for a value of a type this program does not know.
    HiveValueType TypeOf(std::string_view keyPath, std::string_view name);
    // std::nullopt when missing or of another type.
    std::optional<uint32_t> ReadDword(std::string_view keyPath, std::string_view name);
    std::optional<std::string> ReadString(std::string_view keyPath, std::string_view name);
    // In the order they were first written.
    std::vector<std::string> ValueNames(std::string_view keyPath);

    // False when the value could not be persisted; it is kept for this run either way.
    bool WriteDword(std::string_view keyPath, std::string_view name, uint32_t value);
    bool WriteString(std::string_view keyPath, std::string_view name, std::string_view value);
    // False when there was no such value, or when its removal could not be persisted.
    bool DeleteValue(std::string_view keyPath, std::string_view name);

private:
    using Value = HiveValue;
    struct Key {
        std::string path; // as first written; lookups ignore letter case
        std::vector<std::pair<std::string, Value>> values;
    };
    // A change not yet in the file; replayed over the file's contents when they are reread.
    struct Change {
        std::string keyPath;
        std::optional<std::string> name; // std::nullopt: create the key only
        std::optional<Value> value;      // std::nullopt: delete the value
    };
    // What the file was when it was last read or written; another stamp means another writer.
    struct Stamp {
        bool exists = false;
        uint64_t device = 0, inode = 0, size = 0;
        int64_t modifiedNs = 0;
        bool operator==(const Stamp&) const = default;
    };

    void LoadOnce();
    Key* FindKey(std::string_view keyPath);
    Key& FindOrAddKey(std::string_view keyPath);
    const Value* FindValue(std::string_view keyPath, std::string_view name);
    void Apply(const Change& change);
    bool Store(std::string_view keyPath, std::string_view name, Value value);
    // Applies a change and writes the file; false when the file could not be written.
    bool Commit(Change change);
    bool Persist();
    Stamp CurrentStamp() const;

    std::filesystem::path file_;
    std::recursive_mutex mutex_;
    bool loaded_ = false;
    Stamp stamp_;
    std::vector<Key> keys_;
    std::vector<Change> unsaved_;
};
