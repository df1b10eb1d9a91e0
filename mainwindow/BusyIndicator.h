// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The worker that drives the busy animation during Apply. It has its own small message queue:
// 0x401 starts the animation, 0x402 stops it after 100 ms. What start and stop do on the window
// is given by the owner and must be safe to call from the worker thread.

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

inline constexpr uint32_t kBusyStart = 0x401;
inline constexpr uint32_t kBusyStop = 0x402;

class BusyIndicator {
public:
    BusyIndicator(std::function<void()> start, std::function<void()> stop);
    ~BusyIndicator(); // ends the worker; messages still queued are dropped
    BusyIndicator(const BusyIndicator&) = delete;
    BusyIndicator& operator=(const BusyIndicator&) = delete;

    void Post(uint32_t message);

private:
    void Run();

    std::function<void()> start_;
    std::function<void()> stop_;
    std::mutex lock_;
    std::condition_variable wake_;
    std::deque<uint32_t> queue_;
    bool ending_ = false;
    std::thread worker_;
};
