#pragma once

// The per-user settings store that stands in for the registry below HKEY_CURRENT_USER: one INI
// file, $XDG_CONFIG_HOME/Halvex  KB01/registry.ini, one section per key path (for example
// "Software\Halvex  KB01"), typed values. Every write replaces the file atomically; when the
// file cannot be written the value is still kept in memory, for this run only.

#include <cstdint>
#include <filesystem>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

enum class HiveValueType { Missing, Dword, String };

class SettingsHive {
public:
    // The process-wide hive in the user's configuration folder.
    static SettingsHive& Instance();

    explicit SettingsHive(std::filesystem::path file);

    const std::filesystem::path& File() const { return file_; }

    // Opens or creates a key; false when it could not be persisted.
    bool CreateKey(std::string_view keyPath);

    HiveValueType TypeOf(std::string_view keyPath, std::string_view name);
    std::optional<uint32_t> ReadDword(std::string_view keyPath, std::string_view name);
    std::optional<std::string> ReadString(std::string_view keyPath, std::string_view name);
    std::vector<std::string> ValueNames(std::string_view keyPath);

    // False when the value could not be persisted; it is kept for this run either way.
    bool WriteDword(std::string_view keyPath, std::string_view name, uint32_t value);
    bool WriteString(std::string_view keyPath, std::string_view name, std::string_view value);
    bool DeleteValue(std::string_view keyPath, std::string_view name);

private:
    struct Value {
        HiveValueType type = HiveValueType::Missing;
        uint32_t dword = 0;
        std::string text;
    };
    struct Key {
        std::string path; // as first written; lookups ignore letter case
        std::vector<std::pair<std::string, Value>> values;
    };

    void LoadOnce();
    Key* FindKey(std::string_view keyPath);
    Key& FindOrAddKey(std::string_view keyPath);
    bool Persist();

    std::filesystem::path file_;
    std::recursive_mutex mutex_;
    bool loaded_ = false;
    std::vector<Key> keys_;
};
