// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The user colour modes: ten named per-key colour layouts per profile, kept on the computer in
// "UserDengColor_<profile>.userd" in the user data folder (an INI file, every value text), and
// the key-slot numbering that ties the key map's keys to the per-key colour banks. The keyboard
// only ever holds the colours of the mode last uploaded.
//
// File layout (section, key: value as written; the default when missing or unusable):
//   [PRESENTMODE] mode: the selected mode 0..9                              "0"
//   [MODENAME]    0..9: the mode's display name                             "0"
//   [Mode<n>]     <slot>: red,green,blue,link flag                          "255,0,0,1"
//                 tool: painting tool, 0 paint colour or 1 base colour      "0"
//                 jcolor: base colour red,green,blue                        "0,0,0"
//                 color: paint colour red,green,blue                        "0,0,0"
// A value is unusable when it is not the comma-separated decimal numbers its format asks for,
// or names a mode, tool or colour component out of range; it then reads as its default. A
// link flag other than 0 counts as 1.

#include "model/KeyCodeTables.h"
#include "platform/IniText.h"

#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>

inline constexpr int kUserModeCount = 10;
inline constexpr int kKeyColourKeyCount = 106;
inline constexpr int kFnColourSlot = 75;
inline constexpr int kGKeyColourSlot = 125; // G1..G9 share it
inline constexpr int kGKeyColourCount = 9;

// Slots whose three bytes lie inside a 512-byte bank.
inline constexpr int kKeyColourSlotLimit = 512 / 3;

// The colour slot of each of the key map's 106 keys (slot = 7 x matrix column + row). Some keys
// share a slot: Delete and keypad "."; right Win and the keypad's *, -, +, Enter and 0..9.
struct KeyColourSlotEntry {
    KeyCode code;
    uint8_t slot;
};
extern const std::array<KeyColourSlotEntry, kKeyColourKeyCount> KeyColourSlotTable;

// The slot of a key of the key map; -1 for keys without a button there.
int KeyColourSlot(KeyCode code);
// The key's place in KeyColourSlotTable, which is also its link index (below); -1 for keys
// without a button.
int KeyColourIndex(KeyCode code);

// The buttons that carry a link flag: the 106 keys in KeyColourSlotTable order, then Fn, then
// G1..G9.
inline constexpr int kFnLinkIndex = kKeyColourKeyCount;
inline constexpr int kFirstGKeyLinkIndex = kFnLinkIndex + 1;
inline constexpr int kLinkFlagCount = kFirstGKeyLinkIndex + kGKeyColourCount;
// The colour slot of a link index; -1 outside 0..kLinkFlagCount - 1.
int LinkIndexSlot(int index);

// One key's entry: its colour (red in the low byte) and whether it follows the base colour.
struct KeyColourEntry {
    uint32_t colour = 0;
    bool linked = false;
    bool operator==(const KeyColourEntry&) const = default;
};
inline constexpr KeyColourEntry kDefaultKeyColourEntry{0x0000FF, true}; // red, linked

// The per-mode settings: painting tool (0 paint colour, 1 base colour), base and paint colour.
struct UserModeSettings {
    int tool = 0;
    uint32_t baseColour = 0;
    uint32_t paintColour = 0;
    bool operator==(const UserModeSettings&) const = default;
};

// "UserDengColor_<profile>.userd": the name of profile's user colour file.
std::filesystem::path UserColourFileName(int profile);
// UserColourFileName(profile) in UserDataFolder().
std::filesystem::path UserColourFilePath(int profile);
// Skins/UserDengColor_3.userd in ProgramFolder().
std::filesystem::path UserColourTemplatePath();

// One reading of a colour file, for looking many values up at once. The lookups are those of
// GetPrivateProfileString on the file as it was read.
class UserColourFile {
public:
    static UserColourFile Read(const std::filesystem::path& file);
    // std::nullopt: no file (every lookup gives its default).
    static UserColourFile FromBytes(std::optional<std::string_view> bytes);

    // False when the file could not be read, is no regular file or is larger than 4 MiB (the
    // template is some 40 KB): its lookups then give the defaults.
    bool Readable() const { return ini_.has_value(); }
    // Whether section "Mode<mode>" is there (its entries may still be missing).
    bool HasMode(int mode) const;

    int SelectedMode() const;
    std::string ModeName(int mode) const;
    // `usable`, when given, is set to false when the entry is missing or unusable.
    KeyColourEntry KeyEntry(int mode, int slot, bool* usable = nullptr) const;
    UserModeSettings ModeSettings(int mode) const;

private:
    std::optional<std::string> Find(std::string_view section, std::string_view key) const;

    std::optional<IniText> ini_; // parsed once; empty when there is no file
};

// Single reads and writes of profile p's file (0..2; other numbers read defaults and write
// nothing). Writes create the file when needed and replace it atomically; false when nothing
// could be written or an argument is out of range (mode 0..9, slot 0..169, tool 0..1).
int ReadSelectedMode(int p);
bool WriteSelectedMode(int p, int mode);
std::string ReadModeName(int p, int n);
bool WriteModeName(int p, int n, std::string_view text);
KeyColourEntry ReadKeyEntry(int p, int mode, int slot);
bool WriteKeyEntry(int p, int mode, int slot, uint32_t colour, bool linked);
// Many entries of one mode in one rewrite of the file (a base colour change touches every
// linked key).
struct SlotColourEntry {
    int slot;
    KeyColourEntry entry;
};
bool WriteKeyEntries(int p, int mode, std::span<const SlotColourEntry> entries);
UserModeSettings ReadModeSettings(int p, int mode);
// Writes "tool", "jcolor" and "color", in that order.
bool WriteModeSettings(int p, int mode, const UserModeSettings& settings);

// The user colour state of the lighting panel, for CurrentProfile: the selected mode and its
// settings, the settings as last loaded (what the controls show after a refresh), and the link
// flag of every button in every profile.
struct UserColourState {
    int currentMode = 0;
    UserModeSettings settings;
    UserModeSettings loaded;
    std::array<std::array<bool, kLinkFlagCount>, 3> linked{};
};
UserColourState& UserColours();

// Puts mode `mode` of file into profile's bank copy (Lighting().keyColourBanks) and link
// flags: the 106 keys, Fn, and the G keys (slot 125 is read too, so their colour survives a
// restart). Entries that are missing or unusable give red and linked. Returns how many of the
// entries read were missing or unusable; -1 when profile is not 0..2 (nothing changes).
int LoadModeColours(const UserColourFile& file, int profile, int mode);

// Loads the selected mode of CurrentProfile's file into the state and the bank copy, then,
// with upload, sends the bank (UploadKeyColours). 1 when loaded (and, with upload, sent), the
// upload's result when it failed; -201 when CurrentProfile names no profile (nothing changes or
// is sent).
int LoadUserMode(bool upload);

// After the keyboard-ready reload: in every profile, a button is linked exactly when its slot's
// colour in that profile's bank copy is the loaded base colour.
void RebuildLinkFlags();

// "UserDengColor_<profile>.userd.bak" beside the file: what the last reset replaced.
std::filesystem::path UserColourBackupPath(int profile);

// Copies the template over profile p's file, atomically. A file that differs from the template
// is first kept as the profile's backup (replacing an older one), so that a painted layout is
// never lost without a way back. False, with the file as it was, when the template cannot be
// read, the backup or the file cannot be written.
bool ResetUserColourFile(int p);
