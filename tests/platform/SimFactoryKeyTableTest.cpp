#include "model/KeyCodeTables.h"
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

// The main window's 106 key buttons.
const KeyCode kKeyMap[] = {
    0x1E,  0x30,  0x2E,  0x20,  0x12,  0x21,  0x22, 0x23, 0x17,  0x24, 0x25,  0x26,  0x32,  0x31,
    0x18,  0x19,  0x10,  0x13,  0x1F,  0x14,  0x16, 0x2F, 0x11,  0x2D, 0x15,  0x2C,  0x02,  0x03,
    0x04,  0x05,  0x06,  0x07,  0x08,  0x09,  0x0A, 0x0B, 0x1C,  0x01, 0x0E,  0x0F,  0x39,  0x0C,
    0x0D,  0x1A,  0x1B,  0x2B,  0x27,  0x28,  0x29, 0x33, 0x34,  0x35, 0x3B,  0x3C,  0x3D,  0x3E,
    0x3F,  0x40,  0x41,  0x42,  0x43,  0x44,  0x57, 0x58, 0x137, 0x45, 0x152, 0x153, 0x147, 0x14F,
    0x149, 0x151, 0x148, 0x150, 0x14B, 0x14D, 0x46, 0x3A, 0x15D, 0x1D, 0x11D, 0x2A,  0x36,  0x38,
    0x138, 0x15B, 0x15C, 0x4F,  0x50,  0x51,  0x4B, 0x4C, 0x4D,  0x47, 0x48,  0x49,  0x52,  0x145,
    0x11C, 0x53,  0x135, 0x37,  0x4A,  0x4E,  0x56, 0x73};

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
    static_assert(std::size(kKeyMap) == 106);
    for (const KeyCode code : kKeyMap) {
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
