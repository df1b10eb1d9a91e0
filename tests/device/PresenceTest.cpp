// SPDX-License-Identifier: GPL-3.0-or-later
#include "device/Presence.h"

#include "SimTestSupport.h"
#include "device/CHidDevice.h"
#include "device/DeviceState.h"
#include "device/Protocol.h"

#include <gtest/gtest.h>

namespace {

TEST(CandidatePathTest, MarkersAreReadIgnoringCase) {
    EXPECT_TRUE(IsCandidatePath("/dev/hidraw3?vid_0c45&pid_5004"));
    EXPECT_TRUE(IsCandidatePath("/dev/hidraw3?vid_320f&pid_5000&col02"));
    EXPECT_TRUE(IsCandidatePath("\\\\?\\HID#VID_0C45&PID_5004&MI_02#7&1a2b"));
    EXPECT_TRUE(IsCandidatePath("x?Vid_320F&Pid_5000"));
    // Only the low 16 bits of the numbers count.
    EXPECT_TRUE(IsCandidatePath("x?vid_10c45&pid_5004"));
    // Another model's or a mixed pair, missing markers or digits.
    EXPECT_FALSE(IsCandidatePath("x?vid_0c45&pid_5000"));
    EXPECT_FALSE(IsCandidatePath("x?vid_320f&pid_5004"));
    EXPECT_FALSE(IsCandidatePath("x?vid_046d&pid_c52b"));
    EXPECT_FALSE(IsCandidatePath("/dev/hidraw0"));
    EXPECT_FALSE(IsCandidatePath("x?vid_&pid_5004"));
    EXPECT_FALSE(IsCandidatePath("x?pid_5004"));
    EXPECT_FALSE(IsCandidatePath(""));
}

// The presence and listener threads on simulated keyboards, reporting to a recording link.
class PresenceTest : public ::testing::Test {
protected:
    void Install(std::vector<std::shared_ptr<SimulatedKeyboard>> keyboards, bool upper = false) {
        keyboards_ = keyboards;
        SetCurrentHidBackend(std::make_shared<MultiKeyboardBackend>(std::move(keyboards), upper));
    }
    void SetUp() override { DeviceState().Reset(); }
    void TearDown() override {
        threads.Stop();
        ConfigDevice().Close();
        DeviceState().Reset();
    }

    bool Present() const { return DeviceState().KeyboardPresent.load() == 1; }
    bool WaitForEvent(const LinkEvent& event, size_t count = 1, int limitMs = 5000) {
        return WaitUntil([&] { return link.Count(event) >= count; }, limitMs);
    }

    RecordingLink link;
    RecordingSink sink;
    DeviceThreads threads{link, sink};
    std::vector<std::shared_ptr<SimulatedKeyboard>> keyboards_;
};

std::shared_ptr<SimulatedKeyboard> NewKeyboard(const SimKeyboardModel& model = kSimModel5004) {
    return std::make_shared<SimulatedKeyboard>(model);
}

} // namespace

TEST_F(PresenceTest, PresentAtStartOpensTheWindowOnceAndReportsRemovalAndReturn) {
    auto keyboard = NewKeyboard();
    auto info = keyboard->InfoBlock();
    info[11] = 20;
    keyboard->SetInfoBlock(info);
    Install({keyboard});
    threads.Start();
    ASSERT_TRUE(WaitForEvent(kPostedOpen));
    EXPECT_TRUE(Present());
    EXPECT_EQ(DeviceState().DeviceOpen.load(), 1);
    EXPECT_EQ(DeviceState().OpenNotified.load(), 1);
    EXPECT_EQ(DeviceState().MacroCapacity.load(), 20u * 128);
    KeyTableBytes table{};
    DeviceState().GetDefaultKeyTable(table);
    const auto factory = keyboard->FactoryKeyTable();
    EXPECT_TRUE(std::equal(factory.begin(), factory.end(), table.begin()));
    // Arrival: the table and info block are read before the window is told.
    const std::vector<LinkEvent> arrival{kSentProfileReload, kTrayPresent, kPostedOpen};
    EXPECT_EQ(link.Events(), arrival);

    DeviceState().CachedProfile.store(2);
    link.Clear();
    keyboard->Unplug();
    ASSERT_TRUE(WaitForEvent(kTrayAbsent));
    const std::vector<LinkEvent> removal{kSentDisconnected, kHidden, kTrayAbsent};
    EXPECT_EQ(link.Events(), removal);
    EXPECT_FALSE(Present());
    EXPECT_EQ(DeviceState().DeviceOpen.load(), 0);
    EXPECT_EQ(DeviceState().CachedProfile.load(), -1);

    link.Clear();
    keyboard->Replug();
    ASSERT_TRUE(WaitForEvent(kTrayPresent));
    const std::vector<LinkEvent> again{kSentProfileReload, kTrayPresent};
    EXPECT_EQ(link.Events(), again);
    EXPECT_TRUE(Present());
    EXPECT_TRUE(sink.Shown().empty());
}

TEST_F(PresenceTest, AbsentAtStartStaysQuietAndLaterArrivalOpensNoWindow) {
    auto keyboard = NewKeyboard();
    keyboard->Unplug();
    Install({keyboard});
    threads.Start();
    ASSERT_TRUE(WaitUntil([] { return DeviceState().OpenNotified.load() == 1; }));
    EXPECT_TRUE(link.Events().empty());
    EXPECT_FALSE(Present());

    keyboard->Replug();
    ASSERT_TRUE(WaitForEvent(kTrayPresent));
    EXPECT_EQ(link.Count(kSentProfileReload), 1u);
    EXPECT_EQ(link.Count(kPostedOpen), 0u);
}

TEST_F(PresenceTest, StartedHiddenNeverOpensTheWindow) {
    DeviceState().OpenNotified.store(1); // as "/Start" leaves it
    Install({NewKeyboard()});
    threads.Start();
    ASSERT_TRUE(WaitForEvent(kTrayPresent));
    EXPECT_EQ(link.Count(kSentProfileReload), 1u);
    EXPECT_EQ(link.Count(kPostedOpen), 0u);
}

TEST_F(PresenceTest, FirstKeyboardInEnumerationOrderWins) {
    auto first = NewKeyboard(kSimModel5000);
    auto second = NewKeyboard(kSimModel5004);
    Install({first, second});
    threads.Start();
    ASSERT_TRUE(WaitForEvent(kTrayPresent));
    EXPECT_EQ(ConfigDevice().DevicePath(), first->ConfigurationPath());
    EXPECT_EQ(first->OpenHandleCount(SimInterface::Configuration), 1);
    EXPECT_EQ(second->OpenHandleCount(SimInterface::Configuration), 0);
    EXPECT_EQ(DeviceState().KeyTableLength.load(), 512u);
    // The listener takes the first consumer interface too.
    ASSERT_TRUE(WaitUntil([&] { return first->OpenHandleCount(SimInterface::Consumer) == 1; }));
}

TEST_F(PresenceTest, ModelValuesFollowTheKeyboardThatArrives) {
    auto large = NewKeyboard(kSimModel5000);
    auto small = NewKeyboard(kSimModel5004);
    small->Unplug();
    Install({large, small});
    threads.Start();
    ASSERT_TRUE(WaitForEvent(kTrayPresent));
    EXPECT_EQ(DeviceState().KeyTableLength.load(), 512u);
    EXPECT_EQ(DeviceState().KeySlotCount.load(), 128u);
    KeyTableBytes table{};
    DeviceState().GetDefaultKeyTable(table);
    auto factory = large->FactoryKeyTable();
    EXPECT_TRUE(std::equal(factory.begin(), factory.end(), table.begin()));

    large->Unplug();
    ASSERT_TRUE(WaitForEvent(kTrayAbsent));
    small->Replug();
    ASSERT_TRUE(WaitForEvent(kTrayPresent, 2));
    EXPECT_EQ(DeviceState().KeyTableLength.load(), 378u);
    EXPECT_EQ(DeviceState().KeySlotCount.load(), 126u);
    DeviceState().GetDefaultKeyTable(table);
    factory = small->FactoryKeyTable();
    EXPECT_TRUE(std::equal(factory.begin(), factory.end(), table.begin()));
    EXPECT_EQ(ConfigDevice().DevicePath(), small->ConfigurationPath());
}

TEST_F(PresenceTest, UpperCaseMarkersAreStillCandidates) {
    auto keyboard = NewKeyboard();
    Install({keyboard}, true);
    threads.Start();
    ASSERT_TRUE(WaitForEvent(kPostedOpen));
    EXPECT_NE(ConfigDevice().DevicePath().find("VID_0C45&PID_5004"), std::string::npos);
    ASSERT_TRUE(WaitUntil([&] { return keyboard->OpenHandleCount(SimInterface::Consumer) == 1; }));
    keyboard->PushConsumerNotice(0x0401);
    EXPECT_TRUE(WaitForEvent(kTimerLighting));
}

TEST_F(PresenceTest, UnreadableFactoryTableKeepsTheOldOneAndTellsTheUser) {
    auto keyboard = NewKeyboard();
    Install({keyboard});
    ASSERT_TRUE(ConfigDevice().Open(keyboard->ConfigurationPath(),
                                    {.read = true, .write = true, .overlapped = true}));
    DeviceState().DeviceOpen.store(1);
    KeyTableBytes old{};
    old.fill(0x3C);
    DeviceState().SetDefaultKeyTable(old);
    auto info = keyboard->InfoBlock();
    info[11] = 7;
    keyboard->SetInfoBlock(info);

    keyboard->AnswerWithStatus(0xFE); // the first piece of the factory table is refused
    threads.OnPresenceChanged(1);
    EXPECT_EQ(sink.Shown(), std::vector<std::string>{"MAIN_DEFAULT_MATRIX_PROMPT"});
    KeyTableBytes now{};
    DeviceState().GetDefaultKeyTable(now);
    EXPECT_EQ(now, old);
    // The rest of the arrival goes on.
    EXPECT_EQ(DeviceState().MacroCapacity.load(), 7u * 128);
    EXPECT_EQ(link.Count(kSentProfileReload), 1u);
    EXPECT_TRUE(Present());

    // Same state again: nothing is reported twice.
    threads.OnPresenceChanged(1);
    EXPECT_EQ(link.Count(kSentProfileReload), 1u);

    // A lost info block keeps the capacity as it was.
    threads.OnPresenceChanged(0);
    keyboard->DropNextReplies(kSimForever);
    DeviceState().DeviceOpen.store(1);
    threads.OnPresenceChanged(1);
    EXPECT_EQ(DeviceState().MacroCapacity.load(), 7u * 128);
    EXPECT_EQ(sink.Shown().size(), 2u);
    keyboard->DropNextReplies(0);
}

TEST_F(PresenceTest, KeyboardNoticesBecomeTimersAndTrayIcons) {
    auto keyboard = NewKeyboard();
    Install({keyboard});
    threads.Start();
    ASSERT_TRUE(WaitForEvent(kTrayPresent));
    ASSERT_TRUE(WaitUntil([&] { return keyboard->OpenHandleCount(SimInterface::Consumer) == 1; }));
    link.Clear();

    // "All keys released" does nothing: the next notice is the first thing recorded.
    ASSERT_EQ(keyboard->PushConsumerNotice(0x0000), 1);
    ASSERT_EQ(keyboard->PushConsumerNotice(0x0401), 1);
    ASSERT_TRUE(WaitForEvent(kTimerLighting));
    ASSERT_TRUE(keyboard->ChangeProfileOnKeyboard(2));
    ASSERT_TRUE(WaitForEvent(kTimerProfile));
    const std::vector<LinkEvent> timers{kTimerLighting, kTimerProfile};
    EXPECT_EQ(link.Events(), timers);

    link.Clear();
    keyboard->PushConsumerNotice(0x1811);
    keyboard->PushConsumerNotice(0x1810);
    ASSERT_TRUE(WaitForEvent(kTraySpecialOff));
    const std::vector<LinkEvent> icons{kTraySpecialOn, kTraySpecialOff};
    EXPECT_EQ(link.Events(), icons);
}

TEST_F(PresenceTest, QuickSpecialModeChangesKeepTheirOrder) {
    auto keyboard = NewKeyboard();
    Install({keyboard});
    threads.Start();
    ASSERT_TRUE(WaitUntil([&] { return keyboard->OpenHandleCount(SimInterface::Consumer) == 1; }));
    ASSERT_TRUE(WaitForEvent(kTrayPresent));
    link.Clear();
    constexpr int kRounds = 20;
    for (int i = 0; i < kRounds; ++i) {
        keyboard->PushConsumerNotice(0x1811);
        keyboard->PushConsumerNotice(0x1810);
    }
    ASSERT_TRUE(WaitForEvent(kTraySpecialOff, kRounds));
    const auto events = link.Events();
    ASSERT_EQ(events.size(), 2u * kRounds);
    for (size_t i = 0; i < events.size(); ++i) {
        EXPECT_EQ(events[i], i % 2 == 0 ? kTraySpecialOn : kTraySpecialOff) << i;
    }
}

TEST_F(PresenceTest, ListenerComesBackAfterTheKeyboardReturns) {
    auto keyboard = NewKeyboard();
    Install({keyboard});
    threads.Start();
    ASSERT_TRUE(WaitUntil([&] { return keyboard->OpenHandleCount(SimInterface::Consumer) == 1; }));
    keyboard->Unplug();
    ASSERT_TRUE(WaitUntil([&] { return keyboard->OpenHandleCount(SimInterface::Consumer) == 0; }));
    keyboard->Replug();
    ASSERT_TRUE(WaitUntil([&] { return keyboard->OpenHandleCount(SimInterface::Consumer) == 1; }));
    keyboard->PushConsumerNotice(0x0402);
    EXPECT_TRUE(WaitForEvent(kTimerProfile));
}

TEST_F(PresenceTest, StopEndsEverythingAndClosesTheKeyboard) {
    auto keyboard = NewKeyboard();
    Install({keyboard});
    threads.Start();
    ASSERT_TRUE(WaitForEvent(kTrayPresent));
    ASSERT_TRUE(WaitUntil([&] { return keyboard->OpenHandleCount(SimInterface::Consumer) == 1; }));
    // A silent keyboard holds the presence thread in its retries no longer than Stop takes.
    keyboard->DropNextReplies(kSimForever);
    threads.Stop();
    EXPECT_EQ(DeviceState().DeviceOpen.load(), 0);
    EXPECT_EQ(keyboard->OpenHandleCount(SimInterface::Configuration), 0);
    EXPECT_EQ(keyboard->OpenHandleCount(SimInterface::Consumer), 0);
    keyboard->DropNextReplies(0);

    // And the threads can run again.
    link.Clear();
    DeviceState().Reset();
    threads.Start();
    EXPECT_TRUE(WaitForEvent(kPostedOpen));
}

TEST_F(PresenceTest, OnlyOneSetOfThreadsRunsAndStopWorksInAnyState) {
    DeviceThreads other{link, sink};
    other.Stop(); // never started
    auto keyboard = NewKeyboard();
    keyboard->Unplug();
    Install({keyboard});
    ASSERT_TRUE(threads.Start());
    EXPECT_FALSE(threads.Start());
    EXPECT_FALSE(other.Start()); // the process has one configuration device
    other.Stop();                // leaves the running threads alone
    ASSERT_TRUE(WaitUntil([] { return DeviceState().OpenNotified.load() == 1; }));
    EXPECT_TRUE(link.Events().empty());
    keyboard->Replug();
    EXPECT_TRUE(WaitForEvent(kTrayPresent));
    threads.Stop();
    EXPECT_TRUE(other.Start());
    other.Stop();
}

TEST_F(PresenceTest, StopCutsShortTheArrivalReadsOfASilentKeyboard) {
    auto keyboard = NewKeyboard();
    keyboard->DropNextReplies(kSimForever);
    Install({keyboard});
    threads.Start();
    // Four writes of the first info block read, then the factory table read begins.
    ASSERT_TRUE(WaitUntil([&] { return keyboard->RequestLog().size() >= 5; }, 10000));
    threads.Stop();
    EXPECT_EQ(DeviceState().DeviceOpen.load(), 0);
    EXPECT_EQ(keyboard->OpenHandleCount(SimInterface::Configuration), 0);
    // The failure came from stopping, not from the keyboard: nothing to tell the user.
    EXPECT_TRUE(sink.Shown().empty());
    keyboard->DropNextReplies(0);
}

TEST_F(PresenceTest, ConnectingWithoutThreadsActsAsAnArrival) {
    auto small = NewKeyboard(kSimModel5004);
    auto large = NewKeyboard(kSimModel5000);
    auto info = large->InfoBlock();
    info[11] = 3;
    large->SetInfoBlock(info);
    Install({small, large});
    std::vector<KeyboardInterface> found;
    ASSERT_TRUE(FindKeyboards(found));
    ASSERT_EQ(found.size(), 2u);
    EXPECT_EQ(found[0].Path, small->ConfigurationPath());
    EXPECT_EQ(found[1].Path, large->ConfigurationPath());
    EXPECT_EQ(found[1].Model->keyTableLength, 512u);
    EXPECT_EQ(small->OpenHandleCount(SimInterface::Configuration), 0);

    ASSERT_EQ(ConnectKeyboard(large->ConfigurationPath()), 1);
    EXPECT_EQ(DeviceState().DeviceOpen.load(), 1);
    EXPECT_EQ(DeviceState().KeyTableLength.load(), 512u);
    EXPECT_EQ(DeviceState().MacroCapacity.load(), 3u * 128);
    KeyTableBytes table{};
    DeviceState().GetDefaultKeyTable(table);
    const auto factory = large->FactoryKeyTable();
    EXPECT_TRUE(std::equal(factory.begin(), factory.end(), table.begin()));

    // Not while the threads own the device.
    ASSERT_TRUE(threads.Start());
    EXPECT_EQ(ConnectKeyboard(), 0);
    threads.Stop();

    EXPECT_EQ(ConnectKeyboard(), 1);
    EXPECT_EQ(ConfigDevice().DevicePath(), small->ConfigurationPath());
    EXPECT_EQ(ConnectKeyboard(small->KeyboardPath()), 0); // no configuration interface
    EXPECT_EQ(DeviceState().DeviceOpen.load(), 0);
    small->Unplug();
    large->Unplug();
    EXPECT_EQ(ConnectKeyboard(), 0);
}

TEST(ConfigurationInterfaceTest, OnlyTheVendorInterfaceOfASupportedModelCounts) {
    for (const SimKeyboardModel& model : {kSimModel5004, kSimModel5000}) {
        auto keyboard = std::make_shared<SimulatedKeyboard>(model);
        SetCurrentHidBackend(keyboard);
        CHidDevice device;
        EXPECT_FALSE(IsConfigurationInterface(device)); // nothing open
        ASSERT_TRUE(device.Open(keyboard->ConfigurationPath(), {.read = true, .overlapped = true}));
        EXPECT_TRUE(IsConfigurationInterface(device));
        device.Close();
        ASSERT_TRUE(device.Open(keyboard->ConsumerPath(), {.read = true, .overlapped = true}));
        EXPECT_FALSE(IsConfigurationInterface(device));
        device.Close();
        ASSERT_TRUE(device.Open(keyboard->KeyboardPath(), {.read = true, .overlapped = true}));
        EXPECT_FALSE(IsConfigurationInterface(device));
        device.Close();
    }
}
