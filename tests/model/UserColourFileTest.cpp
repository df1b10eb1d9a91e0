// SPDX-License-Identifier: GPL-3.0-or-later
#include "model/UserColourFile.h"

#include "SimKeyboardFixture.h"
#include "model/Lighting.h"
#include "platform/UserFolders.h"

#include <algorithm>
#include <fstream>
#include <gtest/gtest.h>
#include <map>
#include <set>
#include <sys/stat.h>

namespace {

namespace fs = std::filesystem;

// Profile files of the private user folder, removed again after each test.
class UserColourFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        fs::create_directories(UserDataFolder());
        for (int p = 0; p < 3; ++p) {
            fs::remove(UserColourFilePath(p));
        }
    }
    void TearDown() override {
        for (int p = 0; p < 3; ++p) {
            fs::remove(UserColourFilePath(p));
        }
    }
    static void WriteFile(int p, const std::string& text) {
        std::ofstream(UserColourFilePath(p), std::ios::binary) << text;
    }
    static std::string FileText(int p) { return ReadFileBytes(UserColourFilePath(p)); }
};

constexpr uint32_t Rgb(int r, int g, int b) {
    return PackColour(static_cast<uint8_t>(r), static_cast<uint8_t>(g), static_cast<uint8_t>(b));
}

} // namespace

TEST(KeyColourSlotTableTest, EveryKeyOfTheKeyMapHasOneSlotInsideTheSmallerBank) {
    std::set<KeyCode> codes;
    std::map<int, int> keysPerSlot;
    for (const KeyColourSlotEntry& entry : KeyColourSlotTable) {
        EXPECT_NE(KeyRowFromCode(entry.code), nullptr) << std::hex << entry.code;
        EXPECT_TRUE(codes.insert(entry.code).second) << "twice: " << std::hex << entry.code;
        // Slot = 7 x column + row; the smaller keyboard has 126 slots.
        EXPECT_LT(entry.slot, 126);
        ++keysPerSlot[entry.slot];
    }
    EXPECT_EQ(codes.size(), 106u);
    // Only Delete / keypad "." and the keypad block with right Win share a slot.
    EXPECT_EQ(keysPerSlot[93], 2);
    EXPECT_EQ(keysPerSlot[116], 15);
    for (const auto& [slot, count] : keysPerSlot) {
        if (slot != 93 && slot != 116) {
            EXPECT_EQ(count, 1) << "slot " << slot;
        }
    }
    // Fn and the G keys have slots of their own.
    EXPECT_EQ(keysPerSlot.count(kFnColourSlot), 0u);
    EXPECT_EQ(keysPerSlot.count(kGKeyColourSlot), 0u);

    EXPECT_EQ(KeyColourSlot(0x001), 0);   // Esc
    EXPECT_EQ(KeyColourSlot(0x039), 47);  // Space
    EXPECT_EQ(KeyColourSlot(0x135), 111); // keypad /
    EXPECT_EQ(KeyColourSlot(0x15C), 116); // right Win
    EXPECT_EQ(KeyColourSlot(0x045), 105); // Pause
    EXPECT_EQ(KeyColourSlot(0x145), 104); // Num Lock
    EXPECT_EQ(KeyColourSlot(0x064), -1);  // F13: no button
    EXPECT_EQ(KeyColourSlot(0), -1);
    EXPECT_EQ(KeyColourIndex(0x001), 0);
    EXPECT_EQ(KeyColourIndex(0x049), kKeyColourKeyCount - 1);
    EXPECT_EQ(KeyColourIndex(0x064), -1);

    EXPECT_EQ(LinkIndexSlot(kFnLinkIndex), kFnColourSlot);
    EXPECT_EQ(LinkIndexSlot(kFirstGKeyLinkIndex + 8), kGKeyColourSlot);
    EXPECT_EQ(LinkIndexSlot(kLinkFlagCount), -1);
    EXPECT_EQ(LinkIndexSlot(-1), -1);
}

TEST_F(UserColourFileTest, MissingFileSectionsAndKeysGiveTheDefaults) {
    EXPECT_EQ(ReadSelectedMode(0), 0);
    EXPECT_EQ(ReadModeName(0, 4), "0");
    EXPECT_EQ(ReadKeyEntry(0, 2, 47), kDefaultKeyColourEntry);
    EXPECT_EQ(kDefaultKeyColourEntry.colour, Rgb(255, 0, 0));
    EXPECT_EQ(ReadModeSettings(0, 2), UserModeSettings{});

    // A file without MODENAME lists ten modes all named "0".
    WriteFile(1, "[PRESENTMODE]\nmode=2\n[Mode2]\n0=1,2,3,0\n");
    for (int n = 0; n < kUserModeCount; ++n) {
        EXPECT_EQ(ReadModeName(1, n), "0");
    }
    EXPECT_EQ(ReadSelectedMode(1), 2);
    EXPECT_EQ(ReadKeyEntry(1, 2, 0), (KeyColourEntry{Rgb(1, 2, 3), false}));
    EXPECT_EQ(ReadKeyEntry(1, 2, 1), kDefaultKeyColourEntry);
    // No profile 3: defaults, and nothing is written.
    EXPECT_EQ(ReadSelectedMode(3), 0);
    EXPECT_FALSE(WriteSelectedMode(3, 1));
    EXPECT_FALSE(WriteSelectedMode(-1, 1));
}

TEST_F(UserColourFileTest, UnusableValuesReadAsTheirDefaults) {
    WriteFile(0, "[PRESENTMODE]\nmode=12\n"
                 "[Mode0]\n"
                 "tool=2\njcolor=1,2,300\ncolor=9,8\n"
                 "0=abc\n1=255,0\n2=256,0,0,0\n3=-1,0,0,0\n4=10,20,30,7\n"
                 "5= 10 , 20 ,30,0\n6=10,20,30,0x\n7=10,20,30,0,5\n8=\n9=1,,2,0\n"
                 "10=99999999999,0,0,0\n11=+5,0,0,0\n"
                 "[Mode1]\ntool=1\njcolor=0,128,255\ncolor=255,255,255\n");
    EXPECT_EQ(ReadSelectedMode(0), 0);
    EXPECT_EQ(ReadModeSettings(0, 0), UserModeSettings{});
    EXPECT_EQ(ReadModeSettings(0, 1), (UserModeSettings{1, Rgb(0, 128, 255), Rgb(255, 255, 255)}));
    for (int slot : {0, 1, 2, 3, 6, 7, 8, 9, 10}) {
        EXPECT_EQ(ReadKeyEntry(0, 0, slot), kDefaultKeyColourEntry) << "slot " << slot;
    }
    // Any flag but 0 links; blanks around the numbers are fine.
    EXPECT_EQ(ReadKeyEntry(0, 0, 4), (KeyColourEntry{Rgb(10, 20, 30), true}));
    EXPECT_EQ(ReadKeyEntry(0, 0, 5), (KeyColourEntry{Rgb(10, 20, 30), false}));
    EXPECT_EQ(ReadKeyEntry(0, 0, 11), (KeyColourEntry{Rgb(5, 0, 0), false}));

    for (const char* mode : {"-1", "10", "3x", ""}) {
        WriteFile(0, std::string("[PRESENTMODE]\nmode=") + mode + "\n");
        EXPECT_EQ(ReadSelectedMode(0), 0) << mode;
    }
    WriteFile(0, "[presentmode]\nMODE=9\n");
    EXPECT_EQ(ReadSelectedMode(0), 9);
}

TEST_F(UserColourFileTest, OneReadingAnswersAsTheSingleReadsDo) {
    // Quotes, letter case, duplicates (the first wins), a value longer than the read buffer,
    // garbage lines and a UTF-8 name.
    const std::string text = "[PRESENTMODE]\nmode=\"4\"\nmode=5\n"
                             "[modename]\n4=Ça va\n5='quoted'\n"
                             "[MODE4]\nTOOL=1\njcolor=1,2,3\ncolor='4,5,6'\n"
                             "10=7,8,9,0\n10=1,1,1,1\n11=1,2,3,0" +
                             std::string(300, ' ') + "x\nno equals sign\n=5\n";
    WriteFile(2, text);
    const UserColourFile file = UserColourFile::Read(UserColourFilePath(2));
    ASSERT_TRUE(file.Readable());
    EXPECT_EQ(file.SelectedMode(), ReadSelectedMode(2));
    EXPECT_EQ(file.SelectedMode(), 4);
    for (int n = 0; n < kUserModeCount; ++n) {
        EXPECT_EQ(file.ModeName(n), ReadModeName(2, n));
    }
    EXPECT_EQ(file.ModeName(4), "Ça va");
    EXPECT_EQ(file.ModeName(5), "quoted");
    EXPECT_EQ(file.ModeSettings(4), ReadModeSettings(2, 4));
    EXPECT_EQ(file.ModeSettings(4), (UserModeSettings{1, Rgb(1, 2, 3), Rgb(4, 5, 6)}));
    for (int slot = 0; slot < 20; ++slot) {
        EXPECT_EQ(file.KeyEntry(4, slot), ReadKeyEntry(2, 4, slot)) << slot;
    }
    EXPECT_EQ(file.KeyEntry(4, 10), (KeyColourEntry{Rgb(7, 8, 9), false}));
    EXPECT_TRUE(file.HasMode(4));
    EXPECT_FALSE(file.HasMode(3));
    EXPECT_FALSE(file.HasMode(10));
}

TEST_F(UserColourFileTest, OnlyRegularFilesOfSensibleSizeAreRead) {
    const fs::path fifo = UserDataFolder() / "fifo.userd";
    fs::remove(fifo);
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    // A FIFO with no writer would block a plain read for ever.
    EXPECT_FALSE(UserColourFile::Read(fifo).Readable());
    fs::remove(fifo);
    EXPECT_FALSE(UserColourFile::Read(UserDataFolder()).Readable());
    EXPECT_FALSE(UserColourFile::Read(UserDataFolder() / "none.userd").Readable());

    const fs::path big = UserDataFolder() / "big.userd";
    {
        std::ofstream out(big, std::ios::binary);
        out << "[PRESENTMODE]\nmode=3\n";
        out.seekp((5 << 20) - 1);
        out.put('\n');
    }
    EXPECT_FALSE(UserColourFile::Read(big).Readable());
    fs::remove(big);
    const UserColourFile none = UserColourFile::FromBytes(std::nullopt);
    EXPECT_EQ(none.KeyEntry(0, 0), kDefaultKeyColourEntry);
    EXPECT_EQ(none.ModeName(0), "0");
}

TEST_F(UserColourFileTest, WritesUseTheFileFormatsAndKeepTheRest) {
    WriteFile(0, "; my comment\r\n[PRESENTMODE]\r\nmode=1\r\n[MODENAME]\r\n0=Day\r\n1=Night\r\n");
    // Selecting mode 3 writes the value 3 under PRESENTMODE, key mode.
    ASSERT_TRUE(WriteSelectedMode(0, 3));
    ASSERT_TRUE(WriteModeName(0, 1, "Late night"));
    ASSERT_TRUE(WriteModeSettings(0, 3, {1, Rgb(1, 2, 3), Rgb(250, 251, 252)}));
    ASSERT_TRUE(WriteKeyEntry(0, 3, 75, Rgb(10, 0, 255), true));
    ASSERT_TRUE(WriteKeyEntry(0, 3, 0, Rgb(0, 0, 0), false));
    EXPECT_EQ(FileText(0), "; my comment\r\n[PRESENTMODE]\r\nmode=3\r\n[MODENAME]\r\n0=Day\r\n"
                           "1=Late night\r\n\r\n[Mode3]\r\ntool=1\r\njcolor=1,2,3\r\n"
                           "color=250,251,252\r\n75=10,0,255,1\r\n0=0,0,0,0\r\n");
    EXPECT_EQ(ReadModeName(0, 0), "Day");
    EXPECT_EQ(ReadKeyEntry(0, 3, 75), (KeyColourEntry{Rgb(10, 0, 255), true}));

    // Out of range: refused, the file stays as it was.
    const std::string before = FileText(0);
    EXPECT_FALSE(WriteSelectedMode(0, 10));
    EXPECT_FALSE(WriteModeName(0, -1, "x"));
    EXPECT_FALSE(WriteKeyEntry(0, 10, 0, 0, false));
    EXPECT_FALSE(WriteKeyEntry(0, 0, kKeyColourSlotLimit, 0, false));
    EXPECT_FALSE(WriteModeSettings(0, 0, {2, 0, 0}));
    // A name with a line break would turn into another entry.
    EXPECT_FALSE(WriteModeName(0, 2, "a\n[Mode0]"));
    EXPECT_EQ(FileText(0), before);
}

TEST_F(UserColourFileTest, ManyEntriesGoOutInOneRewrite) {
    WriteFile(1, "[Mode2]\n5=1,1,1,1\n");
    const SlotColourEntry entries[] = {{5, {Rgb(9, 9, 9), true}}, {125, {Rgb(0, 1, 2), false}}};
    ASSERT_TRUE(WriteKeyEntries(1, 2, entries));
    EXPECT_EQ(FileText(1), "[Mode2]\n5=9,9,9,1\n125=0,1,2,0\n");
    // A missing file is created; a bad slot refuses the whole batch.
    ASSERT_TRUE(WriteKeyEntries(2, 0, entries));
    EXPECT_EQ(ReadKeyEntry(2, 0, 125), (KeyColourEntry{Rgb(0, 1, 2), false}));
    const SlotColourEntry bad[] = {{5, {0, false}}, {-1, {0, false}}};
    EXPECT_FALSE(WriteKeyEntries(1, 2, bad));
    EXPECT_EQ(ReadKeyEntry(1, 2, 5), (KeyColourEntry{Rgb(9, 9, 9), true}));
}

TEST_F(UserColourFileTest, ResetCopiesTheTemplateOrLeavesTheFileAlone) {
    const fs::path templateFile = UserColourTemplatePath();
    const std::string original = ReadFileBytes(templateFile);
    std::ofstream(templateFile, std::ios::binary) << "[PRESENTMODE]\nmode=7\n";
    WriteFile(1, "mine");
    ASSERT_TRUE(ResetUserColourFile(1));
    EXPECT_EQ(FileText(1), "[PRESENTMODE]\nmode=7\n");
    EXPECT_EQ(ReadSelectedMode(1), 7);
    EXPECT_FALSE(fs::exists(UserColourFilePath(0)));

    fs::remove(templateFile);
    WriteFile(1, "mine");
    EXPECT_FALSE(ResetUserColourFile(1));
    EXPECT_EQ(FileText(1), "mine");
    EXPECT_FALSE(ResetUserColourFile(3));
    std::ofstream(templateFile, std::ios::binary) << original;
}

TEST_F(UserColourFileTest, ResetKeepsAPaintedFileAsTheNewestBackup) {
    const fs::path templateFile = UserColourTemplatePath();
    const std::string original = ReadFileBytes(templateFile);
    std::ofstream(templateFile, std::ios::binary) << "[PRESENTMODE]\nmode=7\n";
    WriteFile(2, "first painting");
    ASSERT_TRUE(ResetUserColourFile(2));
    EXPECT_EQ(ReadFileBytes(UserColourBackupPath(2)), "first painting");
    // A file that is the template already replaces no backup.
    ASSERT_TRUE(ResetUserColourFile(2));
    EXPECT_EQ(ReadFileBytes(UserColourBackupPath(2)), "first painting");
    WriteFile(2, "second painting");
    ASSERT_TRUE(ResetUserColourFile(2));
    EXPECT_EQ(ReadFileBytes(UserColourBackupPath(2)), "second painting");
    EXPECT_FALSE(fs::exists(UserColourBackupPath(1)));

    // Without room for the backup the painting stays where it is.
    WriteFile(1, "third painting");
    fs::create_directory(UserColourBackupPath(1));
    std::ofstream(UserColourBackupPath(1) / "blocker") << "x";
    EXPECT_FALSE(ResetUserColourFile(1));
    EXPECT_EQ(FileText(1), "third painting");
    std::ofstream(templateFile, std::ios::binary) << original;
}

namespace {

class UserModeLoadTest : public SimKeyboardTest {
protected:
    void SetUp() override {
        SimKeyboardTest::SetUp();
        Lighting() = LightingModel{};
        UserColours() = UserColourState{};
        fs::create_directories(UserDataFolder());
    }
    void TearDown() override {
        for (int p = 0; p < 3; ++p) {
            fs::remove(UserColourFilePath(p));
        }
        SimKeyboardTest::TearDown();
    }
    static std::array<uint8_t, 3> BankColour(int profile, int slot) {
        const auto& bank = Lighting().keyColourBanks[static_cast<size_t>(profile)];
        const size_t at = 3 * static_cast<size_t>(slot);
        return {bank[at], bank[at + 1], bank[at + 2]};
    }
};

} // namespace

TEST_F(UserModeLoadTest, TheSelectedModeFillsTheBankAndTheLinkFlags) {
    std::string text = "[PRESENTMODE]\nmode=3\n[Mode3]\ntool=1\njcolor=1,2,3\ncolor=4,5,6\n"
                       "0=10,11,12,0\n47=20,21,22,1\n93=30,31,32,0\n116=40,41,42,1\n"
                       "75=50,51,52,0\n125=60,61,62,1\n"
                       "[Mode0]\n0=99,99,99,0\n";
    std::ofstream(UserColourFilePath(1), std::ios::binary) << text;
    DeviceState().CurrentProfile.store(1);
    ASSERT_EQ(LoadUserMode(false), kCmdOk);
    EXPECT_TRUE(Requests().empty());

    const UserColourState& state = UserColours();
    EXPECT_EQ(state.currentMode, 3);
    EXPECT_EQ(state.settings, (UserModeSettings{1, PackColour(1, 2, 3), PackColour(4, 5, 6)}));
    EXPECT_EQ(state.loaded, state.settings);
    EXPECT_EQ(BankColour(1, 0), (std::array<uint8_t, 3>{10, 11, 12}));
    EXPECT_EQ(BankColour(1, 47), (std::array<uint8_t, 3>{20, 21, 22}));
    EXPECT_EQ(BankColour(1, 93), (std::array<uint8_t, 3>{30, 31, 32}));
    EXPECT_EQ(BankColour(1, 116), (std::array<uint8_t, 3>{40, 41, 42}));
    EXPECT_EQ(BankColour(1, kFnColourSlot), (std::array<uint8_t, 3>{50, 51, 52}));
    // The G keys' colour comes back from the file too, not only what painting left behind.
    EXPECT_EQ(BankColour(1, kGKeyColourSlot), (std::array<uint8_t, 3>{60, 61, 62}));
    // A key without an entry is red.
    EXPECT_EQ(BankColour(1, KeyColourSlot(0x01E)), (std::array<uint8_t, 3>{255, 0, 0}));
    // Slots of no key stay as they were; other profiles are untouched.
    EXPECT_EQ(BankColour(1, 6), (std::array<uint8_t, 3>{0, 0, 0}));
    EXPECT_EQ(BankColour(0, 0), (std::array<uint8_t, 3>{0, 0, 0}));

    const auto& linked = state.linked[1];
    for (int i = 0; i < kLinkFlagCount; ++i) {
        const int slot = LinkIndexSlot(i);
        const bool expected = slot == 0 || slot == 93 || slot == kFnColourSlot ? false : true;
        EXPECT_EQ(linked[static_cast<size_t>(i)], expected) << "index " << i;
    }
    EXPECT_FALSE(
        std::any_of(state.linked[0].begin(), state.linked[0].end(), [](bool b) { return b; }));
}

TEST_F(UserModeLoadTest, UploadSendsTheBankInEightPiecesOfOneBracket) {
    std::ofstream(UserColourFilePath(2), std::ios::binary)
        << "[PRESENTMODE]\nmode=0\n[Mode0]\n0=1,2,3,0\n111=4,5,6,0\n125=7,8,9,0\n";
    DeviceState().CurrentProfile.store(2);
    ASSERT_EQ(LoadUserMode(true), kCmdOk);
    const std::vector<SimFrame> requests = Requests();
    ASSERT_EQ(requests.size(), 10u);
    EXPECT_EQ(requests.front().bytes[3], CmdCode::BeginSession);
    EXPECT_EQ(requests.back().bytes[3], CmdCode::EndSession);
    for (size_t i = 1; i + 1 < requests.size(); ++i) {
        EXPECT_EQ(requests[i].bytes[3], CmdCode::WriteKeyColours);
        EXPECT_EQ(requests[i].bytes[4], 54);
    }
    // What the keyboard holds is the bank copy (the pieces cover slots 0..143).
    const auto held = keyboard->KeyColourBank(2);
    const auto& copy = Lighting().keyColourBanks[2];
    EXPECT_TRUE(std::equal(copy.begin(), copy.begin() + 8 * 54, held.begin()));
    EXPECT_EQ(held[3 * 111 + 1], 5);
    EXPECT_EQ(held[3 * 125 + 2], 9);
    EXPECT_EQ(keyboard->KeyColourBank(0), (std::array<uint8_t, 512>{}));

    // An upload the keyboard does not take is told, the bank copy is loaded all the same.
    keyboard->FailWrites(kSimForever);
    EXPECT_EQ(LoadUserMode(true), kCmdWriteFailed);
    keyboard->FailWrites(0);
    EXPECT_EQ(Lighting().keyColourBanks[2][3 * 111], 4);
}

TEST_F(UserModeLoadTest, NoProfileLoadsAndSendsNothing) {
    DeviceState().CurrentProfile.store(-1);
    UserColours().currentMode = 5;
    EXPECT_EQ(LoadUserMode(true), kCmdBadProfile);
    EXPECT_TRUE(Requests().empty());
    EXPECT_EQ(UserColours().currentMode, 5);

    // A missing file loads the defaults: every key red and linked.
    DeviceState().CurrentProfile.store(0);
    ASSERT_EQ(LoadUserMode(false), kCmdOk);
    EXPECT_EQ(UserColours().currentMode, 0);
    EXPECT_EQ(BankColour(0, 47), (std::array<uint8_t, 3>{255, 0, 0}));
    EXPECT_TRUE(UserColours().linked[0][0]);
}

TEST(UserColourLinkFlags, FollowTheLoadedBaseColourInEveryProfile) {
    Lighting() = LightingModel{};
    UserColours() = UserColourState{};
    UserColours().loaded.baseColour = PackColour(1, 2, 3);
    UserColours().linked[0].fill(true);
    auto& bank = Lighting().keyColourBanks;
    const size_t space = 3 * 47;
    bank[0][space] = 1, bank[0][space + 1] = 2, bank[0][space + 2] = 3;
    bank[2][3 * kGKeyColourSlot] = 1, bank[2][3 * kGKeyColourSlot + 1] = 2;
    bank[2][3 * kGKeyColourSlot + 2] = 3;
    bank[1][space] = 1, bank[1][space + 1] = 2, bank[1][space + 2] = 4; // not quite
    RebuildLinkFlags();
    for (int p = 0; p < 3; ++p) {
        for (int i = 0; i < kLinkFlagCount; ++i) {
            const bool expected = (p == 0 && LinkIndexSlot(i) == 47) ||
                                  (p == 2 && LinkIndexSlot(i) == kGKeyColourSlot);
            EXPECT_EQ(UserColours().linked[static_cast<size_t>(p)][static_cast<size_t>(i)],
                      expected)
                << p << " " << i;
        }
    }
}

TEST(UserColourLoadCount, UnusableEntriesAreCounted) {
    Lighting() = LightingModel{};
    const UserColourFile file =
        UserColourFile::FromBytes("[Mode1]\n0=1,2,3,0\n1=bad\n75=0,0,0,0\n125=1,1,1,1\n");
    // 106 keys, Fn and the G keys: 108 entries read, three of them usable.
    EXPECT_EQ(LoadModeColours(file, 0, 1), 108 - 3);
    EXPECT_EQ(LoadModeColours(file, 3, 1), -1);
    EXPECT_EQ(LoadModeColours(file, 0, 10), -1);
}
