// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// A small in-memory HidBackend for CHidDevice's tests: a list of interfaces with descriptors,
// reports queued for reading, written reports recorded, and checks that no handle is destroyed
// while a transfer is still inside it.

#include "platform/hid/HidBackend.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <map>
#include <mutex>

struct FakeInterfaceSpec {
    std::string path;
    uint16_t vendorId = 0;
    uint16_t productId = 0;
    std::vector<uint8_t> descriptor;
    size_t collection = 0;
    HidOpenError openError = HidOpenError::None; // what Open reports for this path
};

// What the tests see of the interfaces opened on one path.
struct FakeChannel {
    std::mutex mutex;
    std::condition_variable changed;
    std::deque<std::vector<uint8_t>> toRead;
    std::vector<std::vector<uint8_t>> written;
    bool writesBlock = false; // a write then waits until cancelled
    int open = 0;             // handles alive
    int opened = 0;           // handles ever opened
    HidOpenFlags lastFlags;
    std::atomic<int> inTransfer{0};
    std::atomic<bool> destroyedDuringTransfer{false};

    void QueueRead(std::vector<uint8_t> report) {
        {
            std::lock_guard lock(mutex);
            toRead.push_back(std::move(report));
        }
        changed.notify_all();
    }
};

class FakeHidInterface : public HidInterface {
public:
    FakeHidInterface(const FakeInterfaceSpec& entry, std::shared_ptr<FakeChannel> channel)
        : spec_(entry), channel_(std::move(channel)) {
        std::lock_guard lock(channel_->mutex);
        ++channel_->open;
        ++channel_->opened;
    }
    ~FakeHidInterface() override {
        if (channel_->inTransfer.load() != 0) {
            channel_->destroyedDuringTransfer.store(true);
        }
        std::lock_guard lock(channel_->mutex);
        --channel_->open;
    }

    uint16_t VendorId() const override { return spec_.vendorId; }
    uint16_t ProductId() const override { return spec_.productId; }
    const std::vector<uint8_t>& ReportDescriptorBytes() const override { return spec_.descriptor; }
    size_t CollectionIndex() const override { return spec_.collection; }

    HidTransferResult Read(uint8_t* buffer, size_t length, size_t& transferred,
                           uint32_t timeoutMs) override {
        Inside inside(*channel_);
        transferred = 0;
        std::unique_lock lock(channel_->mutex);
        if (!Wait(lock, timeoutMs, [&] { return !channel_->toRead.empty(); })) {
            return cancelled_ ? HidTransferResult::Cancelled : HidTransferResult::Timeout;
        }
        const std::vector<uint8_t> report = std::move(channel_->toRead.front());
        channel_->toRead.pop_front();
        transferred = std::min(length, report.size());
        std::copy_n(report.begin(), transferred, buffer);
        return HidTransferResult::Ok;
    }

    HidTransferResult Write(const uint8_t* buffer, size_t length, size_t& transferred,
                            uint32_t timeoutMs) override {
        Inside inside(*channel_);
        transferred = 0;
        std::unique_lock lock(channel_->mutex);
        if (channel_->writesBlock) {
            Wait(lock, timeoutMs, [] { return false; });
            return cancelled_ ? HidTransferResult::Cancelled : HidTransferResult::Timeout;
        }
        if (cancelled_) {
            return HidTransferResult::Cancelled;
        }
        channel_->written.emplace_back(buffer, buffer + length);
        transferred = length;
        return HidTransferResult::Ok;
    }

    void Cancel() override {
        {
            std::lock_guard lock(channel_->mutex);
            cancelled_ = true;
        }
        channel_->changed.notify_all();
    }

private:
    struct Inside {
        explicit Inside(FakeChannel& c) : channel(c) { ++channel.inTransfer; }
        ~Inside() { --channel.inTransfer; }
        FakeChannel& channel;
    };

    // True when `ready` came true, false on cancel or timeout.
    template <typename Ready>
    bool Wait(std::unique_lock<std::mutex>& lock, uint32_t timeoutMs, Ready ready) {
        auto done = [&] { return cancelled_ || ready(); };
        if (timeoutMs == kHidNoTimeout) {
            channel_->changed.wait(lock, done);
        } else {
            channel_->changed.wait_for(lock, std::chrono::milliseconds(timeoutMs), done);
        }
        return !cancelled_ && ready();
    }

    FakeInterfaceSpec spec_;
    std::shared_ptr<FakeChannel> channel_;
    bool cancelled_ = false; // guarded by the channel's mutex
};

class FakeHidBackend : public HidBackend {
public:
    std::vector<FakeInterfaceSpec> interfaces;
    bool listingFails = false;

    FakeChannel& Channel(const std::string& path) {
        std::lock_guard lock(mutex_);
        auto& channel = channels_[path];
        if (!channel) {
            channel = std::make_shared<FakeChannel>();
        }
        return *channel;
    }

    bool ListInterfaces(std::vector<std::string>& paths) override {
        paths.clear();
        if (listingFails) {
            return false;
        }
        for (const auto& entry : interfaces) {
            paths.push_back(entry.path);
        }
        return true;
    }

    std::unique_ptr<HidInterface> Open(const std::string& path, const HidOpenFlags& flags,
                                       HidOpenError& error) override {
        for (const auto& entry : interfaces) {
            if (entry.path != path) {
                continue;
            }
            error = entry.openError;
            if (error != HidOpenError::None) {
                return nullptr;
            }
            Channel(path).lastFlags = flags;
            std::lock_guard lock(mutex_);
            return std::make_unique<FakeHidInterface>(entry, channels_[path]);
        }
        error = HidOpenError::NotFound;
        return nullptr;
    }

    bool PathExists(const std::string& path) override {
        for (const auto& entry : interfaces) {
            if (entry.path == path) {
                return true;
            }
        }
        return false;
    }

private:
    std::mutex mutex_;
    std::map<std::string, std::shared_ptr<FakeChannel>> channels_;
};
