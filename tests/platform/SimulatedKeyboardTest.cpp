// SPDX-License-Identifier: GPL-3.0-or-later
#include "SimKeyboardLink.h"
#include "platform/hid/BuiltInKeyTable.h"
#include "platform/hid/ReportDescriptor.h"
#include "support/ThreadWait.h"

#include <chrono>
#include <cstdio>
#include <gtest/gtest.h>
#include <thread>

namespace {

class SimulatedKeyboardModels : public ::testing::TestWithParam<SimKeyboardModel> {};

INSTANTIATE_TEST_SUITE_P(BothModels, SimulatedKeyboardModels,
                         ::testing::Values(kSimModel5004, kSimModel5000), [](const auto& testInfo) {
                             return testInfo.param.productId == 0x5004 ? "Model5004" : "Model5000";
                         });

// The vendor and product a path names, read the way the presence logic reads them.
std::pair<unsigned, unsigned> IdsFromPath(const std::string& path) {
    unsigned vid = 0;
    unsigned pid = 0;
    const auto v = path.find("vid_");
    const auto p = path.find("pid_");
    if (v != std::string::npos) {
        std::sscanf(path.c_str() + v + 4, "%x", &vid);
    }
    if (p != std::string::npos) {
        std::sscanf(path.c_str() + p + 4, "%x", &pid);
    }
    return {vid & 0xFFFF, pid & 0xFFFF};
}

} // namespace

TEST_P(SimulatedKeyboardModels, ListsThreeInterfacesWithTheirUsagesAndIds) {
    const SimKeyboardModel model = GetParam();
    SimulatedKeyboard keyboard(model);
    std::vector<std::string> paths;
    ASSERT_TRUE(keyboard.ListInterfaces(paths));
    ASSERT_EQ(paths.size(), 3u);

    struct Expected {
        SimInterface which;
        uint16_t page;
        uint16_t usage;
        uint16_t inputLength;
    };
    const Expected expected[] = {{SimInterface::Keyboard, 0x01, 0x06, 8},
                                 {SimInterface::Consumer, 0x0C, 0x01, 3},
                                 {SimInterface::Configuration, 0xFF1C, 0x92, 64}};
    for (const Expected& e : expected) {
        const std::string path = keyboard.InterfacePath(e.which);
        EXPECT_EQ(paths[static_cast<size_t>(e.which)], path);
        EXPECT_EQ(IdsFromPath(path),
                  std::make_pair(unsigned{model.vendorId}, unsigned{model.productId}))
            << path;
        EXPECT_TRUE(keyboard.PathExists(path));

        HidOpenFlags flags;
        flags.read = true;
        HidOpenError error = HidOpenError::Failed;
        auto handle = keyboard.Open(path, flags, error);
        ASSERT_NE(handle, nullptr);
        EXPECT_EQ(error, HidOpenError::None);
        EXPECT_EQ(handle->VendorId(), model.vendorId);
        EXPECT_EQ(handle->ProductId(), model.productId);
        std::vector<HidPreparsedData> collections;
        const auto& descriptor = handle->ReportDescriptorBytes();
        ASSERT_TRUE(ParseReportDescriptor(descriptor.data(), descriptor.size(), collections));
        ASSERT_EQ(collections.size(), 1u);
        EXPECT_EQ(collections[0].Caps().UsagePage, e.page);
        EXPECT_EQ(collections[0].Caps().Usage, e.usage);
        EXPECT_EQ(collections[0].Caps().InputReportByteLength, e.inputLength);
        EXPECT_EQ(keyboard.OpenHandleCount(e.which), 1);
    }
    HidOpenError error = HidOpenError::None;
    EXPECT_EQ(keyboard.Open(keyboard.ConfigurationPath() + "x", {}, error), nullptr);
    EXPECT_EQ(error, HidOpenError::NotFound);
    EXPECT_FALSE(keyboard.PathExists("/dev/hidraw0"));
}

TEST(SimulatedKeyboard, TwoKeyboardsHaveDistinctPaths) {
    SimulatedKeyboard first;
    SimulatedKeyboard second(kSimModel5000);
    EXPECT_NE(first.ConfigurationPath(), second.ConfigurationPath());
    EXPECT_FALSE(first.PathExists(second.ConfigurationPath()));
}

TEST_P(SimulatedKeyboardModels, AnswersTheInfoBlockAndKeepsTheFirmwareBytes) {
    SimulatedKeyboard keyboard(GetParam());
    SimKeyboardLink link(keyboard);
    const auto reply = link.Transact(MakeRequest(kSimCmdReadInfoBlock, 44));
    ASSERT_TRUE(reply);
    EXPECT_EQ((*reply)[0], 4);
    EXPECT_EQ((*reply)[3], kSimCmdReadInfoBlock);
    EXPECT_EQ((*reply)[4], 44);
    EXPECT_EQ((*reply)[7], 0);
    EXPECT_EQ(ChecksumOf(*reply), (*reply)[1] | ((*reply)[2] << 8));
    const auto info = keyboard.InfoBlock();
    EXPECT_TRUE(std::equal(info.begin(), info.end(), reply->begin() + 8));
    EXPECT_EQ(info[10], 0);
    EXPECT_EQ(info[11] * 128u, keyboard.MacroCapacity());
    EXPECT_NE(std::find(info.begin() + 12, info.end(), 20), info.end()) << "user colours offered";
    EXPECT_TRUE(
        std::all_of(reply->begin() + 8 + 44, reply->end(), [](uint8_t b) { return b == 0; }));

    // Written back with another profile and scribbled firmware bytes: only byte 10 moves.
    std::vector<uint8_t> block(info.begin(), info.end());
    block[10] = 2;
    block[11] = 0;
    block[12] = 0x55;
    EXPECT_EQ(link.Status(kSimCmdWriteInfoBlock, 44, 0, block), 0);
    auto after = keyboard.InfoBlock();
    EXPECT_EQ(after[10], 2);
    EXPECT_EQ(keyboard.ActiveProfile(), 2);
    EXPECT_EQ(after[11], info[11]);
    EXPECT_EQ(after[12], info[12]);

    // A profile the keyboard does not have is refused whole.
    block[10] = 3;
    block[0] = 0x77;
    EXPECT_EQ(link.Status(kSimCmdWriteInfoBlock, 44, 0, block), 0xFF);
    EXPECT_EQ(keyboard.InfoBlock(), after);
    EXPECT_EQ(link.Status(kSimCmdReadInfoBlock, 44, 1), 0xFF);
    EXPECT_EQ(link.Status(kSimCmdReadInfoBlock, 4, 40), 0);
}

TEST_P(SimulatedKeyboardModels, MovesKeyTablesInPiecesAtEveryProfileOffset) {
    const SimKeyboardModel model = GetParam();
    SimulatedKeyboard keyboard(model);
    SimKeyboardLink link(keyboard);
    const size_t length = model.keyTableLength;
    const std::vector<uint8_t> factory = keyboard.FactoryKeyTable();
    for (int p = 0; p < 3; ++p) {
        EXPECT_EQ(link.ReadChunked(kSimCmdReadKeyTable, static_cast<uint16_t>(p * length), length),
                  factory);
    }

    std::vector<uint8_t> table(length);
    for (size_t i = 0; i < length; ++i) {
        table[i] = static_cast<uint8_t>(i * 7 + 1);
    }
    ASSERT_TRUE(link.WriteChunked(kSimCmdWriteKeyTable, static_cast<uint16_t>(2 * length), table));
    EXPECT_EQ(keyboard.KeyTable(2), table);
    EXPECT_EQ(keyboard.KeyTable(0), factory);
    EXPECT_EQ(keyboard.KeyTable(1), factory);
    EXPECT_EQ(link.ReadChunked(kSimCmdReadKeyTable, static_cast<uint16_t>(2 * length), length),
              table);

    // The last piece of profile 2 ends exactly at the end of key memory; one byte more does not.
    const auto end = static_cast<uint16_t>(3 * length);
    EXPECT_EQ(link.Status(kSimCmdReadKeyTable, 8, static_cast<uint16_t>(end - 8)), 0);
    EXPECT_EQ(link.Status(kSimCmdReadKeyTable, 9, static_cast<uint16_t>(end - 8)), 0xFF);
    EXPECT_EQ(link.Status(kSimCmdWriteKeyTable, 1, end, {0xAA}), 0xFF);
    EXPECT_EQ(link.Status(kSimCmdReadKeyTable, 1, 0xFFFF), 0xFF);
    EXPECT_EQ(keyboard.KeyTable(2), table);
}

TEST(SimulatedKeyboard, ReadsProfileTwoOfTheSmallModelWithTheProtocolsOffsets) {
    SimulatedKeyboard keyboard(kSimModel5004);
    SimKeyboardLink link(keyboard);
    const uint16_t offsets[] = {756, 812, 868, 924, 980, 1036, 1092};
    std::vector<uint8_t> got;
    for (const uint16_t offset : offsets) {
        const uint8_t piece = offset == 1092 ? 42 : 56;
        const auto reply = link.Transact(MakeRequest(kSimCmdReadKeyTable, piece, offset));
        ASSERT_TRUE(reply);
        EXPECT_EQ((*reply)[7], 0);
        EXPECT_EQ((*reply)[5] | ((*reply)[6] << 8), offset);
        got.insert(got.end(), reply->begin() + 8, reply->begin() + 8 + piece);
        EXPECT_TRUE(std::all_of(reply->begin() + 8 + piece, reply->end(),
                                [](uint8_t b) { return b == 0; }));
    }
    EXPECT_EQ(got, keyboard.KeyTable(2));
}

TEST_P(SimulatedKeyboardModels, MacroAreaReachesExactlyItsCapacity) {
    SimulatedKeyboard keyboard(GetParam());
    SimKeyboardLink link(keyboard);
    const size_t capacity = keyboard.MacroCapacity();
    ASSERT_GE(capacity, 128u);
    const auto header = link.ReadChunked(kSimCmdReadMacroArea, 0, 16);
    ASSERT_EQ(header.size(), 16u);
    EXPECT_EQ(header[0] | (header[1] << 8), 0x55AA);
    EXPECT_EQ(header[2] | (header[3] << 8), 16);
    EXPECT_EQ(header[4] | (header[5] << 8), 0);

    std::vector<uint8_t> image(200);
    for (size_t i = 0; i < image.size(); ++i) {
        image[i] = static_cast<uint8_t>(0xC0 ^ i);
    }
    ASSERT_TRUE(link.WriteChunked(kSimCmdWriteMacroArea, 0, image));
    EXPECT_EQ(link.ReadChunked(kSimCmdReadMacroArea, 0, image.size()), image);
    const auto area = keyboard.MacroArea();
    ASSERT_EQ(area.size(), capacity);
    EXPECT_TRUE(std::equal(image.begin(), image.end(), area.begin()));

    const auto last = static_cast<uint16_t>(capacity - 56);
    EXPECT_EQ(link.Status(kSimCmdWriteMacroArea, 56, last, std::vector<uint8_t>(56, 9)), 0);
    EXPECT_EQ(keyboard.MacroArea().back(), 9);
    EXPECT_EQ(link.Status(kSimCmdWriteMacroArea, 56, static_cast<uint16_t>(last + 1),
                          std::vector<uint8_t>(56, 7)),
              0xFF);
    EXPECT_EQ(keyboard.MacroArea().back(), 9);
    EXPECT_EQ(link.Status(kSimCmdReadMacroArea, 1, static_cast<uint16_t>(capacity)), 0xFF);
}

TEST(SimulatedKeyboard, MacroCapacityFollowsTheInfoBlock) {
    SimulatedKeyboard keyboard;
    SimKeyboardLink link(keyboard);
    auto info = keyboard.InfoBlock();
    info[11] = 1;
    keyboard.SetInfoBlock(info);
    EXPECT_EQ(keyboard.MacroCapacity(), 128u);
    EXPECT_EQ(link.Status(kSimCmdWriteMacroArea, 8, 120, std::vector<uint8_t>(8, 1)), 0);
    EXPECT_EQ(link.Status(kSimCmdWriteMacroArea, 8, 121, std::vector<uint8_t>(8, 1)), 0xFF);
    info[11] = 0;
    keyboard.SetInfoBlock(info);
    EXPECT_EQ(keyboard.MacroCapacity(), 0u);
    EXPECT_EQ(link.Status(kSimCmdReadMacroArea, 16, 0), 0xFF);
    EXPECT_EQ(link.Status(kSimCmdReadMacroArea, 0, 0), 0);
    EXPECT_FALSE(keyboard.SetMacroArea(std::vector<uint8_t>(1)));
}

TEST(SimulatedKeyboard, LightingRecordsAreReadWholeAndWrittenByteWise) {
    SimulatedKeyboard keyboard;
    SimKeyboardLink link(keyboard);
    // The default record in every profile.
    for (int p = 0; p < 3; ++p) {
        const auto record = keyboard.LightRecord(p);
        EXPECT_EQ(record[0], 1);
        EXPECT_EQ(record[1], 4);
        EXPECT_EQ(record[2], 2);
        EXPECT_EQ(record[4], 0xFF);
    }
    // Length 56 at 84 reaches past the third record: the record, then zeros.
    keyboard.ChangeLightByteOnKeyboard(125, 0x5A);
    const auto reply = link.Transact(MakeRequest(kSimCmdReadLightData, 56, 84));
    ASSERT_TRUE(reply);
    EXPECT_EQ((*reply)[7], 0);
    const auto record2 = keyboard.LightRecord(2);
    EXPECT_TRUE(std::equal(record2.begin(), record2.end(), reply->begin() + 8));
    EXPECT_EQ((*reply)[8 + 41], 0x5A);
    EXPECT_TRUE(
        std::all_of(reply->begin() + 8 + 42, reply->end(), [](uint8_t b) { return b == 0; }));

    // Brightness 3 of profile 2, then a colour of profile 1.
    EXPECT_EQ(link.Status(kSimCmdWriteLightData, 1, 85, {3}), 0);
    EXPECT_EQ(keyboard.LightRecord(2)[1], 3);
    EXPECT_EQ(link.Status(kSimCmdWriteLightData, 3, 42 + 5, {0x10, 0x20, 0x30}), 0);
    const auto record1 = keyboard.LightRecord(1);
    EXPECT_EQ(record1[5], 0x10);
    EXPECT_EQ(record1[6], 0x20);
    EXPECT_EQ(record1[7], 0x30);

    // Writes must stay within the three records; reads within the lighting page.
    const auto before = keyboard.LightArea();
    EXPECT_EQ(link.Status(kSimCmdWriteLightData, 10, 120, std::vector<uint8_t>(10, 1)), 0xFF);
    EXPECT_EQ(link.Status(kSimCmdWriteLightData, 1, 126, {1}), 0xFF);
    EXPECT_EQ(keyboard.LightArea(), before);
    EXPECT_EQ(link.Status(kSimCmdReadLightData, 56, 200), 0);
    EXPECT_EQ(link.Status(kSimCmdReadLightData, 7, 250), 0xFF);
}

TEST(SimulatedKeyboard, KeyColoursGoToTheBankOfTheirOffset) {
    SimulatedKeyboard keyboard;
    SimKeyboardLink link(keyboard);
    // Profile 1, first key 18: offset 566.
    EXPECT_EQ(link.Status(kSimCmdWriteKeyColours, 3, 566, {0xFF, 0x80, 0x01}), 0);
    const auto bank1 = keyboard.KeyColourBank(1);
    EXPECT_EQ(bank1[54], 0xFF);
    EXPECT_EQ(bank1[55], 0x80);
    EXPECT_EQ(bank1[56], 0x01);
    const std::array<uint8_t, kSimKeyColourBankSize> black{};
    EXPECT_EQ(keyboard.KeyColourBank(0), black);
    EXPECT_EQ(keyboard.KeyColourBank(2), black);

    // The eight pieces of an upload cover slots 0..143 of profile 2.
    std::vector<uint8_t> colours(54);
    for (uint16_t piece = 0; piece < 8; ++piece) {
        std::fill(colours.begin(), colours.end(), static_cast<uint8_t>(piece + 1));
        EXPECT_EQ(link.Status(kSimCmdWriteKeyColours, 54,
                              static_cast<uint16_t>(2 * 512 + 3 * 18 * piece), colours),
                  0);
    }
    const auto bank2 = keyboard.KeyColourBank(2);
    EXPECT_EQ(bank2[0], 1);
    EXPECT_EQ(bank2[3 * 143 + 2], 8);
    EXPECT_EQ(bank2[3 * 144], 0);
    EXPECT_EQ(link.ReadChunked(kSimCmdReadKeyColours, 566, 3),
              (std::vector<uint8_t>{0xFF, 0x80, 0x01}));

    EXPECT_EQ(link.Status(kSimCmdWriteKeyColours, 3, 1533, {1, 2, 3}), 0);
    EXPECT_EQ(link.Status(kSimCmdWriteKeyColours, 3, 1534, {1, 2, 3}), 0xFF);
}

TEST_P(SimulatedKeyboardModels, FactoryTableIsReadOnlyAndAsLongAsAKeyTable) {
    const SimKeyboardModel model = GetParam();
    SimulatedKeyboard keyboard(model);
    SimKeyboardLink link(keyboard);
    const auto factory = keyboard.FactoryKeyTable();
    ASSERT_EQ(factory.size(), model.keyTableLength);
    EXPECT_EQ(link.ReadChunked(kSimCmdReadDefaultKeyTable, 0, model.keyTableLength), factory);
    EXPECT_EQ(link.Status(kSimCmdReadDefaultKeyTable, 1, model.keyTableLength), 0xFF);
    // There is no command that writes it; 14 is none the keyboard knows.
    EXPECT_EQ(link.Status(14, 3, 0, {0, 0, 0}), 0xFE);
    EXPECT_EQ(keyboard.FactoryKeyTable(), factory);
}

TEST(SimulatedKeyboard, RefusesBrokenFramesWithoutActing) {
    SimulatedKeyboard keyboard;
    SimKeyboardLink link(keyboard);
    const auto before = keyboard.Memory();

    // One payload bit flipped after the checksum was computed.
    Frame bad = MakeRequest(kSimCmdWriteLightData, 1, 1, {5});
    bad[8] ^= 0x01;
    auto reply = link.Transact(bad);
    ASSERT_TRUE(reply);
    EXPECT_EQ((*reply)[7], 0xFE);
    // The checksum covers bytes beyond the length too.
    bad = MakeRequest(kSimCmdWriteLightData, 1, 1, {5});
    bad[63] = 1;
    reply = link.Transact(bad);
    ASSERT_TRUE(reply);
    EXPECT_EQ((*reply)[7], 0xFE);

    EXPECT_EQ(link.Status(kSimCmdWriteLightData, 57, 0, std::vector<uint8_t>(56, 1)), 0xFE);
    EXPECT_EQ(link.Status(0x42), 0xFE);
    EXPECT_EQ(link.Status(0), 0xFE);
    EXPECT_EQ(keyboard.Memory(), before);

    // A report of another id is not for this interface: no reply at all.
    Frame otherId = MakeRequest(kSimCmdWriteLightData, 1, 1, {5});
    otherId[0] = 3;
    EXPECT_EQ(link.Write(otherId), HidTransferResult::Ok);
    Frame none{};
    EXPECT_EQ(link.Read(none, 50), HidTransferResult::Timeout);
    EXPECT_EQ(keyboard.Memory(), before);
    EXPECT_EQ(keyboard.RequestLog().back().bytes, otherId);

    // Only whole 64-byte reports are taken.
    size_t moved = 0;
    const Frame ok = MakeRequest(kSimCmdBeginSession);
    EXPECT_EQ(link.Handle()->Write(ok.data(), 63, moved, 100), HidTransferResult::Failed);
    EXPECT_EQ(moved, 0u);
}

TEST(SimulatedKeyboard, ZeroLengthRequestsAnswerWithoutTouchingMemory) {
    SimulatedKeyboard keyboard;
    SimKeyboardLink link(keyboard);
    const auto before = keyboard.Memory();
    for (const uint8_t command :
         {kSimCmdBeginSession, kSimCmdEndSession, kSimCmdTest, kSimCmdWriteLightData,
          kSimCmdWriteKeyTable, kSimCmdWriteMacroArea, kSimCmdWriteKeyColours}) {
        const auto reply = link.Transact(MakeRequest(command, 0, 0));
        ASSERT_TRUE(reply) << int(command);
        EXPECT_EQ((*reply)[7], 0) << int(command);
        EXPECT_TRUE(
            std::all_of(reply->begin() + 8, reply->end(), [](uint8_t b) { return b == 0; }));
    }
    EXPECT_EQ(keyboard.Memory(), before);
    // Command 1 with no payload carries the checksum 01 00.
    const Frame begin = MakeRequest(kSimCmdBeginSession);
    EXPECT_EQ(begin[1], 1);
    EXPECT_EQ(begin[2], 0);
}

TEST(SimulatedKeyboard, SessionsOpenAndClose) {
    SimulatedKeyboard keyboard;
    SimKeyboardLink link(keyboard);
    EXPECT_FALSE(keyboard.SessionOpen());
    EXPECT_EQ(link.Status(kSimCmdBeginSession), 0);
    EXPECT_TRUE(keyboard.SessionOpen());
    EXPECT_EQ(link.Status(kSimCmdEndSession), 0);
    EXPECT_FALSE(keyboard.SessionOpen());
}

TEST(SimulatedKeyboard, FrameLogHoldsEveryFrameInOrder) {
    SimulatedKeyboard keyboard;
    SimKeyboardLink link(keyboard);
    const Frame first = MakeRequest(kSimCmdBeginSession);
    const Frame second = MakeRequest(kSimCmdWriteLightData, 1, 42, {7});
    const auto reply1 = link.Transact(first);
    const auto reply2 = link.Transact(second);
    ASSERT_TRUE(reply1 && reply2);

    const auto log = keyboard.FrameLog();
    ASSERT_EQ(log.size(), 4u);
    EXPECT_EQ(log[0].direction, SimFrameDirection::ToKeyboard);
    EXPECT_EQ(log[0].bytes, first);
    EXPECT_EQ(log[1].direction, SimFrameDirection::FromKeyboard);
    EXPECT_EQ(log[1].bytes, *reply1);
    EXPECT_EQ(log[2].bytes, second);
    EXPECT_EQ(log[3].bytes, *reply2);
    EXPECT_EQ(keyboard.RequestLog().size(), 2u);
    EXPECT_EQ(keyboard.ReplyLog().size(), 2u);
    EXPECT_EQ(keyboard.ReplyLog()[1].bytes[3], kSimCmdWriteLightData);
    keyboard.ClearFrameLog();
    EXPECT_TRUE(keyboard.FrameLog().empty());
}

TEST(SimulatedKeyboard, RepliesGoToEveryOpenHandleAndTimedOutOnesStayQueued) {
    SimulatedKeyboard keyboard;
    SimKeyboardLink a(keyboard);
    SimKeyboardLink b(keyboard);
    ASSERT_EQ(a.Write(MakeRequest(kSimCmdTest)), HidTransferResult::Ok);
    ASSERT_EQ(a.Write(MakeRequest(kSimCmdBeginSession)), HidTransferResult::Ok);
    Frame reply{};
    ASSERT_EQ(b.Read(reply, 0), HidTransferResult::Ok);
    EXPECT_EQ(reply[3], kSimCmdTest);
    ASSERT_EQ(a.Read(reply, 0), HidTransferResult::Ok);
    EXPECT_EQ(reply[3], kSimCmdTest);
    ASSERT_EQ(a.Read(reply, 0), HidTransferResult::Ok);
    EXPECT_EQ(reply[3], kSimCmdBeginSession);
    EXPECT_EQ(a.Read(reply, 0), HidTransferResult::Timeout);
    // A fresh handle starts with an empty queue.
    ASSERT_TRUE(b.Reopen());
    EXPECT_EQ(b.Read(reply, 0), HidTransferResult::Timeout);
}

TEST(SimulatedKeyboard, AccessFlagsLimitTheHandle) {
    SimulatedKeyboard keyboard;
    HidOpenFlags readOnly;
    readOnly.read = true;
    HidOpenError error = HidOpenError::None;
    auto handle = keyboard.Open(keyboard.ConfigurationPath(), readOnly, error);
    ASSERT_NE(handle, nullptr);
    const Frame frame = MakeRequest(kSimCmdTest);
    size_t moved = 0;
    EXPECT_EQ(handle->Write(frame.data(), frame.size(), moved, 100), HidTransferResult::Failed);
    auto probe = keyboard.Open(keyboard.ConfigurationPath(), HidOpenFlags{}, error);
    ASSERT_NE(probe, nullptr);
    Frame reply{};
    EXPECT_EQ(probe->Read(reply.data(), reply.size(), moved, 0), HidTransferResult::Failed);
}

TEST(SimulatedKeyboard, BootRequestMakesTheKeyboardLeaveUntilItReturns) {
    SimulatedKeyboard keyboard;
    SimKeyboardLink link(keyboard);
    Frame boot{};
    boot[0] = 4;
    boot[3] = 0xEE;
    boot[4] = 0xEE;
    ASSERT_EQ(link.Write(boot), HidTransferResult::Ok);
    EXPECT_TRUE(keyboard.InBootMode());
    EXPECT_EQ(keyboard.BootRequestCount(), 1u);
    EXPECT_TRUE(keyboard.ReplyLog().empty());
    EXPECT_FALSE(keyboard.PathExists(keyboard.ConfigurationPath()));
    std::vector<std::string> paths;
    ASSERT_TRUE(keyboard.ListInterfaces(paths));
    EXPECT_TRUE(paths.empty());
    Frame reply{};
    EXPECT_EQ(link.Read(reply, 0), HidTransferResult::Gone);

    keyboard.ReturnFromBootMode();
    EXPECT_TRUE(keyboard.PathExists(keyboard.ConfigurationPath()));
    EXPECT_EQ(link.Read(reply, 0), HidTransferResult::Gone) << "the old handle stays dead";
    ASSERT_TRUE(link.Reopen());
    EXPECT_EQ(link.Status(kSimCmdTest), 0);
}

TEST(SimulatedKeyboard, ComesBackFromBootModeByItselfWhenToldTo) {
    SimulatedKeyboard keyboard;
    const std::unique_ptr<HidChangeMonitor> monitor = keyboard.WatchChanges();
    keyboard.SetBootModeDuration(30);
    keyboard.EnterBootMode();
    EXPECT_FALSE(keyboard.PathExists(keyboard.ConfigurationPath()));
    ASSERT_EQ(monitor->Wait(kThreadWaitMs), HidChangeWait::Changed); // gone into boot mode
    ASSERT_EQ(monitor->Wait(kThreadWaitMs), HidChangeWait::Changed); // back
    EXPECT_TRUE(keyboard.PathExists(keyboard.ConfigurationPath()));
    EXPECT_FALSE(keyboard.InBootMode());
}

TEST(BuiltInKeyTable, HoldsTheListedPositionsAndZerosAfterThem) {
    const auto& table = kBuiltInDefaultKeyTable;
    const uint8_t expected[][3] = {{0x05, 0x00, 0x00}, {0x02, 0x02, 0x29}, {0x02, 0x01, 0x01},
                                   {0x02, 0x01, 0x08}, {0x02, 0x02, 0x46}, {0x05, 0x02, 0x02},
                                   {0x02, 0x02, 0x48}};
    const size_t positions[] = {5, 8, 13, 21, 38, 53, 62};
    for (size_t i = 0; i < std::size(positions); ++i) {
        EXPECT_TRUE(std::equal(expected[i], expected[i] + 3, table.begin() + 3 * positions[i]))
            << positions[i];
    }
    for (const size_t empty : {6, 7, 14, 15, 39, 47, 55}) {
        EXPECT_EQ(table[3 * empty] | table[3 * empty + 1] | table[3 * empty + 2], 0) << empty;
    }
    EXPECT_TRUE(std::all_of(table.begin() + 3 * 63, table.end(), [](uint8_t b) { return b == 0; }));
}
