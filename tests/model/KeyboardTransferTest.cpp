// SPDX-License-Identifier: GPL-3.0-or-later
#include "model/KeyboardTransfer.h"

#include "SimKeyboardFixture.h"
#include "model/MacroChecks.h"
#include "model/ProfileFolder.h"
#include "support/RandomKeyStore.h"

#include <cstring>
#include <fstream>
#include <gtest/gtest.h>
#include <random>

namespace {

class Transfer : public SimKeyboardTest {
protected:
    // The factory position of a key, -1 when it has none.
    int PositionOf(KeyCode code) const {
        const auto factory = keyboard->FactoryKeyTable();
        for (size_t p = 0; 3 * p + 2 < factory.size(); ++p) {
            if (SlotActionToKeyCode({factory[3 * p], factory[3 * p + 1], factory[3 * p + 2]}) ==
                code) {
                return static_cast<int>(p);
            }
        }
        return -1;
    }
    SlotAction KeyboardSlot(int profile, int position) const {
        const auto t = keyboard->KeyTable(profile);
        return {t[3 * position], t[3 * position + 1], t[3 * position + 2]};
    }
    // The macro list of the text's example: 2, 0 and 5 steps, names of 10, 20 and 40.
    void ExampleMacros() {
        auto& macros = WorkingStore().macros;
        macros.assign(3, MacroRecord{});
        const int steps[] = {2, 0, 5};
        const size_t names[] = {10, 20, 40};
        for (size_t i = 0; i < 3; ++i) {
            macros[i].id = static_cast<uint16_t>(i + 1);
            macros[i].stepCount = static_cast<uint16_t>(steps[i]);
            SetMacroName(macros[i], std::u16string(names[i], u'x'));
        }
    }
    void SetCapacity(uint8_t units) {
        SetInfoByte(11, units);
        DeviceState().MacroCapacity.store(units * 128u);
        keyboard->ClearFrameLog();
    }
    std::unique_lock<std::recursive_mutex> guard{WorkingStore().lock};
};

TEST_F(Transfer, ActiveProfileIsReadOnceAndOnlyForProfilesTheKeyboardHas) {
    SetInfoByte(10, 2);
    keyboard->ClearFrameLog();
    EXPECT_EQ(ActiveProfile(), 2);
    EXPECT_EQ(ActiveProfile(), 2);
    EXPECT_EQ(Commands(), std::vector<uint8_t>{CmdCode::ReadInfoBlock});
    EXPECT_EQ(DeviceState().CachedProfile.load(), 2);

    DeviceState().CachedProfile.store(-1);
    SetInfoByte(10, 7);
    EXPECT_EQ(ActiveProfile(), -1);
    EXPECT_EQ(DeviceState().CachedProfile.load(), -1);
    DeviceState().DeviceOpen.store(0);
    EXPECT_EQ(ActiveProfile(), -1);
}

TEST_F(Transfer, SetDeviceProfileRewritesOnlyByte10) {
    const auto before = keyboard->InfoBlock();
    EXPECT_TRUE(SetDeviceProfile(1));
    auto after = keyboard->InfoBlock();
    EXPECT_EQ(after[10], 1);
    after[10] = before[10];
    EXPECT_EQ(after, before);
    EXPECT_EQ(DeviceState().CachedProfile.load(), 1);
    EXPECT_EQ(Commands(), (std::vector<uint8_t>{CmdCode::ReadInfoBlock, CmdCode::WriteInfoBlock}));

    keyboard->ClearFrameLog();
    EXPECT_FALSE(SetDeviceProfile(3));
    EXPECT_FALSE(SetDeviceProfile(-1));
    EXPECT_TRUE(Requests().empty());
}

TEST_F(Transfer, ApplySendsTheMacroAreaAndOnlyTheActiveTable) {
    DeviceState().CachedProfile.store(1);
    const int esc = PositionOf(0x001);
    const int a = PositionOf(0x01E);
    ASSERT_GE(esc, 0);
    Block().Record(1, 0x001) = {AssignmentType::kKey, 0, 0x054}; // a key without usage
    Block().Record(1, 0x01E) = {AssignmentType::kProgram, 0, 40};
    Block().Record(0, 0x01E) = {AssignmentType::kDisabled};
    const auto table0 = keyboard->KeyTable(0);
    EXPECT_TRUE(WriteStoreToKeyboard(ProfilesToWrite::Active, &messages));
    const auto commands = Commands();
    ASSERT_GE(commands.size(), 3u);
    EXPECT_EQ(commands.front(), CmdCode::BeginSession);
    EXPECT_EQ(commands[1], CmdCode::WriteMacroArea);
    EXPECT_EQ(commands.back(), CmdCode::EndSession);
    EXPECT_EQ(std::count(commands.begin(), commands.end(), CmdCode::WriteKeyTable), 7);
    for (const SimFrame& f : Requests()) {
        if (f.bytes[3] == CmdCode::WriteKeyTable) {
            EXPECT_GE(FrameOffset(f), 378);
            EXPECT_LT(FrameOffset(f), 756);
        }
    }
    EXPECT_EQ(KeyboardSlot(1, esc), (SlotAction{2, 2, 0}));
    EXPECT_EQ(KeyboardSlot(1, a), (SlotAction{2, 2, 0x04}));
    EXPECT_EQ(keyboard->KeyTable(0), table0);
    EXPECT_EQ(KeyboardSlot(1, 87), KeyboardSlot(1, 95));
    // An empty list still goes out: the bare header.
    const auto area = keyboard->MacroArea();
    EXPECT_EQ(std::vector<uint8_t>(area.begin(), area.begin() + 6),
              (std::vector<uint8_t>{0xAA, 0x55, 16, 0, 0, 0}));
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(Transfer, OneProfileCanBeSentWhetherItIsActiveOrNot) {
    DeviceState().CachedProfile.store(0);
    const int a = PositionOf(0x01E);
    Block().Record(2, 0x01E) = {AssignmentType::kMedia, 0, 7};
    Block().Record(1, 0x01E) = {AssignmentType::kDisabled};
    const auto table0 = keyboard->KeyTable(0);
    const auto table1 = keyboard->KeyTable(1);
    EXPECT_TRUE(WriteStoreProfileToKeyboard(2, &messages));
    const auto commands = Commands();
    EXPECT_EQ(std::count(commands.begin(), commands.end(), CmdCode::WriteMacroArea), 1);
    EXPECT_EQ(std::count(commands.begin(), commands.end(), CmdCode::WriteKeyTable), 7);
    for (const SimFrame& f : Requests()) {
        if (f.bytes[3] == CmdCode::WriteKeyTable) {
            EXPECT_GE(FrameOffset(f), 2 * 378);
        }
    }
    EXPECT_EQ(KeyboardSlot(2, a), (SlotAction{SlotAction::kConsumer, 0xE2, 0}));
    EXPECT_EQ(keyboard->KeyTable(0), table0);
    EXPECT_EQ(keyboard->KeyTable(1), table1);

    keyboard->ClearFrameLog();
    EXPECT_FALSE(WriteStoreProfileToKeyboard(3, &messages));
    EXPECT_FALSE(WriteStoreProfileToKeyboard(-1, &messages));
    EXPECT_TRUE(Requests().empty());
    // After a used macro was deleted every profile goes, as with Apply.
    MacroDeletedFlag.store(true);
    EXPECT_TRUE(WriteStoreProfileToKeyboard(2, &messages));
    const auto all = Commands();
    EXPECT_EQ(std::count(all.begin(), all.end(), CmdCode::WriteKeyTable), 21);
}

TEST_F(Transfer, EverySentTableMirrorsPosition95At87) {
    const int p95 = 95;
    const KeyCode key95 =
        SlotActionToKeyCode({Factory()[3 * p95], Factory()[3 * p95 + 1], Factory()[3 * p95 + 2]});
    ASSERT_NE(key95, 0);
    for (int p = 0; p < 3; ++p) {
        Block().Record(p, RecordIndexOfCode(key95)) = {AssignmentType::kMedia, 0,
                                                       static_cast<uint32_t>(p)};
    }
    EXPECT_TRUE(WriteStoreToKeyboard(ProfilesToWrite::All, &messages));
    for (int p = 0; p < 3; ++p) {
        EXPECT_EQ(KeyboardSlot(p, 87), KeyboardSlot(p, 95)) << p;
        EXPECT_EQ(KeyboardSlot(p, 95).b0, SlotAction::kConsumer);
    }
}

TEST_F(Transfer, MacrosGoWithNamesWhenTheyFitWithoutWhenTheyOnlyFitSoAndNotAtAllOtherwise) {
    DeviceState().CachedProfile.store(0);
    ExampleMacros();
    SetCapacity(2); // 256 bytes
    EXPECT_TRUE(WriteStoreToKeyboard(ProfilesToWrite::Active, &messages));
    auto area = keyboard->MacroArea();
    EXPECT_EQ(area[2] | area[3] << 8, 202);
    EXPECT_EQ(area[6], 1);
    EXPECT_TRUE(messages.shown.empty());

    SetCapacity(1); // 128 bytes
    EXPECT_TRUE(WriteStoreToKeyboard(ProfilesToWrite::Active, &messages));
    area = keyboard->MacroArea();
    EXPECT_EQ(area[2] | area[3] << 8, 62);
    EXPECT_EQ(area[6], 0);
    size_t sent = 0;
    for (const SimFrame& f : Requests()) {
        sent += f.bytes[3] == CmdCode::WriteMacroArea ? f.bytes[4] : 0;
    }
    EXPECT_EQ(sent, 62u);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].key, "EXTRA_PROFILE_SPACE_TIGHT");
    EXPECT_EQ(messages.shown[0].framesBefore, Requests().size()); // after the session's end
    EXPECT_EQ(Commands().back(), CmdCode::EndSession);

    messages.shown.clear();
    SetCapacity(0);
    MacroDeletedFlag.store(true);
    EXPECT_FALSE(WriteStoreToKeyboard(ProfilesToWrite::All, &messages));
    EXPECT_TRUE(Requests().empty()); // not even the key tables
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].key, "EXTRA_MACRO_TOO_LONG");
    // Too large by the whole compact image.
    EXPECT_EQ(messages.shown[0].argument, 62);
    EXPECT_TRUE(MacroDeletedFlag.load()); // still owed to the next write
    EXPECT_EQ(WorkingStore().macros.size(), 3u);
}

TEST_F(Transfer, AMacroAreaThatExactlyFillsTheCapacityIsSentWhole) {
    // Two macros with names of 25 characters and `steps` steps between them: compact = 16 + 4 +
    // 2 x 4 + 4 x steps, full = compact + 100. The keyboard holds 256 bytes.
    struct Case {
        int steps;
        size_t sent; // 0: refused
        bool withNames;
    };
    const Case cases[] = {
        {32, 256, true},  // full exactly 256
        {33, 160, false}, // full 260: the names are dropped
        {57, 256, false}, // compact exactly 256
        {58, 0, false},   // compact 260: nothing fits
    };
    DeviceState().CachedProfile.store(0);
    for (const Case& c : cases) {
        auto& macros = WorkingStore().macros;
        macros.assign(2, MacroRecord{});
        for (size_t i = 0; i < macros.size(); ++i) {
            macros[i].id = static_cast<uint16_t>(i + 1);
            macros[i].stepCount =
                static_cast<uint16_t>(i == 0 ? c.steps / 2 : c.steps - c.steps / 2);
            SetMacroName(macros[i], std::u16string(25, u'n'));
        }
        SetCapacity(2);
        keyboard->SetMacroArea({});
        messages.shown.clear();
        EXPECT_EQ(WriteStoreToKeyboard(ProfilesToWrite::Active, &messages), c.sent > 0) << c.steps;
        size_t sent = 0;
        for (const SimFrame& f : Requests()) {
            sent += f.bytes[3] == CmdCode::WriteMacroArea ? f.bytes[4] : 0;
        }
        EXPECT_EQ(sent, c.sent) << c.steps;
        const auto area = keyboard->MacroArea();
        if (c.sent > 0) {
            EXPECT_EQ(area[2] | area[3] << 8, static_cast<int>(c.sent)) << c.steps;
            EXPECT_EQ(area[6], c.withNames ? 1 : 0) << c.steps;
        }
        const std::vector<std::string> expected =
            c.sent == 0   ? std::vector<std::string>{"EXTRA_MACRO_TOO_LONG"}
            : c.withNames ? std::vector<std::string>{}
                          : std::vector<std::string>{"EXTRA_PROFILE_SPACE_TIGHT"};
        std::vector<std::string> shown;
        for (const ShownMessage& m : messages.shown) {
            shown.push_back(m.key);
        }
        EXPECT_EQ(shown, expected) << c.steps;
        if (c.sent == 0 && !messages.shown.empty()) {
            EXPECT_EQ(messages.shown[0].argument, 4) << "260 bytes for 256";
        }
    }
}

TEST_F(Transfer, ADeletedMacroForcesAllThreeTables) {
    DeviceState().CachedProfile.store(2);
    MacroDeletedFlag.store(true);
    EXPECT_TRUE(WriteStoreToKeyboard(ProfilesToWrite::Active, &messages));
    const auto commands = Commands();
    EXPECT_EQ(std::count(commands.begin(), commands.end(), CmdCode::WriteKeyTable), 21);
    EXPECT_FALSE(MacroDeletedFlag.load());
    keyboard->ClearFrameLog();
    EXPECT_TRUE(WriteStoreToKeyboard(ProfilesToWrite::Active, &messages));
    const auto again = Commands();
    EXPECT_EQ(std::count(again.begin(), again.end(), CmdCode::WriteKeyTable), 7);
}

TEST_F(Transfer, ADeletedMacroStillForcesAllThreeTablesAfterAWriteThatFailed) {
    DeviceState().CachedProfile.store(2);
    MacroDeletedFlag.store(true);
    keyboard->FailWrites(kSimForever);
    EXPECT_FALSE(WriteStoreToKeyboard(ProfilesToWrite::Active, &messages));
    keyboard->FailWrites(0);
    EXPECT_TRUE(MacroDeletedFlag.load());
    keyboard->ClearFrameLog();
    EXPECT_TRUE(WriteStoreToKeyboard(ProfilesToWrite::Active, &messages));
    const auto commands = Commands();
    EXPECT_EQ(std::count(commands.begin(), commands.end(), CmdCode::WriteKeyTable), 21);
}

TEST_F(Transfer, AnotherProfilesTableIsRewrittenWhenTheMacroItPlaysMoves) {
    // The keyboard holds macros 1 and 2; its first profile's A key plays the second.
    auto& macros = WorkingStore().macros;
    macros.assign(2, MacroRecord{});
    macros[0].id = 1;
    macros[1].id = 2;
    DeviceState().CachedProfile.store(1);
    ASSERT_TRUE(WriteStoreToKeyboard(ProfilesToWrite::All, &messages));
    const int a = PositionOf(0x01E);
    ASSERT_GE(a, 0);
    Block().Record(0, 0x01E) = {AssignmentType::kMacro, 1, 2};
    auto tablesSent = [&] {
        keyboard->ClearFrameLog();
        EXPECT_TRUE(WriteStoreToKeyboard(ProfilesToWrite::Active, &messages));
        const auto commands = Commands();
        return std::count(commands.begin(), commands.end(), CmdCode::WriteKeyTable) / 7;
    };
    // The order the keyboard holds stays: the active table only.
    EXPECT_EQ(tablesSent(), 1);
    // A macro that no key plays goes in front: macro 2 moves, its player follows.
    macros.insert(macros.begin(), MacroRecord{});
    macros[0].id = 3;
    EXPECT_EQ(tablesSent(), 3);
    EXPECT_EQ(KeyboardSlot(0, a), (SlotAction{SlotAction::kSpecial, 1, 2}));
    EXPECT_EQ(tablesSent(), 1);
    // An order the program does not know (the keyboard was away) is not relied on.
    ForgetKeyboardMacroOrder();
    EXPECT_EQ(tablesSent(), 3);
}

TEST_F(Transfer, MacroReferencesAreSixteenBitIdsEverywhere) {
    // A file may carry any 32-bit value; the orphan rule already reads it as id 5, so the key
    // must play macro 5 and deleting macro 5 must count it as a user.
    DeviceState().CachedProfile.store(0);
    auto& macros = WorkingStore().macros;
    macros.assign(2, MacroRecord{});
    macros[0].id = 3;
    macros[1].id = 5;
    const int a = PositionOf(0x01E);
    ASSERT_GE(a, 0);
    Block().Record(0, 0x01E) = {AssignmentType::kMacro, 1, 0x10005};
    EXPECT_TRUE(WriteStoreToKeyboard(ProfilesToWrite::Active, &messages));
    EXPECT_EQ(KeyboardSlot(0, a), (SlotAction{SlotAction::kSpecial, 1, 1}));
    EXPECT_FALSE(MacroMayBeDeleted(macros[1], messages));
    EXPECT_EQ(messages.asked, std::vector<std::string>{"MACRO_DELETE_CONFIRM_OF_KEYS"});
    EXPECT_TRUE(MacroDeletedFlag.load());
}

TEST_F(Transfer, AFailedMacroAreaWriteIsNoSuccess) {
    DeviceState().CachedProfile.store(0);
    ExampleMacros();
    SetInfoByte(11, 1);                     // the keyboard holds 128 bytes
    DeviceState().MacroCapacity.store(256); // but we believe 256: the area is refused
    EXPECT_FALSE(WriteStoreToKeyboard(ProfilesToWrite::Active, &messages));
    EXPECT_EQ(Commands().back(), CmdCode::EndSession);
}

TEST_F(Transfer, WithoutAnActiveProfileApplySendsNothing) {
    SetInfoByte(10, 9);
    keyboard->ClearFrameLog();
    EXPECT_FALSE(WriteStoreToKeyboard(ProfilesToWrite::Active, &messages));
    EXPECT_EQ(Commands(), std::vector<uint8_t>{CmdCode::ReadInfoBlock});
    EXPECT_FALSE(ReadKeyboardToFile(ModelEnvironment::UserFolder() / "x"));
    EXPECT_FALSE(SaveWorkingFile(StoreLock::HeldByCaller));
}

// Whatever the formats can represent comes back from the keyboard and goes back unchanged.
TEST_F(Transfer, ReadLoadAndWriteBackGiveTheSameTablesAndMacroArea) {
    for (const SimKeyboardModel model : {kSimModel5004, kSimModel5000}) {
        ConfigDevice().Close();
        Connect(model);
        std::mt19937 random(model.productId);
        const KeyCode keys[] = {0x01E, 0x01D, 0x15C, kMouseLeft, kWheelDown, 0x130, 0x148};
        const RandomRecordKinds kinds{.keys = keys, .macroCount = 4};
        // Tables of random representable actions, encoded from a random store.
        for (int p = 0; p < 3; ++p) {
            for (int r = 0; r < 274; ++r) {
                Block().Record(p, r) = RandomRecord(random, kinds);
            }
        }
        auto& macros = WorkingStore().macros;
        macros.assign(4, MacroRecord{});
        for (size_t i = 0; i < macros.size(); ++i) {
            macros[i].id = static_cast<uint16_t>(i + 1);
            macros[i].repeat = static_cast<uint8_t>(i + 2);
            macros[i].stepCount = static_cast<uint16_t>(5 + i);
            for (int s = 0; s < macros[i].stepCount; ++s) {
                macros[i].steps[s] = {static_cast<uint32_t>(10 * (random() % 4096)),
                                      keys[random() % std::size(keys)],
                                      static_cast<uint16_t>(s % 2)};
            }
            SetMacroName(macros[i], "M" + std::to_string(i));
        }
        ASSERT_TRUE(WriteStoreToKeyboard(ProfilesToWrite::All, &messages));
        const auto tables =
            std::vector{keyboard->KeyTable(0), keyboard->KeyTable(1), keyboard->KeyTable(2)};
        const auto area = keyboard->MacroArea();

        DeviceState().CachedProfile.store(1);
        const auto path = ProfilePath(1);
        ASSERT_TRUE(ReadKeyboardToFile(path));
        ClearWorkingStore();
        ASSERT_TRUE(LoadProfileFile(path));
        EXPECT_EQ(WorkingStore().macros.size(), 4u);
        EXPECT_EQ(MacroNameUtf8(WorkingStore().macros[3]), "M3");
        // Blank the keyboard, then write everything back.
        for (int p = 0; p < 3; ++p) {
            keyboard->SetKeyTable(p, std::vector<uint8_t>(model.keyTableLength, 0));
        }
        keyboard->SetMacroArea({});
        ASSERT_TRUE(WriteStoreToKeyboard(ProfilesToWrite::All, &messages));
        for (int p = 0; p < 3; ++p) {
            EXPECT_EQ(keyboard->KeyTable(p), tables[static_cast<size_t>(p)]) << p;
        }
        EXPECT_EQ(keyboard->MacroArea(), area);
    }
}

TEST_F(Transfer, AKeyboardWithoutMacroHeaderGivesAFileWithoutMacros) {
    DeviceState().CachedProfile.store(0);
    std::vector<uint8_t> area(64, 0x11);
    area[0] = 0xAB;
    area[1] = 0xCD;
    keyboard->SetMacroArea(area);
    ASSERT_TRUE(EnsureProfileFolder());
    const auto path = ModelEnvironment::UserFolder() / "nomacros.fwc";
    ASSERT_TRUE(ReadKeyboardToFile(path));
    const std::string bytes = ReadFileBytes(path);
    ASSERT_EQ(bytes.size(), 32832u);
    EXPECT_EQ(bytes[14], 0);
    EXPECT_EQ(CheckProfileFile(path, nullptr), 1);
    // Only the 16-byte header was read from the macro area.
    size_t macroReads = 0;
    for (const SimFrame& f : Requests()) {
        if (f.bytes[3] == CmdCode::ReadMacroArea) {
            ++macroReads;
            EXPECT_EQ(f.bytes[4], 16);
        }
    }
    EXPECT_EQ(macroReads, 1u);
    // The factory tables read back as default records.
    ASSERT_TRUE(LoadProfileFile(path));
    for (int p = 0; p < 3; ++p) {
        for (int r = 0; r < 256; ++r) {
            ASSERT_EQ(Block().Record(p, r).type, AssignmentType::kDefault) << p << " " << r;
        }
        EXPECT_EQ(Block().Record(p, 256).param, 0x301);
    }
}

TEST_F(Transfer, AFailedReadLeavesTheFileAlone) {
    DeviceState().CachedProfile.store(0);
    const auto path = ModelEnvironment::UserFolder() / "kept.fwc";
    std::filesystem::create_directories(path.parent_path());
    { std::ofstream(path) << "previous"; }
    keyboard->AnswerWithStatus(0xFF, 1); // the first piece of the first table
    EXPECT_FALSE(ReadKeyboardToFile(path));
    EXPECT_EQ(ReadFileBytes(path), "previous");
}

TEST_F(Transfer, ReloadTakesTheKeyboardOrFallsBackToDefaults) {
    SetInfoByte(10, 2);
    auto table = keyboard->KeyTable(2);
    const int a = PositionOf(0x01E);
    table[3 * a] = 3; // A plays Mute
    table[3 * a + 1] = 0xE2;
    table[3 * a + 2] = 0;
    keyboard->SetKeyTable(2, table);
    WorkingStore().macros.assign(2, MacroRecord{});
    buttons.codes = {0x01E, 0x030};
    ReloadFromKeyboard(PendingChanges::Clear, &buttons);
    ASSERT_TRUE(WorkingStore().block);
    EXPECT_EQ(Block().Record(2, 0x01E), (KeyAssignment{AssignmentType::kMedia, 0, 7}));
    EXPECT_TRUE(WorkingStore().macros.empty());
    EXPECT_TRUE(std::filesystem::exists(ModelEnvironment::UserFolder() / "$Profile2"));
    EXPECT_TRUE(buttons.described[0x01E].second);
    EXPECT_EQ(buttons.described[0x01E].first, "A (set): media (Mute)");
    EXPECT_FALSE(buttons.described[0x030].second);
    EXPECT_EQ(buttons.pending, std::vector<int>{0});

    // keepChanged leaves the pending flag alone.
    ReloadFromKeyboard(PendingChanges::Keep, &buttons);
    EXPECT_EQ(buttons.pending, std::vector<int>{0});

    // No keyboard: an all-default store.
    ConfigDevice().Close();
    DeviceState().DeviceOpen.store(0);
    DeviceState().CachedProfile.store(-1);
    ReloadFromKeyboard(PendingChanges::Clear, &buttons);
    ASSERT_TRUE(WorkingStore().block);
    EXPECT_EQ(Block().Record(2, 0x01E).type, AssignmentType::kDefault);
    EXPECT_EQ(Block().Record(0, 265).param, 0x1301);
    EXPECT_FALSE(buttons.described[0x01E].second);
}

TEST_F(Transfer, SaveWorkingFileOnlyReplacesAnExistingFile) {
    DeviceState().CachedProfile.store(1);
    const auto path = ProfilePath(1);
    std::filesystem::remove(path);
    EXPECT_FALSE(SaveWorkingFile(StoreLock::Take));
    EXPECT_FALSE(std::filesystem::exists(path));
    ASSERT_TRUE(ReadKeyboardToFile(path));
    Block().Record(1, 0x01E) = {AssignmentType::kDisabled};
    EXPECT_TRUE(SaveWorkingFile(StoreLock::Take));
    ClearWorkingStore();
    ASSERT_TRUE(LoadProfileFile(path));
    EXPECT_EQ(Block().Record(1, 0x01E).type, AssignmentType::kDisabled);
}

} // namespace
