// SPDX-License-Identifier: GPL-3.0-or-later
#include "mainwindow/BusyIndicator.h"

#include <chrono>

BusyIndicator::BusyIndicator(std::function<void()> start, std::function<void()> stop)
    : start_(std::move(start)), stop_(std::move(stop)), worker_([this] { Run(); }) {}

BusyIndicator::~BusyIndicator() {
    {
        std::lock_guard guard(lock_);
        ending_ = true;
    }
    wake_.notify_all();
    worker_.join();
}

void BusyIndicator::Post(uint32_t message) {
    {
        std::lock_guard guard(lock_);
        queue_.push_back(message);
    }
    wake_.notify_all();
}

namespace {

// The last frame stays a moment after the stop, so that even a quick Apply is seen.
constexpr auto kLastFrameShown = std::chrono::milliseconds(100);

} // namespace

void BusyIndicator::Run() {
    std::unique_lock guard(lock_);
    for (;;) {
        wake_.wait(guard, [this] { return ending_ || !queue_.empty(); });
        if (ending_) {
            return;
        }
        const uint32_t message = queue_.front();
        queue_.pop_front();
        if (message == kBusyStop) {
            if (wake_.wait_for(guard, kLastFrameShown, [this] { return ending_; })) {
                return;
            }
            guard.unlock();
            stop_();
        } else {
            guard.unlock();
            start_();
        }
        guard.lock();
    }
}
