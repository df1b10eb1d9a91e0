// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/SettingsHive.h"

#include "platform/AtomicFile.h"
#include "platform/IniText.h"
#include "platform/UserFolders.h"

#include <algorithm>
#include <sys/stat.h>
#include <system_error>

namespace {

constexpr std::string_view kFileComment =
    "; Kestrow settings. Values: dword:<hexadecimal> or sz:<text>; in names and texts \"\\\\\" is "
    "a backslash and \"\\xHH\" a byte.";

} // namespace

SettingsHive& SettingsHive::Instance() {
    static SettingsHive hive(UserConfigFolder().empty() ? std::filesystem::path()
                                                        : UserConfigFolder() / "registry.ini");
    return hive;
}

SettingsHive::SettingsHive(std::filesystem::path file) : file_(std::move(file)) {}

SettingsHive::Stamp SettingsHive::CurrentStamp() const {
    Stamp stamp;
    struct stat st {};
    if (!file_.empty() && ::stat(file_.c_str(), &st) == 0) {
        stamp.exists = true;
        stamp.device = st.st_dev;
        stamp.inode = st.st_ino;
        stamp.size = static_cast<uint64_t>(st.st_size);
        stamp.modifiedNs = static_cast<int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    }
    return stamp;
}

// Named for the first load; it also rereads the file whenever another writer replaced it.
void SettingsHive::LoadOnce() {
    if (!loaded_) {
        // A run killed while it wrote the file may have left its temporary file behind.
        RemoveStaleTemporaries(file_);
    }
    const Stamp now = CurrentStamp();
    if (loaded_ && now == stamp_) {
        return;
    }
    std::string bytes;
    const bool readable = now.exists && ReadWholeFile(file_, bytes);
    if (now.exists && !readable && loaded_) {
        return; // keep what we have rather than forget it
    }
    loaded_ = true;
    stamp_ = now;
    keys_.clear();
    const IniText ini = IniText::Parse(bytes);
    for (const IniText::Section& section : ini.Sections()) {
        if (!IsWritableIniSection(section.name)) {
            continue;
        }
        Key& key = FindOrAddKey(section.name);
        for (const IniText::Entry& entry : section.entries) {
            std::string name = DecodeHiveName(entry.key);
            const auto known = std::find_if(key.values.begin(), key.values.end(), [&](auto& v) {
                return IniNamesEqual(v.first, name);
            });
            if (known == key.values.end()) {
                key.values.emplace_back(std::move(name), DecodeHiveValue(entry.value));
            }
        }
    }
    for (const Change& change : unsaved_) {
        Apply(change);
    }
}

SettingsHive::Key* SettingsHive::FindKey(std::string_view keyPath) {
    for (Key& key : keys_) {
        if (IniNamesEqual(key.path, keyPath)) {
            return &key;
        }
    }
    return nullptr;
}

SettingsHive::Key& SettingsHive::FindOrAddKey(std::string_view keyPath) {
    if (Key* key = FindKey(keyPath)) {
        return *key;
    }
    keys_.push_back(Key{std::string(keyPath), {}});
    return keys_.back();
}

const SettingsHive::Value* SettingsHive::FindValue(std::string_view keyPath,
                                                   std::string_view name) {
    LoadOnce();
    if (const Key* key = FindKey(keyPath)) {
        for (const auto& [valueName, value] : key->values) {
            if (IniNamesEqual(valueName, name)) {
                return &value;
            }
        }
    }
    return nullptr;
}

void SettingsHive::Apply(const Change& change) {
    Key& key = FindOrAddKey(change.keyPath);
    if (!change.name) {
        return;
    }
    auto it = std::find_if(key.values.begin(), key.values.end(),
                           [&](auto& v) { return IniNamesEqual(v.first, *change.name); });
    if (!change.value) {
        if (it != key.values.end()) {
            key.values.erase(it);
        }
    } else if (it != key.values.end()) {
        it->second = *change.value;
    } else {
        key.values.emplace_back(*change.name, *change.value);
    }
}

bool SettingsHive::Commit(Change change) {
    Apply(change);
    unsaved_.push_back(std::move(change));
    if (!Persist()) {
        return false;
    }
    unsaved_.clear();
    return true;
}

bool SettingsHive::Persist() {
    if (file_.empty()) {
        return false;
    }
    std::string text(kFileComment);
    text += '\n';
    for (const Key& key : keys_) {
        text += "\n[" + key.path + "]\n";
        for (const auto& [name, value] : key.values) {
            text += EncodeHiveName(name) + "=" + EncodeHiveValue(value) + "\n";
        }
    }
    std::error_code ignored;
    std::filesystem::create_directories(file_.parent_path(), ignored);
    if (!WriteFileAtomically(file_, text)) {
        return false;
    }
    stamp_ = CurrentStamp();
    return true;
}

bool SettingsHive::CreateKey(std::string_view keyPath) {
    if (!IsWritableIniSection(keyPath)) {
        return false;
    }
    const std::lock_guard lock(mutex_);
    LoadOnce();
    if (FindKey(keyPath) && unsaved_.empty()) {
        return true;
    }
    return Commit(Change{std::string(keyPath), std::nullopt, std::nullopt});
}

HiveValueType SettingsHive::TypeOf(std::string_view keyPath, std::string_view name) {
    const std::lock_guard lock(mutex_);
    const Value* value = FindValue(keyPath, name);
    return value ? value->type : HiveValueType::Missing;
}

std::optional<uint32_t> SettingsHive::ReadDword(std::string_view keyPath, std::string_view name) {
    const std::lock_guard lock(mutex_);
    const Value* value = FindValue(keyPath, name);
    if (!value || value->type != HiveValueType::Dword) {
        return std::nullopt;
    }
    return value->dword;
}

std::optional<std::string> SettingsHive::ReadString(std::string_view keyPath,
                                                    std::string_view name) {
    const std::lock_guard lock(mutex_);
    const Value* value = FindValue(keyPath, name);
    if (!value || value->type != HiveValueType::String) {
        return std::nullopt;
    }
    return value->text;
}

std::vector<std::string> SettingsHive::ValueNames(std::string_view keyPath) {
    const std::lock_guard lock(mutex_);
    LoadOnce();
    std::vector<std::string> names;
    if (const Key* key = FindKey(keyPath)) {
        for (const auto& entry : key->values) {
            names.push_back(entry.first);
        }
    }
    return names;
}

bool SettingsHive::Store(std::string_view keyPath, std::string_view name, Value value) {
    if (!IsWritableIniSection(keyPath)) {
        return false;
    }
    const std::lock_guard lock(mutex_);
    const Value* existing = FindValue(keyPath, name);
    if (existing && *existing == value && unsaved_.empty()) {
        return true;
    }
    return Commit(Change{std::string(keyPath), std::string(name), std::move(value)});
}

bool SettingsHive::WriteDword(std::string_view keyPath, std::string_view name, uint32_t value) {
    return Store(keyPath, name, Value{HiveValueType::Dword, value, {}});
}

bool SettingsHive::WriteString(std::string_view keyPath, std::string_view name,
                               std::string_view value) {
    return Store(keyPath, name, Value{HiveValueType::String, 0, std::string(value)});
}

bool SettingsHive::DeleteValue(std::string_view keyPath, std::string_view name) {
    const std::lock_guard lock(mutex_);
    if (!FindValue(keyPath, name)) {
        return false;
    }
    return Commit(Change{std::string(keyPath), std::string(name), std::nullopt});
}
