// SPDX-License-Identifier: GPL-3.0-or-later
#include "model/UserColourFile.h"

#include "device/DeviceState.h"
#include "device/Protocol.h"
#include "model/Lighting.h"
#include "platform/AtomicFile.h"
#include "platform/ProfileString.h"
#include "platform/TextUtf.h"
#include "platform/UserFolders.h"

#include <cstdio>
#include <string>
#include <system_error>

const std::array<KeyColourSlotEntry, kKeyColourKeyCount> KeyColourSlotTable = {{
    {0x001, 0},   {0x029, 1},   {0x00F, 2},   {0x03A, 3},   {0x02A, 4},   {0x01D, 5},
    {0x03B, 7},   {0x002, 8},   {0x010, 9},   {0x01E, 10},  {0x056, 11},  {0x15B, 12},
    {0x03C, 14},  {0x003, 15},  {0x011, 16},  {0x01F, 17},  {0x02C, 18},  {0x038, 19},
    {0x03D, 21},  {0x004, 22},  {0x012, 23},  {0x020, 24},  {0x02D, 25},  {0x03E, 28},
    {0x005, 29},  {0x013, 30},  {0x021, 31},  {0x02E, 32},  {0x03F, 35},  {0x006, 36},
    {0x014, 37},  {0x022, 38},  {0x02F, 39},  {0x040, 42},  {0x007, 43},  {0x015, 44},
    {0x023, 45},  {0x030, 46},  {0x039, 47},  {0x041, 49},  {0x008, 50},  {0x016, 51},
    {0x024, 52},  {0x031, 53},  {0x042, 56},  {0x009, 57},  {0x017, 58},  {0x025, 59},
    {0x032, 60},  {0x043, 63},  {0x00A, 64},  {0x018, 65},  {0x026, 66},  {0x033, 67},
    {0x138, 68},  {0x044, 70},  {0x00B, 71},  {0x019, 72},  {0x027, 73},  {0x034, 74},
    {0x057, 77},  {0x00C, 78},  {0x01A, 79},  {0x028, 80},  {0x035, 81},  {0x15D, 82},
    {0x058, 84},  {0x00D, 85},  {0x01B, 86},  {0x02B, 87},  {0x073, 88},  {0x11D, 89},
    {0x137, 91},  {0x152, 92},  {0x153, 93},  {0x00E, 94},  {0x14B, 96},  {0x046, 98},
    {0x147, 99},  {0x14F, 100}, {0x148, 102}, {0x150, 103}, {0x145, 104}, {0x045, 105},
    {0x149, 106}, {0x151, 107}, {0x01C, 108}, {0x036, 109}, {0x14D, 110}, {0x135, 111},
    {0x053, 93},  {0x15C, 116}, {0x037, 116}, {0x04A, 116}, {0x04E, 116}, {0x11C, 116},
    {0x052, 116}, {0x04F, 116}, {0x050, 116}, {0x051, 116}, {0x04B, 116}, {0x04C, 116},
    {0x04D, 116}, {0x047, 116}, {0x048, 116}, {0x049, 116},
}};

int KeyColourIndex(KeyCode code) {
    for (size_t i = 0; i < KeyColourSlotTable.size(); ++i) {
        if (KeyColourSlotTable[i].code == code) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

int KeyColourSlot(KeyCode code) {
    const int index = KeyColourIndex(code);
    return index < 0 ? -1 : KeyColourSlotTable[static_cast<size_t>(index)].slot;
}

int LinkIndexSlot(int index) {
    if (index < 0 || index >= kLinkFlagCount) {
        return -1;
    }
    if (index < kKeyColourKeyCount) {
        return KeyColourSlotTable[static_cast<size_t>(index)].slot;
    }
    return index == kFnLinkIndex ? kFnColourSlot : kGKeyColourSlot;
}

namespace {

constexpr std::string_view kPresentSection = "PRESENTMODE";
constexpr std::string_view kNameSection = "MODENAME";
// Anything larger is no colour file; the template is some 40 KB.
constexpr uintmax_t kMaxColourFileSize = 4u << 20;

bool ValidProfile(int p) {
    return p >= 0 && p < 3;
}
bool ValidMode(int mode) {
    return mode >= 0 && mode < kUserModeCount;
}
bool ValidSlot(int slot) {
    return slot >= 0 && slot < kKeyColourSlotLimit;
}

std::string ModeSection(int mode) {
    char name[24];
    std::snprintf(name, sizeof name, "Mode%d", mode);
    return name;
}
std::string Decimal(int n) {
    char text[16];
    std::snprintf(text, sizeof text, "%d", n);
    return text;
}

// Exactly `out.size()` decimal integers (optional sign) separated by commas, blanks allowed
// around each number; nothing else.
bool ParseNumbers(std::string_view text, std::span<int> out) {
    size_t at = 0;
    const auto skipBlanks = [&] {
        while (at < text.size() && (text[at] == ' ' || text[at] == '\t')) {
            ++at;
        }
    };
    for (size_t i = 0; i < out.size(); ++i) {
        if (i > 0) {
            if (at >= text.size() || text[at] != ',') {
                return false;
            }
            ++at;
        }
        skipBlanks();
        bool negative = false;
        if (at < text.size() && (text[at] == '-' || text[at] == '+')) {
            negative = text[at] == '-';
            ++at;
        }
        const size_t digits = at;
        long long value = 0;
        while (at < text.size() && text[at] >= '0' && text[at] <= '9') {
            value = value * 10 + (text[at] - '0');
            if (value > 0x7FFFFFFF) {
                return false;
            }
            ++at;
        }
        if (at == digits) {
            return false;
        }
        out[i] = static_cast<int>(negative ? -value : value);
        skipBlanks();
    }
    return at == text.size();
}

bool ColourFromNumbers(std::span<const int> rgb, uint32_t& colour) {
    for (int c : rgb) {
        if (c < 0 || c > 255) {
            return false;
        }
    }
    colour = PackColour(static_cast<uint8_t>(rgb[0]), static_cast<uint8_t>(rgb[1]),
                        static_cast<uint8_t>(rgb[2]));
    return true;
}

// The values as the file holds them; std::nullopt for a missing key. Each gives the default
// of its key when missing or unusable.
int ModeFromText(const std::optional<std::string>& text) {
    int mode[1] = {0};
    return text && ParseNumbers(*text, mode) && ValidMode(mode[0]) ? mode[0] : 0;
}

std::string NameFromText(const std::optional<std::string>& text) {
    return text ? *text : std::string("0");
}

KeyColourEntry EntryFromText(const std::optional<std::string>& text, bool* usable) {
    int numbers[4] = {};
    KeyColourEntry entry;
    const bool ok = text && ParseNumbers(*text, numbers) &&
                    ColourFromNumbers(std::span<const int>(numbers, 3), entry.colour);
    if (usable != nullptr) {
        *usable = ok;
    }
    if (!ok) {
        return kDefaultKeyColourEntry;
    }
    entry.linked = numbers[3] != 0;
    return entry;
}

uint32_t ColourFromText(const std::optional<std::string>& text) {
    int numbers[3] = {};
    uint32_t colour = 0;
    return text && ParseNumbers(*text, numbers) && ColourFromNumbers(numbers, colour) ? colour : 0;
}

int ToolFromText(const std::optional<std::string>& text) {
    int tool[1] = {0};
    return text && ParseNumbers(*text, tool) && (tool[0] == 0 || tool[0] == 1) ? tool[0] : 0;
}

std::string EntryText(const KeyColourEntry& entry) {
    char text[48];
    std::snprintf(text, sizeof text, "%d,%d,%d,%d", static_cast<int>(entry.colour & 0xFF),
                  static_cast<int>((entry.colour >> 8) & 0xFF),
                  static_cast<int>((entry.colour >> 16) & 0xFF), entry.linked ? 1 : 0);
    return text;
}
std::string ColourText(uint32_t colour) {
    char text[40];
    std::snprintf(text, sizeof text, "%d,%d,%d", static_cast<int>(colour & 0xFF),
                  static_cast<int>((colour >> 8) & 0xFF), static_cast<int>((colour >> 16) & 0xFF));
    return text;
}

// GetPrivateProfileString with a missing key told apart from any value: a marker default that
// no value the program reads could be.
constexpr std::string_view kMissing = "\x01missing\x01";
std::optional<std::string> ReadValue(int p, std::string_view section, std::string_view key) {
    if (!ValidProfile(p)) {
        return std::nullopt;
    }
    std::string value = GetPrivateProfileString(section, key, kMissing, UserColourFilePath(p));
    if (value == kMissing) {
        return std::nullopt;
    }
    return value;
}

bool WriteValue(int p, std::string_view section, std::string_view key, std::string_view value) {
    return ValidProfile(p) && WritePrivateProfileString(section, key, value, UserColourFilePath(p));
}

} // namespace

std::filesystem::path UserColourFileName(int profile) {
    return "UserDengColor_" + std::to_string(profile) + ".userd";
}

std::filesystem::path UserColourFilePath(int profile) {
    return UserDataFolder() / UserColourFileName(profile);
}

std::filesystem::path UserColourBackupPath(int profile) {
    std::filesystem::path path = UserColourFilePath(profile);
    path += ".bak";
    return path;
}

std::filesystem::path UserColourTemplatePath() {
    return ProgramFolder() / "Skins" / "UserDengColor_3.userd";
}

UserColourFile UserColourFile::Read(const std::filesystem::path& file) {
    // Only a regular file of sensible size: a FIFO or a device would never end.
    std::error_code error;
    if (!std::filesystem::is_regular_file(file, error) ||
        std::filesystem::file_size(file, error) > kMaxColourFileSize || error) {
        return FromBytes(std::nullopt);
    }
    std::string bytes;
    if (!ReadWholeFile(file, bytes) || bytes.size() > kMaxColourFileSize) {
        return FromBytes(std::nullopt);
    }
    return FromBytes(bytes);
}

UserColourFile UserColourFile::FromBytes(std::optional<std::string_view> bytes) {
    UserColourFile file;
    if (bytes) {
        file.ini_ = IniText::Parse(*bytes);
    }
    return file;
}

std::optional<std::string> UserColourFile::Find(std::string_view section,
                                                std::string_view key) const {
    if (!ini_) {
        return std::nullopt;
    }
    std::optional<std::string> value = ini_->Find(section, key);
    if (value) {
        // Cut as GetPrivateProfileString's 260-unit buffer cuts it.
        *value = TruncateToUtf16Units(*value, 259);
    }
    return value;
}

bool UserColourFile::HasMode(int mode) const {
    if (!ini_ || !ValidMode(mode)) {
        return false;
    }
    const std::string section = ModeSection(mode);
    for (const IniText::Section& s : ini_->Sections()) {
        if (IniNamesEqual(s.name, section)) {
            return true;
        }
    }
    return false;
}

int UserColourFile::SelectedMode() const {
    return ModeFromText(Find(kPresentSection, "mode"));
}

std::string UserColourFile::ModeName(int mode) const {
    return NameFromText(Find(kNameSection, Decimal(mode)));
}

KeyColourEntry UserColourFile::KeyEntry(int mode, int slot, bool* usable) const {
    return EntryFromText(Find(ModeSection(mode), Decimal(slot)), usable);
}

UserModeSettings UserColourFile::ModeSettings(int mode) const {
    const std::string section = ModeSection(mode);
    return {ToolFromText(Find(section, "tool")), ColourFromText(Find(section, "jcolor")),
            ColourFromText(Find(section, "color"))};
}

int ReadSelectedMode(int p) {
    return ModeFromText(ReadValue(p, kPresentSection, "mode"));
}

bool WriteSelectedMode(int p, int mode) {
    return ValidMode(mode) && WriteValue(p, kPresentSection, "mode", Decimal(mode));
}

std::string ReadModeName(int p, int n) {
    return NameFromText(ReadValue(p, kNameSection, Decimal(n)));
}

bool WriteModeName(int p, int n, std::string_view text) {
    return ValidMode(n) && WriteValue(p, kNameSection, Decimal(n), text);
}

KeyColourEntry ReadKeyEntry(int p, int mode, int slot) {
    return EntryFromText(ReadValue(p, ModeSection(mode), Decimal(slot)), nullptr);
}

bool WriteKeyEntry(int p, int mode, int slot, uint32_t colour, bool linked) {
    return ValidMode(mode) && ValidSlot(slot) &&
           WriteValue(p, ModeSection(mode), Decimal(slot), EntryText({colour, linked}));
}

bool WriteKeyEntries(int p, int mode, std::span<const SlotColourEntry> entries) {
    if (!ValidProfile(p) || !ValidMode(mode)) {
        return false;
    }
    for (const SlotColourEntry& e : entries) {
        if (!ValidSlot(e.slot)) {
            return false;
        }
    }
    const std::filesystem::path file = UserColourFilePath(p);
    std::string bytes;
    if (!ReadWholeFile(file, bytes)) {
        // As WritePrivateProfileString: only a missing file may start empty.
        std::error_code error;
        if (std::filesystem::symlink_status(file, error).type() !=
            std::filesystem::file_type::not_found) {
            return false;
        }
        bytes.clear();
    }
    IniText ini = IniText::Parse(bytes);
    const std::string section = ModeSection(mode);
    bool changed = false;
    for (const SlotColourEntry& e : entries) {
        changed |= ini.Set(section, Decimal(e.slot), EntryText(e.entry)) == IniText::Edit::Changed;
    }
    return !changed || WriteFileAtomically(file, ini.Serialize());
}

UserModeSettings ReadModeSettings(int p, int mode) {
    const std::string section = ModeSection(mode);
    return {ToolFromText(ReadValue(p, section, "tool")),
            ColourFromText(ReadValue(p, section, "jcolor")),
            ColourFromText(ReadValue(p, section, "color"))};
}

bool WriteModeSettings(int p, int mode, const UserModeSettings& settings) {
    if (!ValidMode(mode) || (settings.tool != 0 && settings.tool != 1)) {
        return false;
    }
    const std::string section = ModeSection(mode);
    // All three are attempted, whatever happens to the first.
    const bool tool = WriteValue(p, section, "tool", Decimal(settings.tool));
    const bool base = WriteValue(p, section, "jcolor", ColourText(settings.baseColour));
    const bool paint = WriteValue(p, section, "color", ColourText(settings.paintColour));
    return tool && base && paint;
}

UserColourState& UserColours() {
    static UserColourState state;
    return state;
}

int LoadModeColours(const UserColourFile& file, int profile, int mode) {
    if (!ValidProfile(profile) || !ValidMode(mode)) {
        return -1;
    }
    auto& bank = Lighting().keyColourBanks[static_cast<size_t>(profile)];
    auto& linked = UserColours().linked[static_cast<size_t>(profile)];
    int unusable = 0;
    // Slots shared by several keys are read once per key; they all get the same entry.
    KeyColourEntry gEntry;
    for (int i = 0; i < kFirstGKeyLinkIndex + 1; ++i) {
        const int slot = LinkIndexSlot(i);
        bool usable = true;
        const KeyColourEntry entry = file.KeyEntry(mode, slot, &usable);
        unusable += usable ? 0 : 1;
        const size_t at = 3 * static_cast<size_t>(slot);
        bank[at] = static_cast<uint8_t>(entry.colour & 0xFF);
        bank[at + 1] = static_cast<uint8_t>((entry.colour >> 8) & 0xFF);
        bank[at + 2] = static_cast<uint8_t>((entry.colour >> 16) & 0xFF);
        linked[static_cast<size_t>(i)] = entry.linked;
        if (i == kFirstGKeyLinkIndex) {
            gEntry = entry;
        }
    }
    for (int g = 1; g < kGKeyColourCount; ++g) {
        linked[static_cast<size_t>(kFirstGKeyLinkIndex + g)] = gEntry.linked;
    }
    return unusable;
}

int LoadUserMode(bool upload) {
    const int p = DeviceState().CurrentProfile.load();
    if (!ValidProfile(p)) {
        return kCmdBadProfile;
    }
    const UserColourFile file = UserColourFile::Read(UserColourFilePath(p));
    UserColourState& state = UserColours();
    state.currentMode = file.SelectedMode();
    state.settings = file.ModeSettings(state.currentMode);
    state.loaded = state.settings;
    LoadModeColours(file, p, state.currentMode);
    return upload ? UploadKeyColours() : kCmdOk;
}

void RebuildLinkFlags() {
    UserColourState& state = UserColours();
    const uint32_t base = state.loaded.baseColour;
    for (size_t p = 0; p < state.linked.size(); ++p) {
        const auto& bank = Lighting().keyColourBanks[p];
        for (int i = 0; i < kLinkFlagCount; ++i) {
            const size_t at = 3 * static_cast<size_t>(LinkIndexSlot(i));
            state.linked[p][static_cast<size_t>(i)] =
                PackColour(bank[at], bank[at + 1], bank[at + 2]) == base;
        }
    }
}

bool ResetUserColourFile(int p) {
    if (!ValidProfile(p)) {
        return false;
    }
    std::string bytes;
    if (!ReadWholeFile(UserColourTemplatePath(), bytes)) {
        return false;
    }
    const std::filesystem::path file = UserColourFilePath(p);
    std::string current;
    if (ReadWholeFile(file, current) && current != bytes &&
        !WriteFileAtomically(UserColourBackupPath(p), current)) {
        return false;
    }
    return WriteFileAtomically(file, bytes);
}
