// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/hid/sim/SimKeyboardCore.h"

#include <algorithm>

// The three interfaces of the simulated keyboard, the handles open on them and the reports
// they carry to their readers.

namespace {

constexpr size_t kConsumerReportSize = 3;
constexpr size_t kBootReportSize = 8;
constexpr size_t kBootKeySlots = 6;
constexpr size_t kBootFirstKeyByte = 2;
constexpr uint8_t kFirstModifierUsage = 0xE0;
constexpr uint8_t kLastModifierUsage = 0xE7;
constexpr uint8_t kRollOverUsage = 0x01;
constexpr uint8_t kConsumerReportId = 3;
constexpr size_t kMaxQueuedReports = 64; // per handle, as hidraw keeps

// Vendor page 0xFF1C, usage 0x92: 64-byte input and output reports with id 4.
const std::vector<uint8_t> kConfigDescriptor = {
    0x06, 0x1C, 0xFF, 0x09, 0x92, 0xA1, 0x01, 0x85, 0x04, 0x15, 0x00, 0x26, 0xFF, 0x00,
    0x75, 0x08, 0x95, 0x3F, 0x09, 0x01, 0x81, 0x02, 0x09, 0x01, 0x91, 0x02, 0xC0};

// Consumer control with id 3: one 16-bit array field of usages 0..0x3FFF.
const std::vector<uint8_t> kConsumerDescriptor = {
    0x05, 0x0C, 0x09, 0x01, 0xA1, 0x01, 0x85, 0x03, 0x15, 0x00, 0x26, 0xFF, 0x3F,
    0x19, 0x00, 0x2A, 0xFF, 0x3F, 0x75, 0x10, 0x95, 0x01, 0x81, 0x00, 0xC0};

// Boot keyboard without report ids: modifier bits, a reserved byte, six key slots; LEDs out.
const std::vector<uint8_t> kKeyboardDescriptor = {
    0x05, 0x01, 0x09, 0x06, 0xA1, 0x01, 0x05, 0x07, 0x19, 0xE0, 0x29, 0xE7, 0x15, 0x00, 0x25, 0x01,
    0x75, 0x01, 0x95, 0x08, 0x81, 0x02, 0x95, 0x01, 0x75, 0x08, 0x81, 0x01, 0x95, 0x05, 0x75, 0x01,
    0x05, 0x08, 0x19, 0x01, 0x29, 0x05, 0x91, 0x02, 0x95, 0x01, 0x75, 0x03, 0x91, 0x01, 0x95, 0x06,
    0x75, 0x08, 0x15, 0x00, 0x25, 0x65, 0x05, 0x07, 0x19, 0x00, 0x29, 0x65, 0x81, 0x00, 0xC0};

class SimHidInterface : public HidInterface {
public:
    SimHidInterface(std::shared_ptr<SimulatedKeyboard::Core> core, SimHandle handle)
        : core_(std::move(core)), handle_(std::move(handle)) {}

    ~SimHidInterface() override {
        std::lock_guard lock(core_->mutex);
        auto& handles = core_->handles;
        handles.erase(std::remove(handles.begin(), handles.end(), &handle_), handles.end());
    }

    SimHandle& Handle() { return handle_; }

    uint16_t VendorId() const override { return core_->model.vendorId; }
    uint16_t ProductId() const override { return core_->model.productId; }
    const std::vector<uint8_t>& ReportDescriptorBytes() const override {
        return SimulatedKeyboard::ReportDescriptorOf(handle_.kind);
    }

    HidTransferResult Read(uint8_t* buffer, size_t length, size_t& transferred,
                           uint32_t timeoutMs) override {
        transferred = 0;
        const bool unlimited = timeoutMs == kHidNoTimeout;
        const SimClock::time_point deadline =
            SimClock::now() + std::chrono::milliseconds(timeoutMs);
        std::unique_lock lock(core_->mutex);
        for (;;) {
            if (handle_.cancelled) {
                return HidTransferResult::Cancelled;
            }
            if (core_->Dead(handle_)) {
                return HidTransferResult::Gone;
            }
            if (!handle_.canRead || buffer == nullptr || length == 0) {
                return HidTransferResult::Failed;
            }
            const SimClock::time_point now = SimClock::now();
            std::optional<SimClock::time_point> wake;
            if (!handle_.queue.empty()) {
                const SimHandle::Report& report = handle_.queue.front();
                if (report.readyAt <= now) {
                    transferred = std::min(length, report.length);
                    std::copy_n(report.bytes.begin(), transferred, buffer);
                    handle_.queue.pop_front();
                    return HidTransferResult::Ok;
                }
                wake = report.readyAt;
            }
            if (!unlimited) {
                if (now >= deadline || (core_->instantTimeouts && handle_.queue.empty())) {
                    return HidTransferResult::Timeout;
                }
                wake = wake ? std::min(*wake, deadline) : deadline;
            }
            if (wake) {
                core_->changed.wait_until(lock, *wake);
            } else {
                core_->changed.wait(lock);
            }
        }
    }

    HidTransferResult Write(const uint8_t* buffer, size_t length, size_t& transferred,
                            uint32_t /*timeoutMs*/) override {
        transferred = 0;
        std::lock_guard lock(core_->mutex);
        core_->Refresh();
        if (handle_.cancelled) {
            return HidTransferResult::Cancelled;
        }
        if (core_->Dead(handle_)) {
            return HidTransferResult::Gone;
        }
        if (!handle_.canWrite || buffer == nullptr) {
            return HidTransferResult::Failed;
        }
        if (handle_.kind == SimInterface::Configuration && !core_->ReachScheduledFault()) {
            return HidTransferResult::Gone;
        }
        if (core_->failWrites > 0) {
            SimulatedKeyboard::Core::Consume(core_->failWrites);
            return HidTransferResult::Failed;
        }
        switch (handle_.kind) {
        case SimInterface::Keyboard:
            if (length != 1) { // the LED report
                return HidTransferResult::Failed;
            }
            break;
        case SimInterface::Consumer:
            return HidTransferResult::Failed; // no output report
        case SimInterface::Configuration:
            if (length != kSimFrameSize) {
                return HidTransferResult::Failed;
            }
            core_->HandleFrame(buffer);
            break;
        }
        transferred = length;
        return HidTransferResult::Ok;
    }

    void Cancel() override {
        std::lock_guard lock(core_->mutex);
        handle_.cancelled = true;
        core_->changed.notify_all();
    }

private:
    std::shared_ptr<SimulatedKeyboard::Core> core_;
    SimHandle handle_; // guarded by the core's mutex
};

// Wakes the presence thread when the keyboard is unplugged, plugged in, or leaves or enters
// boot mode, as the udev monitor does for hidraw nodes.
class SimChangeMonitor : public HidChangeMonitor {
public:
    explicit SimChangeMonitor(std::shared_ptr<SimulatedKeyboard::Core> core)
        : core_(std::move(core)), seen_(core_->appearances) {}

    HidChangeWait Wait(uint32_t timeoutMs) override {
        const SimClock::time_point deadline =
            SimClock::now() + std::chrono::milliseconds(timeoutMs);
        std::unique_lock lock(core_->mutex);
        for (;;) {
            core_->Refresh(); // a boot mode that ends by itself ends now
            if (cancelled_) {
                return HidChangeWait::Cancelled;
            }
            if (core_->appearances != seen_) {
                seen_ = core_->appearances;
                return HidChangeWait::Changed;
            }
            const SimClock::time_point now = SimClock::now();
            if (now >= deadline) {
                return HidChangeWait::Timeout;
            }
            SimClock::time_point wake = deadline;
            if (core_->boot && core_->bootReturnAt) {
                wake = std::min(wake, *core_->bootReturnAt);
            }
            core_->changed.wait_until(lock, wake);
        }
    }

    void Cancel() override {
        std::lock_guard lock(core_->mutex);
        cancelled_ = true;
        core_->changed.notify_all();
    }

private:
    std::shared_ptr<SimulatedKeyboard::Core> core_;
    uint64_t seen_;          // guarded by the core's mutex
    bool cancelled_ = false; // guarded by the core's mutex
};

} // namespace

void SimulatedKeyboard::Core::Refresh() {
    if (boot && bootReturnAt && SimClock::now() >= *bootReturnAt) {
        LeaveBoot();
    }
    TakeUpStateFile();
}

void SimulatedKeyboard::Core::LeaveBoot() {
    boot = false;
    bootReturnAt.reset();
    InterfacesChanged();
}

void SimulatedKeyboard::Core::InterfacesChanged() {
    ++appearances;
    changed.notify_all();
}

void SimulatedKeyboard::Core::Vanish() {
    ++generation;
    EndSession();
    for (SimHandle* handle : handles) {
        handle->queue.clear();
    }
    InterfacesChanged();
}

void SimulatedKeyboard::Core::EnterBoot() {
    boot = true;
    bootReturnAt.reset();
    if (bootDuration) {
        bootReturnAt = SimClock::now() + std::chrono::milliseconds(*bootDuration);
    }
    Vanish();
}

int SimulatedKeyboard::Core::Deliver(SimInterface kind, const uint8_t* bytes, size_t length,
                                     SimClock::time_point readyAt) {
    int reached = 0;
    for (SimHandle* handle : handles) {
        if (handle->kind != kind || !handle->canRead || Dead(*handle)) {
            continue;
        }
        if (handle->queue.size() >= kMaxQueuedReports) {
            handle->queue.pop_front();
        }
        SimHandle::Report report;
        std::copy_n(bytes, length, report.bytes.begin());
        report.length = length;
        report.readyAt = readyAt;
        handle->queue.push_back(report);
        ++reached;
    }
    changed.notify_all();
    return reached;
}

int SimulatedKeyboard::Core::Notice(uint16_t usage) {
    const uint8_t report[kConsumerReportSize] = {
        kConsumerReportId, static_cast<uint8_t>(usage & 0xFF), static_cast<uint8_t>(usage >> 8)};
    return Deliver(SimInterface::Consumer, report, sizeof report, SimClock::now());
}

int SimulatedKeyboard::Core::KeyboardReport(const std::vector<uint8_t>& usagesDown) {
    std::array<uint8_t, kBootReportSize> report{};
    size_t slot = kBootFirstKeyByte;
    bool rollOver = false;
    for (uint8_t usage : usagesDown) {
        if (usage >= kFirstModifierUsage && usage <= kLastModifierUsage) {
            report[0] |= static_cast<uint8_t>(1u << (usage - kFirstModifierUsage));
        } else if (usage != 0 && slot < kBootFirstKeyByte + kBootKeySlots) {
            report[slot++] = usage;
        } else if (usage != 0) {
            rollOver = true;
        }
    }
    if (rollOver) {
        std::fill(report.begin() + kBootFirstKeyByte, report.end(), kRollOverUsage);
    }
    return Deliver(SimInterface::Keyboard, report.data(), report.size(), SimClock::now());
}

std::unique_ptr<HidChangeMonitor> SimulatedKeyboard::WatchChanges() {
    std::lock_guard lock(core_->mutex);
    return std::make_unique<SimChangeMonitor>(core_);
}

bool SimulatedKeyboard::ListInterfaces(std::vector<std::string>& paths) {
    std::lock_guard lock(core_->mutex);
    core_->Refresh();
    paths.clear();
    if (core_->Present()) {
        paths.assign(core_->paths.begin(), core_->paths.end());
    }
    return true;
}

std::unique_ptr<HidInterface>
SimulatedKeyboard::Open(const std::string& path, const HidOpenFlags& flags, HidOpenError& error) {
    std::lock_guard lock(core_->mutex);
    core_->Refresh();
    for (size_t i = 0; i < core_->paths.size(); ++i) {
        if (path != core_->paths[i] || !core_->Present()) {
            continue;
        }
        SimHandle handle;
        handle.kind = static_cast<SimInterface>(i);
        handle.generation = core_->generation;
        handle.canRead = flags.read;
        handle.canWrite = flags.write;
        auto opened = std::make_unique<SimHidInterface>(core_, std::move(handle));
        core_->handles.push_back(&opened->Handle());
        error = HidOpenError::None;
        return opened;
    }
    error = HidOpenError::NotFound;
    return nullptr;
}

bool SimulatedKeyboard::PathExists(const std::string& path) {
    std::lock_guard lock(core_->mutex);
    core_->Refresh();
    return core_->Present() &&
           std::find(core_->paths.begin(), core_->paths.end(), path) != core_->paths.end();
}

std::string SimulatedKeyboard::InterfacePath(SimInterface which) const {
    return core_->paths[static_cast<size_t>(which)];
}

const std::vector<uint8_t>& SimulatedKeyboard::ReportDescriptorOf(SimInterface which) {
    switch (which) {
    case SimInterface::Consumer:
        return kConsumerDescriptor;
    case SimInterface::Configuration:
        return kConfigDescriptor;
    case SimInterface::Keyboard:
        break;
    }
    return kKeyboardDescriptor;
}

int SimulatedKeyboard::OpenHandleCount(SimInterface which) const {
    std::lock_guard lock(core_->mutex);
    return static_cast<int>(std::count_if(core_->handles.begin(), core_->handles.end(),
                                          [&](const SimHandle* h) { return h->kind == which; }));
}
