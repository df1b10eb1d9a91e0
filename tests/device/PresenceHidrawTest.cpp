// SPDX-License-Identifier: GPL-3.0-or-later
// The udev monitor and the presence thread on the hidraw backend, against nodes emulated by
// umockdev (whose preload library also delivers the testbed's uevents to udev monitors). The
// program must run with libumockdev-preload loaded from the start (CTest sets LD_PRELOAD).

#include "RecordingLink.h"
#include "device/DeviceState.h"
#include "device/Presence.h"
#include "device/Protocol.h"
#include "platform/OwnMessages.h"
#include "platform/hid/HidrawBackend.h"
#include "platform/hid/UdevChangeMonitor.h"
#include "support/EmulatedHid.h"
#include "support/HidTestDescriptors.h"
#include "support/ThreadWait.h"

#include <atomic>
#include <gtest/gtest.h>
#include <memory>
#include <mutex>
#include <set>
#include <thread>

namespace {

constexpr const char* kKeyboardId = "0003:0C45:5004.0001";
constexpr int kKeyboardNode = 210;
constexpr const char* kMouseId = "0003:046D:C077.0003";
constexpr int kMouseNode = 212;
constexpr uint8_t kMacroCapacityUnits = 3;
// Far beyond the presence thread's own periods and the tests' hang guards: a wait this long
// ends only by a change or by Stop.
constexpr uint32_t kStretchedWaitMs = 600000;
constexpr int kGuardMs = 20000;

// Passes the real monitor's answers on, but waits kStretchedWaitMs whatever the caller asked
// for, so that the presence thread cannot reach its next scan by the timeout.
class StretchedMonitor : public HidChangeMonitor {
public:
    explicit StretchedMonitor(std::unique_ptr<HidChangeMonitor> real) : real_(std::move(real)) {}
    HidChangeWait Wait(uint32_t) override {
        waits_.fetch_add(1);
        return real_->Wait(kStretchedWaitMs);
    }
    void Cancel() override { real_->Cancel(); }
    static int Waits() { return waits_.load(); }
    static void ResetWaits() { waits_.store(0); }

private:
    std::unique_ptr<HidChangeMonitor> real_;
    static inline std::atomic<int> waits_{0};
};

class StretchedBackend : public HidrawBackend {
public:
    std::unique_ptr<HidChangeMonitor> WatchChanges() override {
        std::unique_ptr<HidChangeMonitor> real = HidrawBackend::WatchChanges();
        return real ? std::make_unique<StretchedMonitor>(std::move(real)) : nullptr;
    }
};

class QuietSink : public MessageSink {
public:
    void ShowText(std::string_view, std::optional<long long>) override {}
    bool AskYesNo(std::string_view, std::optional<long long>) override { return false; }
};

class PresenceHidraw : public testing::Test {
protected:
    void SetUp() override {
        if (!EmulatedHid::Preloaded()) {
            GTEST_FAIL() << "run this program with LD_PRELOAD=libumockdev-preload.so.0 (or "
                            "through umockdev-wrapper): the hidraw nodes are emulated";
        }
        DeviceState().Reset();
        StretchedMonitor::ResetWaits();
        hid_ = std::make_unique<EmulatedHid>();
    }

    void TearDown() override {
        threads_.reset();
        stopPlaying_ = true;
        if (player_.joinable()) {
            player_.join();
        }
        hid_.reset();
        SetCurrentHidBackend(std::make_shared<HidrawBackend>(HidrawChangeWatch::ScanOnly));
        DeviceState().Reset();
    }

    void StartThreads(std::shared_ptr<HidBackend> backend) {
        SetCurrentHidBackend(std::move(backend));
        threads_ = std::make_unique<DeviceThreads>(link_, sink_);
        ASSERT_TRUE(threads_->Start());
        // The first pass found nothing: that is when OpenNotified is set without a keyboard.
        ASSERT_TRUE(WaitUntil([] { return DeviceState().OpenNotified.load() == 1; }, kGuardMs));
    }

    // Plugs the keyboard in and plays its configuration interface: every request is answered
    // with status 0, and the info block carries kMacroCapacityUnits.
    void PlugKeyboard() {
        deviceSide_ = hid_->Add(kKeyboardId, 0x0C45, 0x5004, kKeyboardNode, kConfigDescriptor);
        ASSERT_GE(deviceSide_, 0);
        player_ = std::thread([this] {
            uint8_t request[kReportLength];
            while (!stopPlaying_.load()) {
                if (!ReadExactly(deviceSide_, request, sizeof request, 100)) {
                    continue;
                }
                {
                    std::lock_guard lock(commandsLock_);
                    commands_.insert(request[3]);
                }
                std::vector<uint8_t> reply(request, request + kReportLength);
                reply[7] = 0;
                if (request[3] == CmdCode::ReadInfoBlock) {
                    reply[8 + 11] = kMacroCapacityUnits;
                }
                WriteAll(deviceSide_, reply);
            }
        });
    }

    bool Received(uint8_t command) {
        std::lock_guard lock(commandsLock_);
        return commands_.count(command) != 0;
    }

    size_t Reloads() const {
        return link_.Count({LinkEvent::Send, UM_PROFILE_RELOAD, kProfileTag});
    }

    std::unique_ptr<EmulatedHid> hid_;
    RecordingLink link_;
    QuietSink sink_;
    std::unique_ptr<DeviceThreads> threads_;
    int deviceSide_ = -1;
    std::thread player_;
    std::atomic<bool> stopPlaying_{false};
    std::mutex commandsLock_;
    std::set<uint8_t> commands_;
};

TEST_F(PresenceHidraw, TheMonitorWakesOnHidrawNodesComingAndGoingOnly) {
    std::unique_ptr<UdevChangeMonitor> monitor = UdevChangeMonitor::Create();
    ASSERT_NE(monitor, nullptr);
    EXPECT_EQ(monitor->Wait(0), HidChangeWait::Timeout);

    // Nodes that came while nobody waited are reported by the next wait.
    const int mouse = hid_->Add(kMouseId, 0x046D, 0xC077, kMouseNode, kMouseDescriptor);
    const int keyboard = hid_->Add(kKeyboardId, 0x0C45, 0x5004, kKeyboardNode, kConfigDescriptor);
    ASSERT_GE(mouse, 0);
    ASSERT_GE(keyboard, 0);
    EXPECT_EQ(monitor->Wait(kGuardMs), HidChangeWait::Changed);
    EXPECT_EQ(monitor->Wait(0), HidChangeWait::Timeout); // the parent "hid" devices' adds are none

    // Changes of a node that stays, and events of other subsystems, are none either.
    hid_->Uevent(EmulatedHid::NodeSysPath(kMouseId, kMouseNode), "change");
    hid_->Uevent(EmulatedHid::DeviceSysPath(kMouseId), "remove");
    EXPECT_EQ(monitor->Wait(0), HidChangeWait::Timeout);

    hid_->Unplug(kMouseId, kMouseNode, mouse);
    EXPECT_EQ(monitor->Wait(kGuardMs), HidChangeWait::Changed);

    // Cancel ends a wait in another thread, and every later one.
    BlockedThread waiter;
    waiter.Mark();
    std::thread canceller([&] {
        EXPECT_TRUE(waiter.WaitUntilBlocked());
        monitor->Cancel();
    });
    EXPECT_EQ(monitor->Wait(kStretchedWaitMs), HidChangeWait::Cancelled);
    canceller.join();
    hid_->Unplug(kKeyboardId, kKeyboardNode, keyboard);
    EXPECT_EQ(monitor->Wait(kGuardMs), HidChangeWait::Cancelled);
}

TEST_F(PresenceHidraw, ANewKeyboardNodeWakesThePresenceThreadForTheArrival) {
    StartThreads(std::make_shared<StretchedBackend>());
    ASSERT_TRUE(WaitUntil([] { return StretchedMonitor::Waits() > 0; }, kGuardMs));
    EXPECT_EQ(Reloads(), 0u);

    // Its scan period stretched beyond the guard, only the node's uevent can bring the thread
    // to the scan that finds it.
    PlugKeyboard();
    ASSERT_TRUE(WaitUntil([&] { return Reloads() == 1; }, kGuardMs));
    EXPECT_TRUE(Received(CmdCode::ReadDefaultKeyTable));
    EXPECT_TRUE(Received(CmdCode::ReadInfoBlock));
    EXPECT_EQ(DeviceState().MacroCapacity.load(), kMacroCapacityUnits * 128u);
    EXPECT_EQ(DeviceState().KeyboardPresent.load(), 1u);

    // Stop ends the thread in the middle of its long wait.
    threads_->Stop();
    EXPECT_EQ(DeviceState().DeviceOpen.load(), 0);
}

TEST_F(PresenceHidraw, WithoutTheMonitorThePeriodicScanFindsTheKeyboard) {
    auto scanOnly = std::make_shared<HidrawBackend>(HidrawChangeWatch::ScanOnly);
    EXPECT_EQ(scanOnly->WatchChanges(), nullptr);
    StartThreads(scanOnly);
    PlugKeyboard();
    ASSERT_TRUE(WaitUntil([&] { return Reloads() == 1; }, kGuardMs));
    EXPECT_TRUE(Received(CmdCode::ReadDefaultKeyTable));
    EXPECT_EQ(DeviceState().MacroCapacity.load(), kMacroCapacityUnits * 128u);
}

} // namespace
