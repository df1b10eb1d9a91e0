// SPDX-License-Identifier: GPL-3.0-or-later
#include "model/KeyCodeTables.h"

#include "platform/TextUtf.h"
#include "skin/Language.h"

#include <optional>

namespace {

// One line of KeyTableRows.inc, in the order its columns are written.
struct NamedKeyRow {
    KeyCode code;
    std::string_view label;
    uint8_t vk;
    uint8_t usage;
    uint16_t listPosition;
    std::string_view nameKey;
    std::optional<uint8_t> vk2 = std::nullopt; // only where it differs from vk
};

constexpr NamedKeyRow kNamedRows[] = {
#include "model/KeyTableRows.inc"
};

constexpr bool HasRow(KeyCode code) {
    return (code >= 0x001 && code <= 0x07F) || (code >= 0x100 && code <= 0x17F);
}

constexpr bool NamedRowsSortedAndInRange() {
    KeyCode previous = 0;
    for (const NamedKeyRow& row : kNamedRows) {
        if (!HasRow(row.code) || row.code <= previous) {
            return false;
        }
        previous = row.code;
    }
    return true;
}

// A row out of order or outside the code space would silently overwrite another key's row.
static_assert(NamedRowsSortedAndInRange(), "named key rows must be sorted by code, one per code");
static_assert(std::size(kNamedRows) == 157);

constexpr std::array<KeyTableRow, kKeyTableSize> BuildKeyTable() {
    std::array<KeyTableRow, kKeyTableSize> table{};
    for (const NamedKeyRow& named : kNamedRows) {
        KeyTableRow& row = table[static_cast<size_t>(KeyCodeToIndex(named.code))];
        row.vk = named.vk;
        row.listPosition = named.listPosition;
        row.label = named.label;
        row.vk2 = named.vk2.value_or(named.vk);
        row.usage = named.usage;
        row.nameKey = named.nameKey;
    }
    return table;
}

constexpr uint8_t IndexOf(KeyCode code) {
    return static_cast<uint8_t>(KeyCodeToIndex(code));
}

constexpr std::array<uint8_t, 256>
BuildVkKeyMap(const std::array<KeyTableRow, kKeyTableSize>& table) {
    std::array<uint8_t, 256> map{};
    // The VK column first: a key's own code beats a keypad key's Num Lock-off code, so the
    // navigation codes reach the E0 navigation keys. Within a column the first row wins (main
    // Enter before keypad Enter, 0x036 before 0x136).
    for (size_t i = 0; i < kKeyTableSize; ++i) {
        if (map[table[i].vk] == 0) {
            map[table[i].vk] = static_cast<uint8_t>(i);
        }
    }
    for (size_t i = 0; i < kKeyTableSize; ++i) {
        if (map[table[i].vk2] == 0) {
            map[table[i].vk2] = static_cast<uint8_t>(i);
        }
    }
    map[0x2C] = IndexOf(0x137); // VK_SNAPSHOT: Print Screen, not Sys Req
    // The side-neutral modifier codes, which no row carries, give the left keys.
    map[0x10] = IndexOf(0x02A);
    map[0x11] = IndexOf(0x01D);
    map[0x12] = IndexOf(0x038);
    // No key for: nothing (0 and the "none" code 0xFF), the mouse buttons, VK_CLEAR.
    for (const size_t vk : {0x00u, 0x01u, 0x02u, 0x04u, 0x0Cu, 0xFFu}) {
        map[vk] = 0;
    }
    return map;
}

std::string NameOfRow(const KeyTableRow& row, int languageIndex) {
    if (row.nameKey.empty()) {
        return {};
    }
    return LangText(row.nameKey, languageIndex);
}

} // namespace

constexpr std::array<KeyTableRow, kKeyTableSize> KeyTable = BuildKeyTable();

static_assert(KeyTable[0].listPosition == kNoListPosition && KeyTable[0].vk == 0 &&
              KeyTable[0].usage == 0 && KeyTable[0].nameKey.empty());

constexpr std::array<uint8_t, 256> VkKeyMap = BuildVkKeyMap(KeyTable);

constexpr std::array<uint16_t, 32> ConsumerUsageTable = {
    0x0E9, // volume up
    0x0EA, // volume down
    0x183, // media player
    0x18A, // mail
    0x192, // calculator
    0x194, // my computer
    0x221, // search
    0x223, // home
    0x224, // back
    0x225, // forward
    0x226, // stop
    0x227, // refresh
    0x22A, // favourites
    0x0E2, // mute
    0x0CD, // play/pause
    0x0B7, // stop
    0x0B6, // previous track
    0x0B5, // next track
};

const KeyTableRow* KeyRowFromCode(KeyCode code) {
    if (code < 0x080 || (code >= 0x100 && code < 0x180)) {
        return &KeyTable[static_cast<size_t>(KeyCodeToIndex(code))];
    }
    return nullptr;
}

KeyCode KeyCodeFromPosition(int position) {
    if (position < 0 || position >= kNotListed) {
        return 0;
    }
    for (size_t i = 0; i < kKeyTableSize; ++i) {
        if (KeyTable[i].listPosition == position) {
            return IndexToKeyCode(static_cast<int>(i));
        }
    }
    return 0;
}

uint16_t PositionFromKeyCode(KeyCode code) {
    const KeyTableRow* row = KeyRowFromCode(code);
    return row ? row->listPosition : kNoListPosition;
}

std::string KeyNameFromCode(KeyCode code, size_t bufferUnits) {
    if (bufferUnits == 0) {
        return {};
    }
    const int language = CurrentLanguageIndex();
    const KeyTableRow* row = KeyRowFromCode(code);
    std::string name = row ? NameOfRow(*row, language) : std::string();
    if (name.empty()) {
        name = FormatLangText(LangText("UNKNOWN_KEY", language), code);
    }
    return TruncateToUtf16Units(name, bufferUnits - 1);
}

std::string KeyNameFromPosition(int position) {
    const KeyCode code = KeyCodeFromPosition(position);
    if (code == 0) {
        return {};
    }
    return NameOfRow(*KeyRowFromCode(code), CurrentLanguageIndex());
}

KeyAction KeyActionFromCode(KeyCode code) {
    const KeyTableRow* row = KeyRowFromCode(code);
    const uint8_t usage = row ? row->usage : 0;
    if (usage == 0 || usage == 0xFF) {
        return {};
    }
    if (usage >= 0x81 && usage <= 0x83) {
        return {KeyAction::kSystem, usage};
    }
    if (usage >= 0xF1 && usage <= 0xF8) {
        return {KeyAction::kMouse, usage};
    }
    return {KeyAction::kKeyboard, usage};
}

KeyCode KeyCodeFromAction(KeyAction action) {
    unsigned usage = 0;
    switch (action.kind) {
    case KeyAction::kKeyboard:
        usage = action.value;
        break;
    case KeyAction::kSystem:
        usage = action.value >= 0x81 && action.value <= 0x83 ? action.value : 0;
        break;
    case KeyAction::kConsumer:
        for (size_t i = 0; i < ConsumerUsageTable.size(); ++i) {
            if (ConsumerUsageTable[i] == action.value) {
                usage = kConsumerPseudoUsageBase + static_cast<unsigned>(i);
                break;
            }
        }
        break;
    default:
        break;
    }
    // Usage 0 would find the empty row 0, which is no key anyway. A value above 0xFF matches no
    // row rather than the row of its low byte.
    if (usage == 0) {
        return 0;
    }
    for (size_t i = 0; i < kKeyTableSize; ++i) {
        if (KeyTable[i].usage == usage) {
            return IndexToKeyCode(static_cast<int>(i));
        }
    }
    return 0;
}

KeyCode KeyCodeFromVk(unsigned vk) {
    if (vk >= VkKeyMap.size()) {
        return 0;
    }
    return IndexToKeyCode(VkKeyMap[vk]);
}
