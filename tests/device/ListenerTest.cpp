// SPDX-License-Identifier: GPL-3.0-or-later
#include "FakeHidBackend.h"
#include "RecordingLink.h"
#include "device/DeviceState.h"
#include "device/Presence.h"
#include "support/HidTestDescriptors.h"

#include <gtest/gtest.h>

namespace {

const char* const kImpostorPath = "/fake/0?vid_0c45&pid_5004";
const char* const kConsumerPath = "/fake/1?vid_0c45&pid_5004";

std::vector<uint8_t> ConsumerReport(uint8_t id, uint16_t usage) {
    return {id, static_cast<uint8_t>(usage & 0xFF), static_cast<uint8_t>(usage >> 8)};
}

} // namespace

// Reports the listener reads from hand-made interfaces, where the simulated keyboard would
// never send them.
TEST(ListenerTest, OnlyFreshReportsOfTheRealConsumerInterfaceAreNotices) {
    DeviceState().Reset();
    auto backend = std::make_shared<FakeHidBackend>();
    // Its path names the keyboard but the device says otherwise: skipped.
    backend->interfaces.push_back({kImpostorPath, 0x1234, 0x5678, kConsumerDescriptor});
    backend->interfaces.push_back({kConsumerPath, 0x0C45, 0x5004, kConsumerDescriptor});
    backend->Channel(kImpostorPath).QueueRead(ConsumerReport(3, 0x0401));
    FakeChannel& channel = backend->Channel(kConsumerPath);
    channel.QueueRead(ConsumerReport(3, 0x0401));
    // A report of an id no item has leaves the decoded usage as it was: no second 0x0401.
    channel.QueueRead(ConsumerReport(5, 0x0000));
    channel.QueueRead(ConsumerReport(3, 0x0402));
    SetCurrentHidBackend(backend);

    RecordingLink link;
    RecordingSink sink;
    DeviceThreads threads(link, sink);
    threads.Start();
    ASSERT_TRUE(WaitUntil([&] { return link.Count(kTimerProfile) == 1; }));
    threads.Stop();
    const std::vector<LinkEvent> expected{kTimerLighting, kTimerProfile};
    EXPECT_EQ(link.Events(), expected);
    std::lock_guard lock(channel.mutex);
    EXPECT_EQ(channel.open, 0);
    DeviceState().Reset();
}
