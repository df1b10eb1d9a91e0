// SPDX-License-Identifier: GPL-3.0-or-later
#include "device/CHidDevice.h"

#include "FakeHidBackend.h"
#include "support/HidTestDescriptors.h"

#include <gtest/gtest.h>
#include <thread>

namespace {

const char* const kConfigPath = "/fake/0?vid_0c45&pid_5004";
const char* const kConsumerPath = "/fake/1?vid_0c45&pid_5004";

class CHidDeviceTest : public ::testing::Test {
protected:
    CHidDeviceTest() : backend(std::make_shared<FakeHidBackend>()), device(backend) {
        backend->interfaces = {
            {kConfigPath, 0x0C45, 0x5004, kConfigDescriptor},
            {kConsumerPath, 0x0C45, 0x5004, kConsumerDescriptor},
        };
    }

    void AddInterface(const std::string& path, std::vector<uint8_t> descriptor,
                      HidOpenError error = HidOpenError::None) {
        backend->interfaces.push_back({path, 0x1234, 0x5678, std::move(descriptor), 0, error});
    }

    // Waits until a transfer of the device is inside the backend.
    void WaitUntilInside(const char* path) {
        while (backend->Channel(path).inTransfer.load() == 0) {
            std::this_thread::yield();
        }
    }

    std::shared_ptr<FakeHidBackend> backend;
    CHidDevice device;
};

std::vector<uint8_t> ConfigFrame(uint8_t command) {
    std::vector<uint8_t> frame(64, 0);
    frame[0] = 4;
    frame[3] = command;
    return frame;
}

} // namespace

TEST_F(CHidDeviceTest, NoInterfacesGiveAnEmptyListThatEndsAtOnce) {
    backend->interfaces.clear();
    EXPECT_TRUE(device.EnumerateInterfaces());
    EXPECT_EQ(device.PathCount(), 0u);
    EXPECT_EQ(device.NextPath(), nullptr);
}

TEST_F(CHidDeviceTest, ManyInterfacesGrowTheListAndKeepTheirOrder) {
    backend->interfaces.clear();
    for (int i = 0; i < 20; ++i) {
        AddInterface("/fake/" + std::to_string(i), kConfigDescriptor);
    }
    ASSERT_TRUE(device.EnumerateInterfaces());
    EXPECT_EQ(device.PathCount(), 20u);
    EXPECT_EQ(device.PathCapacity(), 32u); // 8, 16, 32
    for (int i = 0; i < 20; ++i) {
        const std::string* path = device.NextPath();
        ASSERT_NE(path, nullptr);
        EXPECT_EQ(*path, "/fake/" + std::to_string(i));
    }
    EXPECT_EQ(device.NextPath(), nullptr);

    // Exactly eight still fit the first capacity; the ninth doubles it.
    backend->interfaces.resize(8);
    ASSERT_TRUE(device.EnumerateInterfaces());
    EXPECT_EQ(device.PathCapacity(), 8u);
    AddInterface("/fake/8", kConfigDescriptor);
    ASSERT_TRUE(device.EnumerateInterfaces());
    EXPECT_EQ(device.PathCapacity(), 16u);
    EXPECT_EQ(device.PathCursor(), 0u);
}

TEST_F(CHidDeviceTest, ListingFailureAndFreeingLeaveNoList) {
    ASSERT_TRUE(device.EnumerateInterfaces());
    device.FreePathList();
    EXPECT_EQ(device.NextPath(), nullptr);
    ASSERT_TRUE(device.EnumerateInterfaces());
    backend->listingFails = true;
    EXPECT_FALSE(device.EnumerateInterfaces());
    EXPECT_EQ(device.PathCount(), 0u);
    EXPECT_EQ(device.NextPath(), nullptr);
}

TEST_F(CHidDeviceTest, EnumeratingAgainLeavesTheDeviceOpen) {
    ASSERT_TRUE(device.Open(kConfigPath, {.read = true, .write = true, .overlapped = true}));
    ASSERT_TRUE(device.EnumerateInterfaces());
    device.FreePathList();
    EXPECT_TRUE(device.IsOpen());
    EXPECT_EQ(backend->Channel(kConfigPath).open, 1);
}

TEST_F(CHidDeviceTest, OpenReadsIdentityCapsAndPreparesTheInputData) {
    ASSERT_TRUE(device.Open(kConsumerPath, {.read = true, .overlapped = true}));
    EXPECT_TRUE(device.IsOpen());
    EXPECT_EQ(device.LastOpenError(), HidOpenError::None);
    EXPECT_EQ(device.DevicePath(), kConsumerPath);
    EXPECT_TRUE(device.OpenForRead());
    EXPECT_FALSE(device.OpenForWrite());
    EXPECT_TRUE(device.Overlapped());
    EXPECT_FALSE(device.Exclusive());
    EXPECT_TRUE(backend->Channel(kConsumerPath).lastFlags.read);
    EXPECT_FALSE(backend->Channel(kConsumerPath).lastFlags.write);
    EXPECT_EQ(device.Attributes().VendorID, 0x0C45);
    EXPECT_EQ(device.Attributes().ProductID, 0x5004);
    EXPECT_EQ(device.Caps().UsagePage, 0x000C);
    EXPECT_EQ(device.Caps().Usage, 0x0001);
    EXPECT_EQ(device.Caps().InputReportByteLength, 3);
    EXPECT_EQ(device.InputReportBufferLength(), 3u);
    ASSERT_EQ(device.InputDataCount(), 1u);
    const HidDataItem& item = device.InputData()[0];
    EXPECT_TRUE(item.IsButtonData);
    EXPECT_EQ(item.UsagePage, 0x0C);
    EXPECT_EQ(item.ReportID, 3u);
    EXPECT_EQ(item.Status, HIDP_STATUS_SUCCESS);
    EXPECT_EQ(item.ButtonData.UsageMin, 0u);
    EXPECT_EQ(item.ButtonData.UsageMax, 0x3FFFu);
    EXPECT_EQ(item.ButtonData.MaxUsageCount, 1u);
    EXPECT_EQ(item.ButtonData.Usages, std::vector<uint16_t>{0});
}

TEST_F(CHidDeviceTest, ValueRangesGiveOneItemPerUsageAfterTheButtons) {
    // Three buttons, then X..Z as one 8-bit value range with report id 2.
    AddInterface("/fake/range",
                 {0x05, 0x01, 0x09, 0x04, 0xA1, 0x01, 0x85, 0x02, 0x05, 0x09, 0x19, 0x01,
                  0x29, 0x03, 0x15, 0x00, 0x25, 0x01, 0x75, 0x01, 0x95, 0x03, 0x81, 0x02,
                  0x95, 0x05, 0x81, 0x01, 0x05, 0x01, 0x19, 0x30, 0x29, 0x32, 0x15, 0x00,
                  0x26, 0xFF, 0x00, 0x75, 0x08, 0x95, 0x03, 0x81, 0x02, 0xC0});
    ASSERT_TRUE(device.Open("/fake/range", {.read = true, .overlapped = true}));
    ASSERT_EQ(device.InputDataCount(), 4u);
    EXPECT_TRUE(device.InputData()[0].IsButtonData);
    for (size_t i = 1; i < 4; ++i) {
        EXPECT_FALSE(device.InputData()[i].IsButtonData);
        EXPECT_EQ(device.InputData()[i].ValueData.Usage, 0x30 + i - 1);
        EXPECT_EQ(device.InputData()[i].ReportID, 2u);
    }
    const uint8_t report[] = {0x02, 0x05, 10, 20, 30};
    ASSERT_TRUE(CHidDevice::DecodeInputReport(report, sizeof report, HidReportType::Input,
                                              device.InputData(), device.InputDataCount(),
                                              device.PreparsedData()));
    EXPECT_EQ(device.InputData()[0].ButtonData.Usages[0], 1);
    EXPECT_EQ(device.InputData()[0].ButtonData.Usages[1], 3);
    EXPECT_EQ(device.InputData()[0].ButtonData.Usages[2], 0); // terminated after the last
    EXPECT_EQ(device.InputData()[2].ValueData.Value, 20u);
    EXPECT_EQ(device.InputData()[3].ValueData.ScaledValue, 30);
    EXPECT_TRUE(device.InputData()[3].IsDataSet);
}

TEST_F(CHidDeviceTest, FailedOpensSayWhyAndLeaveTheObjectClosed) {
    AddInterface("/fake/forbidden", kConfigDescriptor, HidOpenError::PermissionDenied);
    AddInterface("/fake/garbled", {0xA1, 0x01});
    ASSERT_TRUE(device.Open(kConfigPath, {.read = true, .write = true, .overlapped = true}));

    EXPECT_FALSE(device.Open("/fake/vanished", {.read = true, .write = true, .overlapped = true}));
    EXPECT_FALSE(device.IsOpen());
    EXPECT_EQ(device.LastOpenError(), HidOpenError::NotFound);
    EXPECT_EQ(backend->Channel(kConfigPath).open, 0); // closed before trying

    EXPECT_FALSE(device.Open("/fake/forbidden", {.read = true, .write = true, .overlapped = true}));
    EXPECT_EQ(device.LastOpenError(), HidOpenError::PermissionDenied);

    EXPECT_FALSE(device.Open("/fake/garbled", {.read = true, .write = true, .overlapped = true}));
    EXPECT_EQ(device.LastOpenError(), HidOpenError::Failed);
    EXPECT_FALSE(device.IsOpen());
    EXPECT_EQ(device.PreparsedData(), nullptr);
    EXPECT_EQ(backend->Channel("/fake/garbled").open, 0); // the handle was closed again
    EXPECT_EQ(device.ReadReport(nullptr, 0, nullptr, 0), 0);
}

TEST_F(CHidDeviceTest, PathsLongerThanTheFieldAreRefused) {
    const std::string longest = "/fake/" + std::string(253, 'x'); // 259 units
    const std::string tooLong = longest + "y";
    // 257 ASCII units plus one character of two UTF-16 units: 259 bytes but 260 units wide.
    const std::string wide = "/fake/" + std::string(252, 'x') + "\xF0\x9F\x8E\xB9";
    AddInterface(longest, kConfigDescriptor);
    AddInterface(tooLong, kConfigDescriptor);
    AddInterface(wide, kConfigDescriptor);

    ASSERT_TRUE(device.Open(longest, {.read = true, .write = true, .overlapped = true}));
    EXPECT_EQ(device.DevicePath(), longest);
    EXPECT_FALSE(device.Open(tooLong, {.read = true, .write = true, .overlapped = true}));
    EXPECT_FALSE(device.IsOpen());
    EXPECT_EQ(device.DevicePath(), "");
    EXPECT_EQ(backend->Channel(tooLong).opened, 0); // never reached the backend
    EXPECT_FALSE(device.Open(wide, {.read = true, .write = true, .overlapped = true}));
    EXPECT_EQ(backend->Channel(wide).opened, 0);
}

TEST_F(CHidDeviceTest, CloseReleasesEverythingButThePathList) {
    EXPECT_FALSE(device.Close()); // nothing open
    ASSERT_TRUE(device.EnumerateInterfaces());
    ASSERT_NE(device.NextPath(), nullptr);
    ASSERT_TRUE(device.Open(kConsumerPath, {.read = true, .overlapped = true}));
    EXPECT_TRUE(device.Close());
    EXPECT_FALSE(device.IsOpen());
    EXPECT_EQ(device.InputDataCount(), 0u);
    EXPECT_EQ(device.InputReportBufferLength(), 0u);
    EXPECT_EQ(device.PreparsedData(), nullptr);
    EXPECT_EQ(backend->Channel(kConsumerPath).open, 0);
    EXPECT_EQ(device.PathCount(), 2u);
    EXPECT_EQ(device.PathCursor(), 1u);

    // Closing again changes nothing.
    EXPECT_FALSE(device.Close());
    EXPECT_EQ(device.PathCount(), 2u);
    EXPECT_EQ(device.DevicePath(), kConsumerPath);
    EXPECT_TRUE(device.OpenForRead());
}

TEST_F(CHidDeviceTest, OpeningAgainClosesTheFirstInterface) {
    ASSERT_TRUE(device.Open(kConfigPath, {.read = true, .write = true, .overlapped = true}));
    ASSERT_TRUE(device.Open(kConsumerPath, {.read = true, .overlapped = true, .exclusive = true}));
    EXPECT_EQ(backend->Channel(kConfigPath).open, 0);
    EXPECT_EQ(backend->Channel(kConsumerPath).open, 1);
    EXPECT_TRUE(device.Exclusive());
    EXPECT_TRUE(backend->Channel(kConsumerPath).lastFlags.exclusive);
}

TEST_F(CHidDeviceTest, ReportsMoveWholeWithOptionalCounts) {
    ASSERT_TRUE(device.Open(kConfigPath, {.read = true, .write = true, .overlapped = true}));
    const std::vector<uint8_t> request = ConfigFrame(1);
    size_t written = 99;
    EXPECT_NE(device.WriteReport(request.data(), request.size(), &written, 1000), 0);
    EXPECT_EQ(written, 64u);
    EXPECT_NE(device.WriteReport(request.data(), request.size(), nullptr, 1000), 0);
    ASSERT_EQ(backend->Channel(kConfigPath).written.size(), 2u);
    EXPECT_EQ(backend->Channel(kConfigPath).written[0], request);

    backend->Channel(kConfigPath).QueueRead(ConfigFrame(0x81));
    uint8_t reply[64] = {};
    size_t read = 0;
    EXPECT_NE(device.ReadReport(reply, sizeof reply, &read, 300), 0);
    EXPECT_EQ(read, 64u);
    EXPECT_EQ(reply[3], 0x81);

    // Nothing to read: fails after the timeout with a count of 0.
    read = 99;
    EXPECT_EQ(device.ReadReport(reply, sizeof reply, &read, 20), 0);
    EXPECT_EQ(read, 0u);
    EXPECT_TRUE(device.IsOpen()); // a failed transfer leaves the object open

    device.Close();
    read = 99;
    EXPECT_EQ(device.ReadReport(reply, sizeof reply, &read, 20), 0);
    EXPECT_EQ(read, 0u);
    EXPECT_EQ(device.WriteReport(request.data(), request.size(), nullptr, 20), 0);
}

TEST_F(CHidDeviceTest, CloseFromAnotherThreadEndsAReadWithoutLimit) {
    ASSERT_TRUE(device.Open(kConsumerPath, {.read = true, .overlapped = true}));
    int result = -1;
    std::thread reader([&] {
        uint8_t report[3];
        size_t read = 0;
        result = device.ReadReport(report, sizeof report, &read, kHidNoTimeout);
    });
    WaitUntilInside(kConsumerPath);
    EXPECT_TRUE(device.ReadBusy());
    EXPECT_TRUE(device.Close());
    reader.join();
    EXPECT_EQ(result, 0);
    EXPECT_FALSE(device.ReadBusy());
    // Close waited for the read to leave the handle before destroying it.
    EXPECT_FALSE(backend->Channel(kConsumerPath).destroyedDuringTransfer.load());
}

TEST_F(CHidDeviceTest, OpenFromAnotherThreadEndsAWaitingWrite) {
    ASSERT_TRUE(device.Open(kConfigPath, {.read = true, .write = true, .overlapped = true}));
    backend->Channel(kConfigPath).writesBlock = true;
    int result = -1;
    std::thread writer([&] {
        const std::vector<uint8_t> request = ConfigFrame(1);
        result = device.WriteReport(request.data(), request.size(), nullptr, kHidNoTimeout);
    });
    WaitUntilInside(kConfigPath);
    EXPECT_TRUE(device.WriteBusy());
    ASSERT_TRUE(device.Open(kConsumerPath, {.read = true, .overlapped = true}));
    writer.join();
    EXPECT_EQ(result, 0);
    EXPECT_FALSE(backend->Channel(kConfigPath).destroyedDuringTransfer.load());
    EXPECT_TRUE(device.IsOpen());
}

TEST_F(CHidDeviceTest, ReadsAndClosesRacingNeverTouchAClosedHandle) {
    ASSERT_TRUE(device.Open(kConsumerPath, {.read = true, .overlapped = true}));
    std::atomic<bool> stop{false};
    std::thread reader([&] {
        uint8_t report[3];
        while (!stop.load()) {
            device.ReadReport(report, sizeof report, nullptr, 1);
        }
    });
    for (int i = 0; i < 200; ++i) {
        device.Close();
        device.Open(kConsumerPath, {.read = true, .overlapped = true});
    }
    stop.store(true);
    reader.join();
    EXPECT_FALSE(backend->Channel(kConsumerPath).destroyedDuringTransfer.load());
    EXPECT_EQ(backend->Channel(kConsumerPath).open, 1);
}

TEST_F(CHidDeviceTest, DecodingFindsTheFirstUsageOfTheFirstButtonItem) {
    ASSERT_TRUE(device.Open(kConsumerPath, {.read = true, .overlapped = true}));
    const uint8_t notice[] = {0x03, 0x02, 0x04};
    ASSERT_TRUE(CHidDevice::DecodeInputReport(notice, sizeof notice, HidReportType::Input,
                                              device.InputData(), device.InputDataCount(),
                                              device.PreparsedData()));
    HidDataItem& item = device.InputData()[0];
    EXPECT_TRUE(item.IsDataSet);
    EXPECT_EQ(item.ButtonData.Usages[0], 0x0402);

    // A report with nothing pressed leaves the usage list starting with 0.
    const uint8_t released[] = {0x03, 0x00, 0x00};
    ASSERT_TRUE(CHidDevice::DecodeInputReport(released, sizeof released, HidReportType::Input,
                                              device.InputData(), device.InputDataCount(),
                                              device.PreparsedData()));
    EXPECT_EQ(item.ButtonData.Usages[0], 0);
    EXPECT_EQ(item.Status, HIDP_STATUS_SUCCESS);
}

TEST_F(CHidDeviceTest, DecodingAReportOfAnotherIdChangesNothing) {
    ASSERT_TRUE(device.Open(kConsumerPath, {.read = true, .overlapped = true}));
    HidDataItem& item = device.InputData()[0];
    item.ButtonData.Usages[0] = 0x1234; // would be overwritten by a decode
    const uint8_t other[] = {0x07, 0x01, 0x04};
    EXPECT_TRUE(CHidDevice::DecodeInputReport(other, sizeof other, HidReportType::Input,
                                              device.InputData(), device.InputDataCount(),
                                              device.PreparsedData()));
    EXPECT_FALSE(item.IsDataSet);
    EXPECT_EQ(item.ButtonData.Usages[0], 0x1234);

    // Nothing to decode at all is refused rather than read past.
    EXPECT_FALSE(CHidDevice::DecodeInputReport(other, 0, HidReportType::Input, device.InputData(),
                                               device.InputDataCount(), device.PreparsedData()));
    EXPECT_FALSE(CHidDevice::DecodeInputReport(other, sizeof other, HidReportType::Input,
                                               device.InputData(), device.InputDataCount(),
                                               nullptr));
}

TEST_F(CHidDeviceTest, ButtonItemsKeepOnlyTheirOwnRange) {
    AddInterface("/fake/keyboard", kKeyboardDescriptor);
    ASSERT_TRUE(device.Open("/fake/keyboard", {.read = true, .overlapped = true}));
    ASSERT_EQ(device.InputDataCount(), 2u);
    const uint8_t report[] = {0x01, 0x00, 0x04, 0x05, 0x00, 0x00, 0x00, 0x00};
    ASSERT_TRUE(CHidDevice::DecodeInputReport(report, sizeof report, HidReportType::Input,
                                              device.InputData(), device.InputDataCount(),
                                              device.PreparsedData()));
    const auto& modifiers = device.InputData()[0].ButtonData;
    const auto& keys = device.InputData()[1].ButtonData;
    EXPECT_EQ(modifiers.MaxUsageCount, 14u);
    EXPECT_EQ(modifiers.Usages[0], 0xE0);
    EXPECT_EQ(modifiers.Usages[1], 0);
    EXPECT_EQ(keys.Usages[0], 0x04);
    EXPECT_EQ(keys.Usages[1], 0x05);
    EXPECT_EQ(keys.Usages[2], 0);
}

TEST_F(CHidDeviceTest, ExistenceProbeFollowsTheBackend) {
    EXPECT_FALSE(device.DevicePathExists()); // nothing opened yet
    ASSERT_TRUE(device.Open(kConfigPath, {.read = true, .write = true, .overlapped = true}));
    EXPECT_TRUE(device.DevicePathExists());
    backend->interfaces.erase(backend->interfaces.begin());
    EXPECT_FALSE(device.DevicePathExists());
    EXPECT_EQ(backend->Channel(kConfigPath).written.size(), 0u); // no traffic
}
