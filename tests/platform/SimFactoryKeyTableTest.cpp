// SPDX-License-Identifier: GPL-3.0-or-later
#include "model/KeyCodeTables.h"
#include "model/KeyMapOrder.h"
#include "platform/hid/BuiltInKeyTable.h"
#include "platform/hid/sim/SimStateFile.h"

#include <gtest/gtest.h>
#include <map>

namespace {

// The key a factory position belongs to, read as the key model reads a SlotAction.
KeyCode KeyOfSlot(const uint8_t* slot) {
    static const std::pair<uint8_t, KeyCode> kModifiers[] = {
        {0x01, 0x1D},  {0x02, 0x2A}, {0x04, 0x38},  {0x08, 0x15B},
        {0x10, 0x11D}, {0x20, 0x36}, {0x40, 0x138}, {0x80, 0x15C}};
    if (slot[0] == 2 && slot[1] == 2) {
        return KeyCodeFromAction(KeyAction{KeyAction::kKeyboard, slot[2]});
    }
    if (slot[0] == 2) {
        for (const auto& [mask, code] : kModifiers) {
            if (slot[2] & mask) {
                return code;
            }
        }
        return 0;
    }
    if (slot[0] == 6 && slot[1] == 0xA2) {
        return static_cast<KeyCode>(0x1FF + slot[2]);
    }
    return 0;
}

class FactoryKeyTable : public ::testing::TestWithParam<SimKeyboardModel> {};

INSTANTIATE_TEST_SUITE_P(BothModels, FactoryKeyTable,
                         ::testing::Values(kSimModel5004, kSimModel5000), [](const auto& testInfo) {
                             return testInfo.param.productId == 0x5004 ? "Model5004" : "Model5000";
                         });

} // namespace

TEST_P(FactoryKeyTable, GivesEveryKeyOfTheKeyMapAndEachGKeyOnePosition) {
    const SimKeyboardModel model = GetParam();
    const std::vector<uint8_t> table = SimFactoryKeyTable(model);
    ASSERT_EQ(table.size(), model.keyTableLength);
    std::map<KeyCode, std::vector<size_t>> positions;
    for (size_t i = 0; i < model.keySlotCount; ++i) {
        if (const KeyCode code = KeyOfSlot(&table[3 * i])) {
            positions[code].push_back(i);
        }
    }
    for (const KeyCode code : kKeyMapOrder) {
        EXPECT_FALSE(positions[code].empty()) << std::hex << code;
    }
    for (KeyCode g = 1; g <= 9; ++g) {
        EXPECT_EQ(positions[static_cast<KeyCode>(0x1FF + g)].size(), 1u) << "G" << g;
    }
    // No key twice, except position 87, which every table repeats from 95.
    for (const auto& [code, where] : positions) {
        if (where.size() > 1) {
            EXPECT_EQ(where, (std::vector<size_t>{87, 95})) << std::hex << code;
        }
    }
    EXPECT_TRUE(std::equal(&table[3 * 87], &table[3 * 87] + 3, &table[3 * 95]));
    EXPECT_TRUE(std::all_of(table.begin() + 3 * model.keySlotCount, table.end(),
                            [](uint8_t b) { return b == 0; }));
}

TEST_P(FactoryKeyTable, KeepsEveryPositionTheBuiltInTableDefines) {
    const std::vector<uint8_t> table = SimFactoryKeyTable(GetParam());
    for (size_t i = 0; i < kBuiltInKeyPositions; ++i) {
        const uint8_t* builtIn = &kBuiltInDefaultKeyTable[3 * i];
        if (builtIn[0] == 0 && builtIn[1] == 0 && builtIn[2] == 0) {
            continue; // unused there; the G-keys live in some of these
        }
        EXPECT_TRUE(std::equal(builtIn, builtIn + 3, &table[3 * i])) << i;
    }
}

TEST(FactoryKeyTable, FreshKeyboardHoldsItInAllThreeProfiles) {
    const SimKeyboardMemory memory = FactorySimKeyboardMemory(kSimModel5000);
    const std::vector<uint8_t> factory = SimFactoryKeyTable(kSimModel5000);
    ASSERT_EQ(memory.keyTables.size(), 3 * factory.size());
    for (size_t p = 0; p < 3; ++p) {
        EXPECT_TRUE(std::equal(factory.begin(), factory.end(),
                               memory.keyTables.begin() + static_cast<ptrdiff_t>(p * 512)));
    }
}
