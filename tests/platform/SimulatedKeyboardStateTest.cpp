// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/hid/sim/SimStateFile.h"

#include "SimKeyboardLink.h"
#include "platform/AtomicFile.h"
#include "support/TempDir.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace {

// A memory in which every area differs from the factory state.
SimKeyboardMemory Scribbled(const SimKeyboardModel& model) {
    SimKeyboardMemory memory = FactorySimKeyboardMemory(model);
    memory.infoBlock[10] = 2;
    memory.lightArea[84] = 17;
    memory.lightArea[125] = 0xA5;
    memory.keyTables[3 * model.keyTableLength - 1] = 0x42;
    memory.colourBanks[1535] = 0x99;
    memory.macroArea[memory.macroArea.size() - 1] = 0x7E;
    return memory;
}

uint32_t Crc32(const std::string& bytes) {
    uint32_t crc = 0xFFFFFFFFu;
    for (const char ch : bytes) {
        crc ^= static_cast<uint8_t>(ch);
        for (int k = 0; k < 8; ++k) {
            crc = (crc & 1) ? 0xEDB88320u ^ (crc >> 1) : crc >> 1;
        }
    }
    return crc ^ 0xFFFFFFFFu;
}

// Replaces the trailing checksum so that only the content decides.
std::string Resealed(std::string bytes) {
    bytes.resize(bytes.size() - 4);
    const uint32_t crc = Crc32(bytes);
    for (int i = 0; i < 4; ++i) {
        bytes.push_back(static_cast<char>((crc >> (8 * i)) & 0xFF));
    }
    return bytes;
}

} // namespace

TEST(SimulatedKeyboardState, RoundTripsEveryAreaOfBothModels) {
    for (const SimKeyboardModel& model : {kSimModel5004, kSimModel5000}) {
        const SimKeyboardMemory memory = Scribbled(model);
        SimKeyboardMemory back;
        ASSERT_EQ(ParseSimKeyboardMemory(SerializeSimKeyboardMemory(memory), back),
                  SimStateError::None);
        EXPECT_EQ(back, memory);
    }
    TempDir dir;
    SimulatedKeyboard keyboard(kSimModel5000);
    ASSERT_TRUE(keyboard.SetMemory(Scribbled(kSimModel5000)));
    EXPECT_FALSE(keyboard.SetMemory(Scribbled(kSimModel5004))) << "another model's memory";
    SimKeyboardMemory shortArea = Scribbled(kSimModel5000);
    shortArea.macroArea.pop_back();
    EXPECT_FALSE(keyboard.SetMemory(shortArea)) << "macro area not the capacity";
    ASSERT_EQ(keyboard.SaveState(dir / "kbd.state"), SimStateError::None);
    SimulatedKeyboard other(kSimModel5000);
    ASSERT_EQ(other.LoadState(dir / "kbd.state"), SimStateError::None);
    EXPECT_EQ(other.Memory(), keyboard.Memory());
    EXPECT_EQ(other.ActiveProfile(), 2);
}

TEST(SimulatedKeyboardState, DamagedFilesAreRefusedWithTheirReason) {
    const std::string good = SerializeSimKeyboardMemory(Scribbled(kSimModel5004));
    SimKeyboardMemory memory = FactorySimKeyboardMemory(kSimModel5004);
    const SimKeyboardMemory untouched = memory;
    const auto parse = [&](const std::string& bytes) {
        return ParseSimKeyboardMemory(bytes, memory);
    };

    EXPECT_EQ(parse(""), SimStateError::NotAStateFile);
    EXPECT_EQ(parse("[PROFILES]\r\nFlip=0\r\n"), SimStateError::NotAStateFile);
    EXPECT_EQ(parse(good.substr(0, 5)), SimStateError::Truncated);
    for (const size_t length :
         {size_t{8}, size_t{19}, size_t{20}, good.size() / 2, good.size() - 1}) {
        EXPECT_EQ(parse(good.substr(0, length)), SimStateError::Truncated) << length;
    }
    EXPECT_EQ(parse(good + '\0'), SimStateError::Truncated);

    // Any single changed byte is noticed; the header ones say what they broke.
    for (size_t i = 0; i < good.size(); i += 7) {
        std::string bad = good;
        bad[i] = static_cast<char>(bad[i] ^ 0x20);
        EXPECT_NE(parse(bad), SimStateError::None) << i;
    }
    std::string bad = good;
    bad[0] = 'X';
    EXPECT_EQ(parse(bad), SimStateError::NotAStateFile);
    bad = good;
    bad[8] = 2;
    EXPECT_EQ(parse(bad), SimStateError::UnsupportedVersion);
    bad = good;
    bad[12] = 0x01; // product 0x5001
    EXPECT_EQ(parse(bad), SimStateError::UnknownModel);
    bad = good;
    bad[14] = 0x00; // key table length 256 for the 378-byte model
    EXPECT_EQ(parse(bad), SimStateError::UnknownModel);
    bad = good;
    bad[good.size() - 100] ^= 1;
    EXPECT_EQ(parse(bad), SimStateError::BadChecksum);

    // Sealed again, so that only the contradiction remains.
    bad = good;
    bad[20 + 11] = static_cast<char>(bad[20 + 11] + 1); // capacity no longer the area's length
    EXPECT_EQ(parse(Resealed(bad)), SimStateError::BadContent);
    bad = good;
    bad[16] = 0x10; // macro length 16 + capacity mismatch, not a whole unit
    EXPECT_EQ(parse(Resealed(bad)), SimStateError::BadContent);
    EXPECT_EQ(memory, untouched) << "a refused file changes nothing";
}

TEST(SimulatedKeyboardState, FilesThatCannotBeReadOrAreOfTheOtherModel) {
    TempDir dir;
    SimulatedKeyboard keyboard;
    const SimKeyboardMemory before = keyboard.Memory();
    EXPECT_EQ(keyboard.LoadState(dir / "missing.state"), SimStateError::CannotRead);
    EXPECT_EQ(keyboard.LoadState(dir.path()), SimStateError::CannotRead);
    EXPECT_EQ(keyboard.LoadState(dir.write("junk.state", std::string(100000, 'x'))),
              SimStateError::NotAStateFile);
    const std::string huge = SerializeSimKeyboardMemory(before) + std::string(100000, '\0');
    EXPECT_EQ(keyboard.LoadState(dir.write("long.state", huge)), SimStateError::Truncated);

    SimulatedKeyboard big(kSimModel5000);
    ASSERT_EQ(big.SaveState(dir / "big.state"), SimStateError::None);
    EXPECT_EQ(keyboard.LoadState(dir / "big.state"), SimStateError::WrongModel);
    EXPECT_EQ(keyboard.AttachStateFile(dir / "big.state"), SimStateError::WrongModel);
    EXPECT_EQ(keyboard.Memory(), before);

    EXPECT_EQ(keyboard.SaveState(dir / "no-such-folder" / "kbd.state"), SimStateError::CannotWrite);
    EXPECT_STRNE(SimStateErrorText(SimStateError::BadChecksum),
                 SimStateErrorText(SimStateError::Truncated));
}

TEST(SimulatedKeyboardState, AttachedFileFollowsEveryChange) {
    TempDir dir;
    const auto file = dir / "kbd.state";
    {
        SimulatedKeyboard keyboard;
        ASSERT_EQ(keyboard.AttachStateFile(file), SimStateError::None);
        ASSERT_TRUE(std::filesystem::exists(file)) << "created at once";
        SimKeyboardLink link(keyboard);
        EXPECT_EQ(link.Status(kSimCmdWriteLightData, 1, 42, {12}), 0);
        const auto block = keyboard.InfoBlock();
        std::vector<uint8_t> info(block.begin(), block.end());
        info[10] = 1;
        EXPECT_EQ(link.Status(kSimCmdWriteInfoBlock, 44, 0, info), 0);
        EXPECT_TRUE(link.WriteChunked(kSimCmdWriteKeyTable, 378, std::vector<uint8_t>(378, 3)));
        EXPECT_EQ(link.Status(kSimCmdWriteKeyColours, 3, 3, {1, 2, 3}), 0);
        EXPECT_EQ(link.Status(kSimCmdWriteMacroArea, 4, 16, {1, 2, 3, 4}), 0);
        EXPECT_EQ(keyboard.LastSaveError(), SimStateError::None);

        SimKeyboardMemory saved;
        ASSERT_EQ(LoadSimStateFile(file, saved), SimStateError::None);
        EXPECT_EQ(saved, keyboard.Memory());
    }
    // The next run finds the keyboard as the last one left it.
    SimulatedKeyboard again;
    ASSERT_EQ(again.AttachStateFile(file), SimStateError::None);
    EXPECT_EQ(again.ActiveProfile(), 1);
    EXPECT_EQ(again.LightRecord(1)[0], 12);
    EXPECT_EQ(again.KeyTable(1), std::vector<uint8_t>(378, 3));
    EXPECT_EQ(again.KeyColourBank(0)[5], 3);
    EXPECT_EQ(again.MacroArea()[19], 4);
}

TEST(SimulatedKeyboardState, ASessionReachesTheFileWhenItEnds) {
    TempDir dir;
    const auto file = dir / "kbd.state";
    const auto lightInFile = [&](size_t offset) {
        SimKeyboardMemory saved;
        return LoadSimStateFile(file, saved) == SimStateError::None ? saved.lightArea[offset] : -1;
    };
    {
        SimulatedKeyboard keyboard;
        ASSERT_EQ(keyboard.AttachStateFile(file), SimStateError::None);
        SimKeyboardLink link(keyboard);
        EXPECT_EQ(link.Status(kSimCmdBeginSession), 0);
        EXPECT_EQ(link.Status(kSimCmdWriteLightData, 1, 0, {9}), 0);
        EXPECT_EQ(link.Status(kSimCmdWriteLightData, 1, 1, {0}), 0);
        EXPECT_EQ(lightInFile(0), 1) << "not half an Apply";
        EXPECT_EQ(link.Status(kSimCmdEndSession), 0);
        EXPECT_EQ(lightInFile(0), 9);
        EXPECT_EQ(lightInFile(1), 0);

        // A session the keyboard never saw end: saved when it is unplugged.
        EXPECT_EQ(link.Status(kSimCmdBeginSession), 0);
        EXPECT_EQ(link.Status(kSimCmdWriteLightData, 1, 2, {5}), 0);
        EXPECT_EQ(lightInFile(2), 2);
        keyboard.Unplug();
        EXPECT_EQ(lightInFile(2), 5);
        keyboard.Replug();

        // ... or when the program ends.
        ASSERT_TRUE(link.Reopen());
        EXPECT_EQ(link.Status(kSimCmdBeginSession), 0);
        EXPECT_EQ(link.Status(kSimCmdWriteLightData, 1, 3, {0xFF}), 0);
    }
    EXPECT_EQ(lightInFile(3), 0xFF);
}

TEST(SimulatedKeyboardState, TakesUpTheFileAnotherProcessWrote) {
    TempDir dir;
    const auto file = dir / "kbd.state";
    SimulatedKeyboard program;
    ASSERT_EQ(program.AttachStateFile(file), SimStateError::None);
    HidOpenFlags flags;
    flags.read = true;
    HidOpenError error = HidOpenError::None;
    auto consumer = program.Open(program.ConsumerPath(), flags, error);
    ASSERT_NE(consumer, nullptr);

    // kestrowctl, say, switches the profile through its own simulated keyboard.
    {
        SimulatedKeyboard tool;
        ASSERT_EQ(tool.AttachStateFile(file), SimStateError::None);
        SimKeyboardLink link(tool);
        const auto block = tool.InfoBlock();
        std::vector<uint8_t> info(block.begin(), block.end());
        info[10] = 2;
        ASSERT_EQ(link.Status(kSimCmdWriteInfoBlock, 44, 0, info), 0);
    }
    // The presence probe is enough for the program's keyboard to notice.
    EXPECT_TRUE(program.PathExists(program.ConfigurationPath()));
    EXPECT_EQ(program.ActiveProfile(), 2);
    std::array<uint8_t, 3> report{};
    size_t moved = 0;
    ASSERT_EQ(consumer->Read(report.data(), report.size(), moved, 0), HidTransferResult::Ok);
    EXPECT_EQ(report[1] | (report[2] << 8), kSimNoticeProfileChanged);

    // A damaged replacement is not taken up; the next change writes a sound file again.
    ASSERT_TRUE(WriteFileAtomically(file, "garbage"));
    SimKeyboardLink link(program);
    EXPECT_EQ(link.Status(kSimCmdWriteLightData, 1, 0, {4}), 0);
    EXPECT_EQ(program.ActiveProfile(), 2);
    SimKeyboardMemory saved;
    ASSERT_EQ(LoadSimStateFile(file, saved), SimStateError::None);
    EXPECT_EQ(saved, program.Memory());
}

TEST(SimulatedKeyboardState, AttachRefusesADamagedFileAndLeavesIt) {
    TempDir dir;
    const auto file = dir.write("kbd.state", "KSIMKBD\x1A broken");
    SimulatedKeyboard keyboard;
    EXPECT_EQ(keyboard.AttachStateFile(file), SimStateError::Truncated);
    SimKeyboardLink link(keyboard);
    EXPECT_EQ(link.Status(kSimCmdWriteLightData, 1, 0, {4}), 0);
    EXPECT_EQ(ReadFileBytes(file), "KSIMKBD\x1A broken") << "nothing attached, nothing written";
}

TEST(SimulatedKeyboardState, ReportsASaveThatFails) {
    TempDir dir;
    const auto folder = dir / "gone";
    std::filesystem::create_directory(folder);
    SimulatedKeyboard keyboard;
    ASSERT_EQ(keyboard.AttachStateFile(folder / "kbd.state"), SimStateError::None);
    std::filesystem::remove_all(folder);
    SimKeyboardLink link(keyboard);
    EXPECT_EQ(link.Status(kSimCmdWriteLightData, 1, 0, {4}), 0) << "the keyboard still works";
    EXPECT_EQ(keyboard.LastSaveError(), SimStateError::CannotWrite);
    EXPECT_EQ(keyboard.AttachStateFile(dir / "missing" / "kbd.state"), SimStateError::CannotWrite);
}
