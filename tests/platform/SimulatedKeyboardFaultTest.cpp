// SPDX-License-Identifier: GPL-3.0-or-later
#include "SimKeyboardLink.h"
#include "platform/hid/ReportDescriptor.h"
#include "support/ThreadWait.h"

#include <chrono>
#include <future>
#include <gtest/gtest.h>
#include <mutex>
#include <thread>

namespace {

using namespace std::chrono_literals;

std::unique_ptr<HidInterface> OpenConsumer(SimulatedKeyboard& keyboard) {
    HidOpenFlags flags;
    flags.read = true;
    HidOpenError error = HidOpenError::None;
    return keyboard.Open(keyboard.ConsumerPath(), flags, error);
}

// The first usage of a consumer report, decoded with the interface's own descriptor.
uint16_t FirstUsage(const std::array<uint8_t, 3>& report) {
    const auto& descriptor = SimulatedKeyboard::ReportDescriptorOf(SimInterface::Consumer);
    std::vector<HidPreparsedData> collections;
    if (!ParseReportDescriptor(descriptor.data(), descriptor.size(), collections)) {
        return 0xFFFF;
    }
    uint16_t usages[4] = {};
    uint32_t count = 4;
    if (collections[0].GetUsages(HidReportType::Input, 0x0C, 0, usages, count, report.data(),
                                 report.size()) != HIDP_STATUS_SUCCESS) {
        return 0xFFFF;
    }
    return count > 0 ? usages[0] : 0;
}

HidTransferResult ReadNotice(HidInterface& consumer, std::array<uint8_t, 3>& report,
                             uint32_t timeoutMs) {
    size_t moved = 0;
    return consumer.Read(report.data(), report.size(), moved, timeoutMs);
}

} // namespace

TEST(SimulatedKeyboardFaults, UnplugEndsEveryHandleAndHidesThePaths) {
    SimulatedKeyboard keyboard;
    SimKeyboardLink link(keyboard);
    auto consumer = OpenConsumer(keyboard);
    ASSERT_NE(consumer, nullptr);
    ASSERT_EQ(link.Write(MakeRequest(kSimCmdWriteLightData, 1, 0, {9})), HidTransferResult::Ok);

    keyboard.Unplug();
    EXPECT_FALSE(keyboard.IsPlugged());
    for (const auto which :
         {SimInterface::Keyboard, SimInterface::Consumer, SimInterface::Configuration}) {
        EXPECT_FALSE(keyboard.PathExists(keyboard.InterfacePath(which)));
    }
    std::vector<std::string> paths{"stale"};
    EXPECT_TRUE(keyboard.ListInterfaces(paths));
    EXPECT_TRUE(paths.empty());
    HidOpenError error = HidOpenError::None;
    EXPECT_EQ(keyboard.Open(keyboard.ConfigurationPath(), {}, error), nullptr);
    EXPECT_EQ(error, HidOpenError::NotFound);

    Frame reply{};
    EXPECT_EQ(link.Read(reply, 0), HidTransferResult::Gone) << "the queued reply went with it";
    EXPECT_EQ(link.Write(MakeRequest(kSimCmdTest)), HidTransferResult::Gone);
    std::array<uint8_t, 3> notice{};
    EXPECT_EQ(ReadNotice(*consumer, notice, 0), HidTransferResult::Gone);
    EXPECT_EQ(keyboard.PushConsumerNotice(kSimNoticeLightingChanged), 0);
    EXPECT_FALSE(keyboard.ChangeProfileOnKeyboard(1));

    keyboard.Replug();
    EXPECT_TRUE(keyboard.PathExists(keyboard.ConfigurationPath()));
    EXPECT_EQ(link.Read(reply, 0), HidTransferResult::Gone) << "old handles stay dead";
    ASSERT_TRUE(link.Reopen());
    EXPECT_EQ(link.Status(kSimCmdTest), 0);
    EXPECT_EQ(keyboard.LightRecord(0)[0], 9) << "memory survives a replug";
    EXPECT_EQ(keyboard.ActiveProfile(), 0);
}

TEST(SimulatedKeyboardFaults, DroppedRepliesAreCarriedOutButNeverArrive) {
    SimulatedKeyboard keyboard;
    SimKeyboardLink link(keyboard);
    keyboard.DropNextReplies(2);
    EXPECT_FALSE(link.Transact(MakeRequest(kSimCmdWriteLightData, 1, 1, {5}), 20));
    EXPECT_FALSE(link.Transact(MakeRequest(kSimCmdWriteLightData, 1, 2, {5}), 20));
    EXPECT_EQ(keyboard.LightRecord(0)[1], 5);
    EXPECT_EQ(keyboard.LightRecord(0)[2], 5);
    EXPECT_TRUE(keyboard.ReplyLog().empty());
    EXPECT_EQ(keyboard.RequestLog().size(), 2u);
    EXPECT_EQ(link.Status(kSimCmdTest), 0);

    // A keyboard that never answers: the same request four times, four times nothing.
    keyboard.DropNextReplies(kSimForever);
    const Frame request = MakeRequest(kSimCmdReadInfoBlock, 44);
    keyboard.ClearFrameLog();
    for (int attempt = 0; attempt < 4; ++attempt) {
        EXPECT_FALSE(link.Transact(request, 5));
    }
    EXPECT_EQ(keyboard.RequestLog().size(), 4u);
    EXPECT_TRUE(keyboard.ReplyLog().empty());
    keyboard.DropNextReplies(0);
    EXPECT_EQ(link.Status(kSimCmdTest), 0);
}

TEST(SimulatedKeyboardFaults, ForcedStatusRefusesOrOnlyRelabels) {
    SimulatedKeyboard keyboard;
    SimKeyboardLink link(keyboard);
    for (const uint8_t failure : {uint8_t{0xFF}, uint8_t{0xFE}}) {
        keyboard.AnswerWithStatus(failure);
        const auto reply = link.Transact(MakeRequest(kSimCmdReadInfoBlock, 44));
        ASSERT_TRUE(reply);
        EXPECT_EQ((*reply)[7], failure);
        EXPECT_TRUE(std::all_of(reply->begin() + 8, reply->end(), [](uint8_t b) { return b == 0; }))
            << "a refusal carries no data";
        keyboard.AnswerWithStatus(failure);
        EXPECT_EQ(link.Status(kSimCmdWriteLightData, 1, 0, {7}), failure);
        EXPECT_EQ(keyboard.LightRecord(0)[0], 1) << "refused writes change nothing";
    }

    keyboard.AnswerWithStatus(0x80, 2);
    EXPECT_EQ(link.Status(kSimCmdWriteLightData, 1, 0, {7}), 0x80);
    EXPECT_EQ(keyboard.LightRecord(0)[0], 7);
    const auto reply = link.Transact(MakeRequest(kSimCmdReadInfoBlock, 44));
    ASSERT_TRUE(reply);
    EXPECT_EQ((*reply)[7], 0x80);
    EXPECT_EQ((*reply)[8 + 11], keyboard.InfoBlock()[11]);
    EXPECT_EQ(link.Status(kSimCmdTest), 0) << "the count ran out";
}

TEST(SimulatedKeyboardFaults, DelayedRepliesArriveLateAndStayInOrder) {
    SimulatedKeyboard keyboard;
    SimKeyboardLink link(keyboard);
    keyboard.DelayReplies(150);
    ASSERT_EQ(link.Write(MakeRequest(kSimCmdTest)), HidTransferResult::Ok);
    Frame reply{};
    EXPECT_EQ(link.Read(reply, 0), HidTransferResult::Timeout);
    // A retry after the timeout: the late reply of the first request comes first.
    ASSERT_EQ(link.Write(MakeRequest(kSimCmdBeginSession)), HidTransferResult::Ok);
    ASSERT_EQ(link.Read(reply, 2000), HidTransferResult::Ok);
    EXPECT_EQ(reply[3], kSimCmdTest);
    ASSERT_EQ(link.Read(reply, 2000), HidTransferResult::Ok);
    EXPECT_EQ(reply[3], kSimCmdBeginSession);
    keyboard.DelayReplies(0);
    EXPECT_EQ(link.Status(kSimCmdEndSession), 0);
}

TEST(SimulatedKeyboardFaults, FailedWritesReachNothing) {
    SimulatedKeyboard keyboard;
    SimKeyboardLink link(keyboard);
    keyboard.FailWrites(2);
    EXPECT_EQ(link.Write(MakeRequest(kSimCmdWriteLightData, 1, 0, {3})), HidTransferResult::Failed);
    EXPECT_EQ(link.Write(MakeRequest(kSimCmdWriteLightData, 1, 0, {3})), HidTransferResult::Failed);
    EXPECT_TRUE(keyboard.FrameLog().empty());
    EXPECT_EQ(keyboard.LightRecord(0)[0], 1);
    EXPECT_EQ(link.Status(kSimCmdTest), 0);

    keyboard.FailWrites(kSimForever);
    for (int i = 0; i < 10; ++i) {
        EXPECT_EQ(link.Write(MakeRequest(kSimCmdTest)), HidTransferResult::Failed);
    }
    keyboard.FailWrites(0);
    EXPECT_EQ(link.Status(kSimCmdTest), 0);
}

TEST(SimulatedKeyboardFaults, AScheduledFaultStrikesAtItsFrameOnly) {
    const auto answered = [](SimKeyboardLink& link) {
        return link.Status(kSimCmdWriteLightData, 1, 0, {7}) == 0;
    };
    for (const SimFault fault : {SimFault::Unplug, SimFault::DropReplies, SimFault::StatusFF,
                                 SimFault::StatusFE, SimFault::FailWrite}) {
        SimulatedKeyboard keyboard;
        SimKeyboardLink link(keyboard);
        keyboard.SetInstantTimeouts(true);
        keyboard.ScheduleFault(fault, 2, 2);
        EXPECT_TRUE(answered(link));
        EXPECT_TRUE(answered(link));
        EXPECT_TRUE(keyboard.FaultPending());
        const Frame request = MakeRequest(kSimCmdWriteLightData, 1, 3, {9});
        Frame reply{};
        const HidTransferResult written = link.Write(request);
        EXPECT_FALSE(keyboard.FaultPending());
        switch (fault) {
        case SimFault::Unplug:
            EXPECT_EQ(written, HidTransferResult::Gone);
            EXPECT_FALSE(keyboard.IsPlugged());
            EXPECT_EQ(keyboard.LightRecord(0)[3], 0) << "the frame never arrived";
            continue;
        case SimFault::DropReplies:
            EXPECT_EQ(written, HidTransferResult::Ok);
            EXPECT_EQ(link.Read(reply, 600000), HidTransferResult::Timeout) << "at once";
            EXPECT_EQ(keyboard.LightRecord(0)[3], 9) << "carried out";
            EXPECT_FALSE(link.Transact(MakeRequest(kSimCmdTest))) << "the second of two";
            break;
        case SimFault::StatusFF:
        case SimFault::StatusFE:
            EXPECT_EQ(written, HidTransferResult::Ok);
            ASSERT_EQ(link.Read(reply), HidTransferResult::Ok);
            EXPECT_EQ(reply[7], fault == SimFault::StatusFF ? 0xFF : 0xFE);
            EXPECT_EQ(keyboard.LightRecord(0)[3], 0) << "refused";
            EXPECT_NE(link.Status(kSimCmdTest), 0) << "the second of two";
            break;
        case SimFault::FailWrite:
            EXPECT_EQ(written, HidTransferResult::Failed);
            EXPECT_EQ(link.Write(MakeRequest(kSimCmdTest)), HidTransferResult::Failed);
            break;
        }
        EXPECT_TRUE(answered(link)) << "the keyboard answers again after the fault";
    }
}

TEST(SimulatedKeyboardFaults, InstantTimeoutsStillWaitForDelayedReplies) {
    SimulatedKeyboard keyboard;
    SimKeyboardLink link(keyboard);
    keyboard.SetInstantTimeouts(true);
    Frame reply{};
    EXPECT_EQ(link.Read(reply, 600000), HidTransferResult::Timeout) << "nothing on its way";
    keyboard.DelayReplies(30);
    ASSERT_EQ(link.Write(MakeRequest(kSimCmdTest)), HidTransferResult::Ok);
    EXPECT_EQ(link.Read(reply, 600000), HidTransferResult::Ok);
    EXPECT_EQ(reply[3], kSimCmdTest);
    keyboard.DelayReplies(0);
    // Unlimited reads are untouched: they wait for what comes.
    auto consumer = OpenConsumer(keyboard);
    ASSERT_NE(consumer, nullptr);
    BlockedThread reader;
    reader.Mark();
    std::thread late([&] {
        EXPECT_TRUE(reader.WaitUntilBlocked());
        EXPECT_EQ(keyboard.PushConsumerNotice(kSimNoticeLightingChanged), 1);
    });
    std::array<uint8_t, 3> notice{};
    EXPECT_EQ(ReadNotice(*consumer, notice, kHidNoTimeout), HidTransferResult::Ok);
    late.join();
}

TEST(SimulatedKeyboardFaults, AChangeMonitorWakesOnUnplugReplugAndBootMode) {
    SimulatedKeyboard keyboard;
    const std::unique_ptr<HidChangeMonitor> monitor = keyboard.WatchChanges();
    ASSERT_NE(monitor, nullptr);
    EXPECT_EQ(monitor->Wait(0), HidChangeWait::Timeout);
    keyboard.Unplug(); // before anyone waits: not lost
    EXPECT_EQ(monitor->Wait(600000), HidChangeWait::Changed);
    EXPECT_EQ(monitor->Wait(0), HidChangeWait::Timeout) << "each change once";
    keyboard.Replug();
    EXPECT_EQ(monitor->Wait(600000), HidChangeWait::Changed);
    keyboard.Replug(); // already plugged in: no change
    EXPECT_EQ(monitor->Wait(0), HidChangeWait::Timeout);

    // A boot mode that ends by itself wakes the waiter when it ends.
    keyboard.SetBootModeDuration(30);
    keyboard.EnterBootMode();
    EXPECT_EQ(monitor->Wait(600000), HidChangeWait::Changed);
    EXPECT_EQ(monitor->Wait(600000), HidChangeWait::Changed);
    EXPECT_FALSE(keyboard.InBootMode());

    BlockedThread waiter;
    waiter.Mark();
    std::thread canceller([&] {
        EXPECT_TRUE(waiter.WaitUntilBlocked());
        monitor->Cancel();
    });
    EXPECT_EQ(monitor->Wait(600000), HidChangeWait::Cancelled);
    canceller.join();
    EXPECT_EQ(monitor->Wait(600000), HidChangeWait::Cancelled);
}

TEST(SimulatedKeyboardFaults, NoticesReachEveryListeningConsumerHandle) {
    SimulatedKeyboard keyboard;
    EXPECT_EQ(keyboard.PushConsumerNotice(kSimNoticeLightingChanged), 0) << "nobody listens";
    auto first = OpenConsumer(keyboard);
    auto second = OpenConsumer(keyboard);
    ASSERT_TRUE(first && second);
    std::array<uint8_t, 3> report{};
    EXPECT_EQ(ReadNotice(*first, report, 0), HidTransferResult::Timeout);

    for (const uint16_t usage :
         {kSimNoticeLightingChanged, kSimNoticeProfileChanged, kSimNoticeSpecialModeOff,
          kSimNoticeSpecialModeOn, kSimNoticeReleased}) {
        EXPECT_EQ(keyboard.PushConsumerNotice(usage), 2);
        for (auto* handle : {first.get(), second.get()}) {
            ASSERT_EQ(ReadNotice(*handle, report, 0), HidTransferResult::Ok);
            EXPECT_EQ(report[0], 3);
            EXPECT_EQ(FirstUsage(report), usage);
        }
    }
    // Nothing reaches the configuration interface.
    SimKeyboardLink link(keyboard);
    keyboard.PushConsumerNotice(kSimNoticeLightingChanged);
    Frame frame{};
    EXPECT_EQ(link.Read(frame, 0), HidTransferResult::Timeout);
}

TEST(SimulatedKeyboardFaults, ProfileAndLightingChangedOnTheKeyboardAreAnnounced) {
    SimulatedKeyboard keyboard;
    auto consumer = OpenConsumer(keyboard);
    ASSERT_NE(consumer, nullptr);
    std::array<uint8_t, 3> report{};

    ASSERT_TRUE(keyboard.ChangeProfileOnKeyboard(2));
    EXPECT_EQ(keyboard.ActiveProfile(), 2);
    ASSERT_EQ(ReadNotice(*consumer, report, 0), HidTransferResult::Ok);
    EXPECT_EQ(FirstUsage(report), kSimNoticeProfileChanged);
    ASSERT_EQ(ReadNotice(*consumer, report, 0), HidTransferResult::Ok);
    EXPECT_EQ(FirstUsage(report), 0) << "then the key is released";

    EXPECT_FALSE(keyboard.ChangeProfileOnKeyboard(3));
    EXPECT_FALSE(keyboard.ChangeProfileOnKeyboard(-1));
    EXPECT_EQ(keyboard.ActiveProfile(), 2);
    EXPECT_EQ(ReadNotice(*consumer, report, 0), HidTransferResult::Timeout);

    ASSERT_TRUE(keyboard.ChangeLightByteOnKeyboard(42 + 1, 0));
    EXPECT_EQ(keyboard.LightRecord(1)[1], 0);
    ASSERT_EQ(ReadNotice(*consumer, report, 0), HidTransferResult::Ok);
    EXPECT_EQ(FirstUsage(report), kSimNoticeLightingChanged);
    EXPECT_FALSE(keyboard.ChangeLightByteOnKeyboard(126, 0));
}

TEST(SimulatedKeyboardFaults, BlockedConsumerReadEndsByNoticeCancelOrUnplug) {
    SimulatedKeyboard keyboard;
    BlockedThread reader;
    const auto blockedRead = [&reader](HidInterface* handle) {
        return std::async(std::launch::async, [handle, &reader] {
            reader.Mark();
            std::array<uint8_t, 3> report{};
            const HidTransferResult result = ReadNotice(*handle, report, kHidNoTimeout);
            return std::make_pair(result, result == HidTransferResult::Ok ? FirstUsage(report)
                                                                          : uint16_t{0xFFFF});
        });
    };
    const auto waitUntilBlocked = [&reader] { EXPECT_TRUE(reader.WaitUntilBlocked()); };

    auto byNotice = OpenConsumer(keyboard);
    auto pending = blockedRead(byNotice.get());
    waitUntilBlocked();
    EXPECT_EQ(pending.wait_for(0ms), std::future_status::timeout) << "waits without limit";
    EXPECT_EQ(keyboard.PushConsumerNotice(kSimNoticeSpecialModeOn), 1);
    EXPECT_EQ(pending.get(), std::make_pair(HidTransferResult::Ok, kSimNoticeSpecialModeOn));

    auto byCancel = OpenConsumer(keyboard);
    pending = blockedRead(byCancel.get());
    waitUntilBlocked();
    byCancel->Cancel();
    EXPECT_EQ(pending.get().first, HidTransferResult::Cancelled);
    std::array<uint8_t, 3> report{};
    keyboard.PushConsumerNotice(kSimNoticeLightingChanged);
    EXPECT_EQ(ReadNotice(*byCancel, report, 0), HidTransferResult::Cancelled)
        << "a cancelled handle stays cancelled";

    auto byUnplug = OpenConsumer(keyboard);
    pending = blockedRead(byUnplug.get());
    waitUntilBlocked();
    keyboard.Unplug();
    EXPECT_EQ(pending.get().first, HidTransferResult::Gone);
}

TEST(SimulatedKeyboardFaults, HandlesOutliveTheKeyboardAsUnplugged) {
    auto keyboard = std::make_unique<SimulatedKeyboard>();
    auto consumer = OpenConsumer(*keyboard);
    BlockedThread reader;
    auto pending = std::async(std::launch::async, [&] {
        reader.Mark();
        std::array<uint8_t, 3> report{};
        return ReadNotice(*consumer, report, kHidNoTimeout);
    });
    EXPECT_TRUE(reader.WaitUntilBlocked());
    keyboard.reset();
    EXPECT_EQ(pending.get(), HidTransferResult::Gone);
    consumer.reset();
}

TEST(SimulatedKeyboardFaults, TwoThreadsTransactingUnderOneLockGetTheirOwnReplies) {
    SimulatedKeyboard keyboard;
    SimKeyboardLink link(keyboard);
    std::mutex ioLock;
    const auto worker = [&](uint8_t profileOffset) {
        int mismatches = 0;
        for (int i = 0; i < 300; ++i) {
            const auto offset = static_cast<uint16_t>(profileOffset + (i % 42));
            std::lock_guard lock(ioLock);
            const auto reply = link.Transact(
                MakeRequest(kSimCmdWriteLightData, 1, offset, {static_cast<uint8_t>(i)}));
            if (!reply || (*reply)[3] != kSimCmdWriteLightData ||
                ((*reply)[5] | ((*reply)[6] << 8)) != offset || (*reply)[7] != 0) {
                ++mismatches;
            }
        }
        return mismatches;
    };
    auto other = std::async(std::launch::async, worker, uint8_t{84});
    const auto here = worker(0);
    EXPECT_EQ(here, 0);
    EXPECT_EQ(other.get(), 0);
    EXPECT_EQ(keyboard.RequestLog().size(), 600u);
    EXPECT_EQ(keyboard.LightRecord(2)[299 % 42], 299 & 0xFF);
}

TEST(SimulatedKeyboardFaults, ControlsAndTransfersMayRunConcurrently) {
    SimulatedKeyboard keyboard;
    auto consumer = OpenConsumer(keyboard);
    constexpr int kChanges = 30; // two reports each, fewer than a handle queues
    auto listener = std::async(std::launch::async, [&] {
        int notices = 0;
        std::array<uint8_t, 3> report{};
        while (notices < 2 * kChanges &&
               ReadNotice(*consumer, report, 2000) == HidTransferResult::Ok) {
            ++notices;
        }
        return notices;
    });
    auto commands = std::async(std::launch::async, [&] {
        SimKeyboardLink link(keyboard);
        int answered = 0;
        for (int i = 0; i < 200; ++i) {
            answered += link.Status(kSimCmdReadInfoBlock, 44) == 0 ? 1 : 0;
        }
        return answered;
    });
    for (int i = 0; i < kChanges; ++i) {
        EXPECT_TRUE(keyboard.ChangeProfileOnKeyboard(i % 3));
        EXPECT_EQ(keyboard.Memory().keyTables.size(), 3u * 378);
        (void)keyboard.FrameLog();
    }
    EXPECT_EQ(commands.get(), 200);
    EXPECT_EQ(listener.get(), 2 * kChanges) << "each change sends the notice and its release";
}
