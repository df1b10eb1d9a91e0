// SPDX-License-Identifier: GPL-3.0-or-later
// The simulated keyboard as the program's device object sees it: found by the candidate and
// usage tests, a transaction through CHidDevice, the listener's decoding of its notices, and
// removal noticed by the existence probe.
#include "SimKeyboardLink.h"
#include "device/CHidDevice.h"
#include "support/ThreadWait.h"

#include <future>
#include <gtest/gtest.h>
#include <thread>

namespace {

using namespace std::chrono_literals;

// Opens the first interface of the keyboard with this top-level usage, as the presence and
// listener threads search for theirs.
bool OpenByUsage(CHidDevice& device, uint16_t page, uint16_t usage, bool write) {
    if (!device.EnumerateInterfaces()) {
        return false;
    }
    while (const std::string* path = device.NextPath()) {
        if (device.Open(*path, {.read = true, .write = write, .overlapped = true}) &&
            device.Caps().UsagePage == page && device.Caps().Usage == usage) {
            return true;
        }
        device.Close();
    }
    return false;
}

} // namespace

TEST(SimulatedKeyboardDevice, ConfigurationInterfaceCarriesTransactions) {
    auto keyboard = std::make_shared<SimulatedKeyboard>(kSimModel5000);
    CHidDevice device(keyboard);
    ASSERT_TRUE(OpenByUsage(device, 0xFF1C, 0x92, true));
    EXPECT_EQ(device.Attributes().VendorID, 0x320F);
    EXPECT_EQ(device.Attributes().ProductID, 0x5000);
    EXPECT_EQ(device.Caps().InputReportByteLength, 64);
    EXPECT_EQ(device.Caps().OutputReportByteLength, 64);

    const Frame request = MakeRequest(kSimCmdReadInfoBlock, 44);
    size_t count = 0;
    ASSERT_EQ(device.WriteReport(request.data(), request.size(), &count, 1000), 1);
    Frame reply{};
    ASSERT_EQ(device.ReadReport(reply.data(), reply.size(), &count, 300), 1);
    EXPECT_EQ(count, 64u);
    EXPECT_EQ(reply[7], 0);
    EXPECT_EQ(reply[8 + 11], keyboard->InfoBlock()[11]);

    EXPECT_TRUE(device.DevicePathExists());
    keyboard->Unplug();
    EXPECT_FALSE(device.DevicePathExists());
    EXPECT_EQ(device.ReadReport(reply.data(), reply.size(), &count, 300), 0);
}

TEST(SimulatedKeyboardDevice, ListenerDecodesEachNoticeAndCloseEndsItsWait) {
    auto keyboard = std::make_shared<SimulatedKeyboard>();
    CHidDevice listener(keyboard);
    ASSERT_TRUE(OpenByUsage(listener, 0x0C, 0x01, false));
    ASSERT_EQ(listener.InputReportBufferLength(), 3u);

    for (const uint16_t usage : {kSimNoticeLightingChanged, kSimNoticeProfileChanged,
                                 kSimNoticeSpecialModeOff, kSimNoticeSpecialModeOn, uint16_t{0}}) {
        ASSERT_EQ(keyboard->PushConsumerNotice(usage), 1);
        size_t count = 0;
        ASSERT_EQ(listener.ReadReport(listener.InputReportBuffer(),
                                      listener.InputReportBufferLength(), &count, kHidNoTimeout),
                  1);
        ASSERT_TRUE(CHidDevice::DecodeInputReport(
            listener.InputReportBuffer(), count, HidReportType::Input, listener.InputData(),
            listener.InputDataCount(), listener.PreparsedData()));
        EXPECT_EQ(listener.InputData()[0].ButtonData.Usages[0], usage);
    }

    // The listener's read without a time limit ends when the object is closed.
    BlockedThread reader;
    auto blocked = std::async(std::launch::async, [&] {
        reader.Mark();
        size_t count = 0;
        return listener.ReadReport(listener.InputReportBuffer(), listener.InputReportBufferLength(),
                                   &count, kHidNoTimeout);
    });
    EXPECT_TRUE(reader.WaitUntilBlocked());
    EXPECT_TRUE(listener.Close());
    EXPECT_EQ(blocked.get(), 0);
}
