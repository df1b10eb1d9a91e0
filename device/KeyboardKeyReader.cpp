// SPDX-License-Identifier: GPL-3.0-or-later
#include "device/KeyboardKeyReader.h"

#include "device/CHidDevice.h"
#include "device/Presence.h"

#include <array>
#include <chrono>
#include <string>

namespace {

// How long the reader waits before it looks for the interface again.
constexpr unsigned kRescanMs = 1000;
// A boot report holds eight modifiers and six keys; room for a report descriptor with more.
constexpr size_t kMaxUsages = 64;

bool IsBootKeyboard(const CHidDevice& device) {
    const HiddAttributes& attributes = device.Attributes();
    return FindKeyboardModel(attributes.VendorID, attributes.ProductID) != nullptr &&
           device.Caps().UsagePage == kGenericDesktopPage && device.Caps().Usage == kKeyboardUsage;
}

} // namespace

KeyboardKeyReader::KeyboardKeyReader(ReportHandler handler, std::shared_ptr<HidBackend> backend)
    : handler_(std::move(handler)), device_(std::make_unique<CHidDevice>(std::move(backend))) {}

KeyboardKeyReader::~KeyboardKeyReader() {
    Stop();
}

bool KeyboardKeyReader::Start() {
    if (thread_.joinable()) {
        return false;
    }
    {
        std::lock_guard guard(lock_);
        stopping_ = false;
    }
    thread_ = std::thread([this] { Run(); });
    return true;
}

void KeyboardKeyReader::Stop() {
    if (!thread_.joinable()) {
        return;
    }
    {
        std::lock_guard guard(lock_);
        stopping_ = true;
        device_->Close();
    }
    stopSignal_.notify_all();
    thread_.join();
}

bool KeyboardKeyReader::Pause(unsigned ms) {
    std::unique_lock guard(lock_);
    return !stopSignal_.wait_for(guard, std::chrono::milliseconds(ms),
                                 [this] { return stopping_; });
}

void KeyboardKeyReader::Run() {
    while (true) {
        if (OpenInterface()) {
            ReadReports();
            reading_ = false;
            device_->Close();
        }
        device_->FreePathList();
        if (!Pause(kRescanMs)) {
            break;
        }
    }
}

bool KeyboardKeyReader::OpenInterface() {
    if (!device_->EnumerateInterfaces()) {
        return false;
    }
    while (const std::string* path = device_->NextPath()) {
        if (!IsCandidatePath(*path)) {
            continue;
        }
        std::lock_guard guard(lock_);
        if (stopping_) {
            return false;
        }
        if (device_->Open(*path, {.read = true, .overlapped = true}) && IsBootKeyboard(*device_) &&
            device_->PreparsedData() != nullptr && device_->InputReportBufferLength() > 0) {
            reading_ = true;
            return true;
        }
        device_->Close();
    }
    return false;
}

void KeyboardKeyReader::ReadReports() {
    uint8_t* buffer = nullptr;
    size_t length = 0;
    {
        std::lock_guard guard(lock_);
        if (stopping_) {
            return;
        }
        buffer = device_->InputReportBuffer();
        length = device_->InputReportBufferLength();
    }
    std::array<uint16_t, kMaxUsages> usages{};
    while (true) {
        size_t got = 0;
        if (device_->ReadReport(buffer, length, &got, kHidNoTimeout) == 0) {
            return;
        }
        std::lock_guard guard(lock_);
        if (stopping_) {
            return;
        }
        uint32_t count = usages.size();
        // Reports of the node's other collections carry other ids and are no key reports.
        if (device_->PreparsedData()->GetUsages(HidReportType::Input, kKeyboardUsagePage, 0,
                                                usages.data(), count, buffer,
                                                got) == HIDP_STATUS_SUCCESS) {
            handler_(std::span<const uint16_t>(usages.data(), count));
        }
    }
}
