// SPDX-License-Identifier: GPL-3.0-or-later
// CHidDevice on the hidraw backend against emulated hidraw nodes (umockdev testbed). The
// program must run with libumockdev-preload loaded from the start (CTest sets LD_PRELOAD).

#include "device/CHidDevice.h"
#include "support/EmulatedHid.h"
#include "support/HidTestDescriptors.h"
#include "support/ThreadWait.h"

#include <atomic>
#include <chrono>
#include <gtest/gtest.h>
#include <linux/capability.h>
#include <memory>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <thread>
#include <unistd.h>

namespace {

constexpr const char* kConfigPath = "/dev/hidraw200?vid_0c45&pid_5004";
constexpr const char* kConsumerPath = "/dev/hidraw201?vid_0c45&pid_5004";
constexpr const char* kMousePath = "/dev/hidraw202?vid_046d&pid_c077";

class HidrawE2E : public ::testing::Test {
protected:
    void SetUp() override {
        if (!EmulatedHid::Preloaded()) {
            GTEST_FAIL() << "run this program with LD_PRELOAD=libumockdev-preload.so.0 (or "
                            "through umockdev-wrapper): the hidraw nodes are emulated";
        }
        hid_ = std::make_unique<EmulatedHid>();
        configMaster_ = hid_->Add(kConfigId, 0x0C45, 0x5004, 200, kConfigDescriptor);
        consumerMaster_ =
            hid_->Add("0003:0C45:5004.0002", 0x0C45, 0x5004, 201, kConsumerDescriptor);
        mouseMaster_ = hid_->Add("0003:046D:C077.0003", 0x046D, 0xC077, 202, kMouseDescriptor);
        ASSERT_GE(configMaster_, 0);
        ASSERT_GE(consumerMaster_, 0);
        ASSERT_GE(mouseMaster_, 0);
    }

    void TearDown() override {
        if (device_thread_.joinable()) {
            device_thread_.join();
        }
        hid_.reset();
    }

    // Plays the configuration interface: answers `requests` requests with the request's
    // command byte | 0x80 and its payload reversed.
    void AnswerRequests(int requests) {
        device_thread_ = std::thread([this, requests] {
            for (int i = 0; i < requests; ++i) {
                uint8_t request[64];
                if (!ReadExactly(configMaster_, request, sizeof request)) {
                    return;
                }
                received_.emplace_back(request, request + 64);
                std::vector<uint8_t> reply(64, 0);
                reply[0] = 4;
                reply[3] = static_cast<uint8_t>(request[3] | 0x80);
                for (size_t b = 8; b < 64; ++b) {
                    reply[b] = request[71 - b];
                }
                WriteAll(configMaster_, reply);
            }
        });
    }

    static constexpr const char* kConfigId = "0003:0C45:5004.0001";
    std::unique_ptr<EmulatedHid> hid_;
    int configMaster_ = -1;
    int consumerMaster_ = -1;
    int mouseMaster_ = -1;
    std::thread device_thread_;
    std::vector<std::vector<uint8_t>> received_;
};

// Drops the capabilities that let root open any file, for the object's lifetime.
class WithoutFileAccessOverride {
public:
    WithoutFileAccessOverride() {
        header_.version = _LINUX_CAPABILITY_VERSION_3;
        if (::syscall(SYS_capget, &header_, saved_) != 0) {
            return;
        }
        __user_cap_data_struct reduced[2] = {saved_[0], saved_[1]};
        reduced[0].effective &= ~((1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH));
        active_ = ::syscall(SYS_capset, &header_, reduced) == 0;
    }
    ~WithoutFileAccessOverride() {
        if (active_) {
            ::syscall(SYS_capset, &header_, saved_);
        }
    }
    WithoutFileAccessOverride(const WithoutFileAccessOverride&) = delete;
    WithoutFileAccessOverride& operator=(const WithoutFileAccessOverride&) = delete;
    bool Active() const { return active_; }

private:
    __user_cap_header_struct header_{};
    __user_cap_data_struct saved_[2]{};
    bool active_ = false;
};

struct Expected {
    const char* path;
    uint16_t usagePage;
    uint16_t usage;
    uint16_t inputLength;
};

} // namespace

TEST_F(HidrawE2E, EnumerationFindsEveryInterfaceWithItsUsages) {
    CHidDevice device;
    ASSERT_TRUE(device.EnumerateInterfaces());
    const Expected expected[] = {{kConfigPath, 0xFF1C, 0x92, 64},
                                 {kConsumerPath, 0x000C, 0x0001, 3},
                                 {kMousePath, 0x0001, 0x0002, 4}};
    ASSERT_EQ(device.PathCount(), 3u);
    for (const Expected& e : expected) {
        const std::string* path = device.NextPath();
        ASSERT_NE(path, nullptr);
        EXPECT_EQ(*path, e.path);
        ASSERT_TRUE(device.Open(*path, {.read = true, .overlapped = true})) << *path;
        EXPECT_EQ(device.Caps().UsagePage, e.usagePage) << *path;
        EXPECT_EQ(device.Caps().Usage, e.usage) << *path;
        EXPECT_EQ(device.Caps().InputReportByteLength, e.inputLength) << *path;
    }
    EXPECT_EQ(device.NextPath(), nullptr);
    EXPECT_EQ(device.Attributes().VendorID, 0x046D);
    EXPECT_EQ(device.Attributes().ProductID, 0xC077);
    device.FreePathList();
}

TEST_F(HidrawE2E, AWriteArrivesWholeAndTheAnswerIsReadWhole) {
    CHidDevice device;
    ASSERT_TRUE(device.Open(kConfigPath, {.read = true, .write = true, .overlapped = true}));
    AnswerRequests(2);
    for (uint8_t command : {0x03, 0x11}) {
        std::vector<uint8_t> request(64);
        for (size_t i = 0; i < request.size(); ++i) {
            request[i] = static_cast<uint8_t>(i * 7 + command); // every byte value differs
        }
        request[0] = 4;
        request[3] = command;
        size_t written = 0;
        ASSERT_NE(device.WriteReport(request.data(), request.size(), &written, 1000), 0);
        EXPECT_EQ(written, 64u);
        uint8_t reply[64] = {};
        size_t read = 0;
        ASSERT_NE(device.ReadReport(reply, sizeof reply, &read, 1000), 0);
        EXPECT_EQ(read, 64u);
        EXPECT_EQ(reply[0], 4);
        EXPECT_EQ(reply[3], command | 0x80);
        EXPECT_EQ(reply[8], request[63]);
        EXPECT_EQ(reply[63], request[8]);
    }
    device_thread_.join();
    ASSERT_EQ(received_.size(), 2u);
    EXPECT_EQ(received_[0][3], 0x03);
    EXPECT_EQ(received_[0][63], static_cast<uint8_t>(63 * 7 + 3));
}

TEST_F(HidrawE2E, ASilentDeviceMakesTheReadFailAfterItsTimeout) {
    CHidDevice device;
    ASSERT_TRUE(device.Open(kConfigPath, {.read = true, .write = true, .overlapped = true}));
    uint8_t reply[64];
    size_t read = 99;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(device.ReadReport(reply, sizeof reply, &read, 300), 0);
    const auto waited = std::chrono::steady_clock::now() - start;
    EXPECT_EQ(read, 0u);
    EXPECT_GE(waited, std::chrono::milliseconds(300)); // it did wait, not fail at once
    EXPECT_TRUE(device.IsOpen());
}

TEST_F(HidrawE2E, CloseFromAnotherThreadEndsAReadWithoutLimit) {
    CHidDevice device;
    ASSERT_TRUE(device.Open(kConsumerPath, {.read = true, .overlapped = true}));
    std::atomic<int> result{-1};
    BlockedThread reader;
    std::thread listener([&] {
        reader.Mark();
        result = device.ReadReport(device.InputReportBuffer(), device.InputReportBufferLength(),
                                   nullptr, kHidNoTimeout);
    });
    EXPECT_TRUE(reader.WaitUntilBlocked()); // in poll()
    EXPECT_TRUE(device.ReadBusy());
    EXPECT_EQ(result.load(), -1);
    EXPECT_TRUE(device.Close());
    listener.join();
    EXPECT_EQ(result.load(), 0);
}

TEST_F(HidrawE2E, TheListenerDecodesConsumerNotices) {
    CHidDevice device;
    ASSERT_TRUE(device.Open(kConsumerPath, {.read = true, .overlapped = true}));
    ASSERT_EQ(device.InputDataCount(), 1u);
    for (const auto& [report, usage] : std::vector<std::pair<std::vector<uint8_t>, uint16_t>>{
             {{0x03, 0x01, 0x04}, 0x0401}, {{0x03, 0x11, 0x18}, 0x1811}, {{0x03, 0x00, 0x00}, 0}}) {
        ASSERT_TRUE(WriteAll(consumerMaster_, report));
        size_t read = 0;
        ASSERT_NE(device.ReadReport(device.InputReportBuffer(), device.InputReportBufferLength(),
                                    &read, 2000),
                  0);
        EXPECT_EQ(read, 3u);
        ASSERT_TRUE(CHidDevice::DecodeInputReport(
            device.InputReportBuffer(), device.InputReportBufferLength(), HidReportType::Input,
            device.InputData(), device.InputDataCount(), device.PreparsedData()));
        EXPECT_EQ(device.InputData()[0].ButtonData.Usages[0], usage);
    }
}

TEST_F(HidrawE2E, AfterRemovalTheProbeAndReadsFail) {
    CHidDevice device;
    ASSERT_TRUE(device.Open(kConfigPath, {.read = true, .write = true, .overlapped = true}));
    EXPECT_TRUE(device.DevicePathExists());
    hid_->Unplug(kConfigId, 200, configMaster_);

    uint8_t reply[64];
    EXPECT_EQ(device.ReadReport(reply, sizeof reply, nullptr, kHidNoTimeout), 0); // hang-up
    EXPECT_FALSE(device.DevicePathExists());
    const std::vector<uint8_t> request(64, 4);
    EXPECT_EQ(device.WriteReport(request.data(), request.size(), nullptr, 1000), 0);
    EXPECT_EQ(device.ReadReport(reply, sizeof reply, nullptr, 100), 0);
    EXPECT_TRUE(device.Close());

    EXPECT_FALSE(device.Open(kConfigPath, {.read = true, .write = true, .overlapped = true}));
    EXPECT_FALSE(device.IsOpen());
    EXPECT_EQ(device.LastOpenError(), HidOpenError::NotFound);
    ASSERT_TRUE(device.EnumerateInterfaces());
    ASSERT_EQ(device.PathCount(), 2u);
    EXPECT_EQ(*device.NextPath(), kConsumerPath);
}

TEST_F(HidrawE2E, EachCollectionOfOneNodeIsAnInterfaceOfItsOwn) {
    // A keyboard whose consumer control (id 3) and configuration (id 4) share one node.
    const int master = hid_->Add("0003:320F:5000.0004", 0x320F, 0x5000, 203,
                                 Concat(kConsumerDescriptor, kConfigDescriptor));
    CHidDevice device;
    ASSERT_TRUE(device.EnumerateInterfaces());
    ASSERT_EQ(device.PathCount(), 5u);
    for (int i = 0; i < 3; ++i) {
        device.NextPath();
    }
    EXPECT_EQ(*device.NextPath(), "/dev/hidraw203?vid_320f&pid_5000&col01");
    EXPECT_EQ(*device.NextPath(), "/dev/hidraw203?vid_320f&pid_5000&col02");

    ASSERT_TRUE(
        device.Open("/dev/hidraw203?vid_320f&pid_5000&col01", {.read = true, .overlapped = true}));
    EXPECT_EQ(device.Caps().UsagePage, 0x000C);
    EXPECT_EQ(device.Caps().InputReportByteLength, 3);
    ASSERT_TRUE(device.Open("/dev/hidraw203?vid_320f&pid_5000&col02",
                            {.read = true, .write = true, .overlapped = true}));
    EXPECT_EQ(device.Caps().UsagePage, 0xFF1C);
    EXPECT_EQ(device.Caps().Usage, 0x92);
    EXPECT_EQ(device.Caps().InputReportByteLength, 64);

    // A consumer notice arriving first is not taken for the configuration reply.
    std::vector<uint8_t> notice(64, 0);
    notice[0] = 3;
    notice[1] = 0x01;
    notice[2] = 0x04;
    std::vector<uint8_t> reply(64, 0);
    reply[0] = 4;
    reply[3] = 0x83;
    ASSERT_TRUE(WriteAll(master, notice));
    ASSERT_TRUE(WriteAll(master, reply));
    uint8_t buffer[64] = {};
    size_t read = 0;
    ASSERT_NE(device.ReadReport(buffer, sizeof buffer, &read, 2000), 0);
    EXPECT_EQ(buffer[0], 4);
    EXPECT_EQ(buffer[3], 0x83);
    EXPECT_FALSE(device.Open("/dev/hidraw203?vid_320f&pid_5000&col03",
                             {.read = true, .write = true, .overlapped = true}));
    EXPECT_EQ(device.LastOpenError(), HidOpenError::NotFound);
    EXPECT_FALSE(device.Open("/dev/hidraw203?vid_320f&pid_5000",
                             {.read = true, .write = true, .overlapped = true}));
}

TEST_F(HidrawE2E, ANodeThisUserMayNotOpenIsToldApartFromNoKeyboard) {
    // The node of the configuration interface refuses everyone, and this process gives up
    // root's right to ignore that for the test.
    char target[256] = {};
    const std::string link = hid_->RootDir() + "/dev/hidraw200";
    ASSERT_GT(::readlink(link.c_str(), target, sizeof target - 1), 0);
    ASSERT_EQ(::chmod(target, 0), 0);
    CHidDevice device;
    {
        WithoutFileAccessOverride unprivileged;
        ASSERT_TRUE(unprivileged.Active());
        ASSERT_TRUE(device.EnumerateInterfaces()); // listing needs no access to the nodes
        EXPECT_EQ(device.PathCount(), 3u);
        EXPECT_FALSE(device.Open(kConfigPath, {.read = true, .write = true, .overlapped = true}));
        EXPECT_EQ(device.LastOpenError(), HidOpenError::PermissionDenied);
        EXPECT_FALSE(device.IsOpen());
        EXPECT_FALSE(device.Open("/dev/hidraw209?vid_0c45&pid_5004",
                                 {.read = true, .write = true, .overlapped = true}));
        EXPECT_EQ(device.LastOpenError(), HidOpenError::NotFound);
        // The other nodes of the keyboard still open.
        EXPECT_TRUE(device.Open(kConsumerPath, {.read = true, .overlapped = true}));
    }
}
