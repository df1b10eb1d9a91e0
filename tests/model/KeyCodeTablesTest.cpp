// SPDX-License-Identifier: GPL-3.0-or-later
#include "model/KeyCodeTables.h"

#include "support/TempDir.h"

#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <map>
#include <set>
#include <sstream>
#include <vector>

namespace {

std::vector<KeyCode> NamedCodes() {
    std::vector<KeyCode> codes;
    for (int i = 0; i < static_cast<int>(kKeyTableSize); ++i) {
        if (!KeyTable[static_cast<size_t>(i)].label.empty()) {
            codes.push_back(IndexToKeyCode(i));
        }
    }
    return codes;
}

const KeyTableRow& Row(KeyCode code) {
    return *KeyRowFromCode(code);
}

std::string_view LabelAt(int position) {
    const KeyCode code = KeyCodeFromPosition(position);
    return code == 0 ? std::string_view("(none)") : Row(code).label;
}

} // namespace

TEST(KeyCodeIndex, ConvertsBothWaysAndKeepsGKeyRecordsBeyondTheTable) {
    EXPECT_EQ(KeyCodeToIndex(0x11D), 0x9D);
    EXPECT_EQ(IndexToKeyCode(0x9D), 0x11D);
    for (int code = 0; code < 0x80; ++code) {
        EXPECT_EQ(KeyCodeToIndex(static_cast<KeyCode>(code)), code);
        EXPECT_EQ(IndexToKeyCode(code), code);
    }
    for (int index = 0; index < 256; ++index) {
        EXPECT_EQ(KeyCodeToIndex(IndexToKeyCode(index)), index);
    }
    EXPECT_EQ(KeyCodeToIndex(0x200), 0x100); // G1, record 256
    EXPECT_EQ(KeyCodeToIndex(0x211), 273);   // G18
    EXPECT_GE(KeyCodeToIndex(0x180), 256);   // no row: never a table index
    EXPECT_EQ(IndexToKeyCode(-1), 0);
    EXPECT_EQ(IndexToKeyCode(256), 0);
}

TEST(KeyCodeIndex, CodesWithoutARowNeverBorrowAnother) {
    // 0x09D shares its index with Right Ctrl 0x11D; 0x200 lies beyond the table.
    for (const KeyCode code :
         std::vector<KeyCode>{0x09D, 0x0FF, 0x180, 0x1FF, 0x200, 0x211, 0xFFFF}) {
        EXPECT_EQ(KeyRowFromCode(code), nullptr) << code;
        EXPECT_EQ(PositionFromKeyCode(code), kNoListPosition) << code;
        EXPECT_EQ(KeyActionFromCode(code), KeyAction{}) << code;
    }
    EXPECT_EQ(KeyRowFromCode(0x11D)->label, "Right Ctrl");
}

TEST(KeyTableData, EmptyRowsAreBlankAndNamedRowsAreComplete) {
    EXPECT_EQ(NamedCodes().size(), 157u);
    std::map<std::string_view, int> nameKeys;
    for (const KeyTableRow& row : KeyTable) {
        if (row.label.empty()) {
            EXPECT_EQ(row.vk | row.vk2 | row.usage | row.internalKey | row.charClass, 0);
            EXPECT_TRUE(row.nameKey.empty());
            EXPECT_EQ(row.listPosition, kNoListPosition);
        } else if (!row.nameKey.empty()) {
            ++nameKeys[row.nameKey];
        }
    }
    for (const auto& [key, count] : nameKeys) {
        EXPECT_EQ(count, key == "IDS_KEYBOARD_RSHIFT" ? 2 : 1) << key;
    }
    EXPECT_EQ(nameKeys.size(), 155u); // every named row but F13, Right Shift counted once
    EXPECT_TRUE(Row(0x064).nameKey.empty());
}

TEST(KeyTableData, UsageBytesAreUniqueExceptTheSharedOnes) {
    std::map<uint8_t, std::vector<KeyCode>> byUsage;
    for (const KeyCode code : NamedCodes()) {
        if (Row(code).usage != 0) {
            byUsage[Row(code).usage].push_back(code);
        }
    }
    for (const auto& [usage, codes] : byUsage) {
        if (usage == 0x48) {
            EXPECT_EQ(codes, (std::vector<KeyCode>{0x045, 0x146})); // Pause, Break
        } else if (usage == 0xE5) {
            EXPECT_EQ(codes, (std::vector<KeyCode>{0x036, 0x136})); // Right Shift twice
        } else {
            EXPECT_EQ(codes.size(), 1u) << "usage " << int(usage);
        }
    }
}

TEST(KeyTableData, LettersDigitsAndFunctionKeysFollowTheirStandardCodes) {
    // HID and virtual-key codes run alphabetically and numerically, like the list positions.
    for (int i = 0; i < 26; ++i) {
        EXPECT_EQ(Row(KeyCodeFromPosition(i)).usage, 0x04 + i) << i;
        EXPECT_EQ(Row(KeyCodeFromPosition(i)).vk, 'A' + i) << i;
    }
    for (int i = 0; i < 10; ++i) {
        EXPECT_EQ(Row(KeyCodeFromPosition(26 + i)).usage, 0x1E + i) << i;
        EXPECT_EQ(Row(KeyCodeFromPosition(26 + i)).vk, i == 9 ? '0' : '1' + i) << i;
    }
    for (int i = 0; i < 12; ++i) {
        EXPECT_EQ(Row(KeyCodeFromPosition(52 + i)).usage, 0x3A + i) << i;
        EXPECT_EQ(Row(KeyCodeFromPosition(52 + i)).vk, 0x70 + i) << i;
    }
}

TEST(KeyTableData, KeypadRowsCarryTheirNumLockOffCodes) {
    const std::map<KeyCode, uint8_t> numLockOff = {
        {0x047, Row(0x147).vk}, {0x048, Row(0x148).vk}, {0x049, Row(0x149).vk},
        {0x04B, Row(0x14B).vk}, {0x04C, 0x0C},          {0x04D, Row(0x14D).vk},
        {0x04F, Row(0x14F).vk}, {0x050, Row(0x150).vk}, {0x051, Row(0x151).vk},
        {0x052, Row(0x152).vk}, {0x053, Row(0x153).vk}};
    for (const KeyCode code : NamedCodes()) {
        const auto it = numLockOff.find(code);
        EXPECT_EQ(Row(code).vk2, it == numLockOff.end() ? Row(code).vk : it->second) << code;
    }
}

TEST(KeyTableData, ConsumerPseudoUsagesMatchTheConsumerTable) {
    // Media functions as the key assignments pair them: key code and consumer usage.
    const std::pair<KeyCode, uint16_t> media[] = {
        {0x16D, 0x0183}, {0x122, 0x00CD}, {0x124, 0x00B7}, {0x110, 0x00B6}, {0x119, 0x00B5},
        {0x12E, 0x00EA}, {0x130, 0x00E9}, {0x120, 0x00E2}, {0x132, 0x0223}, {0x167, 0x0227},
        {0x168, 0x0226}, {0x16A, 0x0224}, {0x169, 0x0225}, {0x166, 0x022A}, {0x165, 0x0221},
        {0x16B, 0x0194}, {0x121, 0x0192}, {0x16C, 0x018A}};
    for (const auto& [code, consumer] : media) {
        const uint8_t usage = Row(code).usage;
        ASSERT_GE(usage, kConsumerPseudoUsageBase) << code;
        EXPECT_EQ(ConsumerUsageTable[usage - kConsumerPseudoUsageBase], consumer) << code;
        EXPECT_EQ(KeyCodeFromAction({KeyAction::kConsumer, consumer}), code);
    }
    for (size_t i = 18; i < ConsumerUsageTable.size(); ++i) {
        EXPECT_EQ(ConsumerUsageTable[i], 0) << i;
    }
}

TEST(KeyListPosition, EveryPositionNamesItsKey) {
    // clang-format off
    const std::vector<std::string_view> expected = {
        "A", "B", "C", "D", "E", "F", "G", "H", "I", "J", "K", "L", "M", "N", "O", "P", "Q", "R",
        "S", "T", "U", "V", "W", "X", "Y", "Z", "1", "2", "3", "4", "5", "6", "7", "8", "9", "0",
        "Enter", "Esc", "Backspace", "Tab", "Space", "-", "=", "[", "]", "\\", ";", "'", "`", ",",
        ".", "/", "F1", "F2", "F3", "F4", "F5", "F6", "F7", "F8", "F9", "F10", "F11", "F12",
        "Print Screen", "Pause", "Break", "Insert", "Delete", "Home", "End", "Page Up",
        "Page Down", "↑", "↓", "←", "→", "Scroll Lock", "Caps Lock", "Num Lock",
        "Num /", "Num *", "Num -", "Num +", "Num Enter",
        "Num 1", "Num 2", "Num 3", "Num 4", "Num 5", "Num 6", "Num 7", "Num 8", "Num 9", "Num 0",
        "Num .", "K45", "App",
        "Ctrl", "Shift", "Alt", "Win", "Right Ctrl", "Right Shift", "Right Alt", "Right Win",
        "(none)", "Left Button", "Right Button", "Middle Button", "Roll Up", "Roll Down"};
    // clang-format on
    ASSERT_EQ(expected.size(), static_cast<size_t>(kLastMousePosition + 1));
    for (int position = 0; position <= kLastMousePosition; ++position) {
        EXPECT_EQ(LabelAt(position), expected[static_cast<size_t>(position)]) << position;
        if (position != 106) {
            EXPECT_EQ(PositionFromKeyCode(KeyCodeFromPosition(position)), position);
        }
    }
    EXPECT_EQ(KeyCodeFromPosition(103), 0x036); // the first of the two Right Shift rows
    EXPECT_EQ(PositionFromKeyCode(0x136), 103);
}

TEST(KeyListPosition, UnlistedRowsNeverMatchALookup) {
    std::multiset<uint16_t> positions;
    for (const KeyCode code : NamedCodes()) {
        const uint16_t position = Row(code).listPosition;
        if (position != kNotListed) {
            EXPECT_LE(position, kLastMousePosition) << code;
            positions.insert(position);
        }
    }
    EXPECT_EQ(positions.size(), 112u); // 0..105 and 107..111, 103 twice
    EXPECT_EQ(std::set<uint16_t>(positions.begin(), positions.end()).size(), 111u);
    EXPECT_EQ(PositionFromKeyCode(0x054) & kNotListed, kNotListed); // Sys Req
    EXPECT_EQ(PositionFromKeyCode(0x000), kNoListPosition);
    for (const int position : {-1, 106, 112, int(kNotListed), int(kNoListPosition), 0x10000}) {
        EXPECT_EQ(KeyCodeFromPosition(position), 0) << position;
    }
}

TEST(VkKeyMap, ChoosesAmongSharedCodes) {
    EXPECT_EQ(KeyCodeFromVk(0x0D), 0x01C); // main Enter, not keypad Enter
    EXPECT_EQ(KeyCodeFromVk(0x67), 0x047); // keypad 7 with Num Lock on
    EXPECT_EQ(KeyCodeFromVk(0x2C), 0x137); // Print Screen, not Sys Req
    EXPECT_EQ(KeyCodeFromVk(0xA1), 0x036);
    EXPECT_EQ(KeyCodeFromVk(0x10), 0x02A);
    EXPECT_EQ(KeyCodeFromVk(0x11), 0x01D);
    EXPECT_EQ(KeyCodeFromVk(0x12), 0x038);
    const std::pair<uint8_t, KeyCode> navigation[] = {
        {0x21, 0x149}, {0x22, 0x151}, {0x23, 0x14F}, {0x24, 0x147}, {0x25, 0x14B},
        {0x26, 0x148}, {0x27, 0x14D}, {0x28, 0x150}, {0x2D, 0x152}, {0x2E, 0x153}};
    for (const auto& [vk, code] : navigation) {
        EXPECT_EQ(KeyCodeFromVk(vk), code) << int(vk);
    }
    for (const unsigned vk : {0x00u, 0x01u, 0x02u, 0x04u, 0x0Cu, 0xFFu, 0x07u, 0x100u}) {
        EXPECT_EQ(KeyCodeFromVk(vk), 0) << vk;
    }
}

TEST(VkKeyMap, IsTheInverseOfTheVkColumns) {
    std::set<unsigned> carried;
    for (const KeyCode code : NamedCodes()) {
        carried.insert(Row(code).vk);
        carried.insert(Row(code).vk2);
    }
    const std::set<unsigned> leftOut = {0x01, 0x02, 0x04, 0x0C, 0xFF};
    const std::set<unsigned> sideNeutral = {0x10, 0x11, 0x12};
    for (unsigned vk = 0; vk < 256; ++vk) {
        const KeyCode code = KeyCodeFromVk(vk);
        if (code != 0 && !sideNeutral.contains(vk)) {
            EXPECT_TRUE(Row(code).vk == vk || Row(code).vk2 == vk) << vk;
        }
        const bool mapped = carried.contains(vk) && !leftOut.contains(vk);
        EXPECT_EQ(code != 0, mapped || sideNeutral.contains(vk)) << vk;
    }
}

TEST(KeyAction, KindFollowsTheUsageByte) {
    EXPECT_EQ(KeyActionFromCode(0x01E), (KeyAction{7, 0x04})); // A
    EXPECT_EQ(KeyActionFromCode(0x15E), (KeyAction{1, 0x81})); // Power
    EXPECT_EQ(KeyActionFromCode(0x163), (KeyAction{1, 0x83})); // Wake
    EXPECT_EQ(KeyActionFromCode(0x172), (KeyAction{2, 0xF2})); // right mouse button
    EXPECT_EQ(KeyActionFromCode(0x162), (KeyAction{2, 0xF5})); // wheel down
    EXPECT_EQ(KeyActionFromCode(0x130), (KeyAction{7, 0xC0})); // volume up
    EXPECT_EQ(KeyActionFromCode(0x07E), (KeyAction{7, 0x85})); // international key
    EXPECT_EQ(KeyActionFromCode(0x054), (KeyAction{0, 0}));    // Sys Req, no usage
    EXPECT_EQ(KeyActionFromCode(0x000), (KeyAction{0, 0}));
}

TEST(KeyAction, CodeFromActionFindsTheFirstRowOfTheUsage) {
    EXPECT_EQ(KeyCodeFromAction({12, 0x0E9}), 0x130);
    EXPECT_EQ(KeyCodeFromAction({12, 0x1234}), 0);
    EXPECT_EQ(KeyCodeFromAction({12, 0}), 0x174); // first zero entry, 18: Zoom-
    EXPECT_EQ(KeyCodeFromAction({2, 0xF2}), 0);
    EXPECT_EQ(KeyCodeFromAction({1, 0x82}), 0x15F);
    EXPECT_EQ(KeyCodeFromAction({1, 0x04}), 0);     // not a system control
    EXPECT_EQ(KeyCodeFromAction({7, 0x48}), 0x045); // Pause before Break
    EXPECT_EQ(KeyCodeFromAction({7, 0x104}), 0);    // not A by its low byte
    EXPECT_EQ(KeyCodeFromAction({7, 0}), 0);
    EXPECT_EQ(KeyCodeFromAction({0, 0x04}), 0);
    EXPECT_EQ(KeyCodeFromAction({99, 0x04}), 0);
    for (const KeyCode code : NamedCodes()) {
        const KeyAction action = KeyActionFromCode(code);
        if (action.kind == KeyAction::kKeyboard || action.kind == KeyAction::kSystem) {
            const KeyCode expected = code == 0x146 ? 0x045 : code == 0x136 ? 0x036 : code;
            EXPECT_EQ(KeyCodeFromAction(action), expected) << code;
        }
    }
}

TEST(KeyTableData, EveryNameKeyIsInTheShippedLanguageFiles) {
    const char* source = std::getenv("KESTROW_SOURCE_DIR");
    ASSERT_NE(source, nullptr);
    for (const char* file : {"Lang0416.ini", "Lang0409.ini", "Lang0000.ini"}) {
        std::istringstream lines(ReadFileBytes(std::filesystem::path(source) / "data" / file));
        std::set<std::string> textKeys;
        bool inText = false;
        for (std::string line; std::getline(lines, line);) {
            if (line.starts_with('[')) {
                inText = line.starts_with("[TEXT]");
            } else if (inText && line.find('=') != std::string::npos) {
                textKeys.insert(line.substr(0, line.find('=')));
            }
        }
        ASSERT_TRUE(textKeys.contains("UNKNOWN_KEY")) << file;
        for (const KeyTableRow& row : KeyTable) {
            if (!row.nameKey.empty()) {
                EXPECT_TRUE(textKeys.contains(std::string(row.nameKey)))
                    << file << " " << row.nameKey;
            }
        }
    }
}
