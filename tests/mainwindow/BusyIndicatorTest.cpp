// SPDX-License-Identifier: GPL-3.0-or-later
// The busy worker: start and stop in the order posted, the stop held back a moment.

#include "mainwindow/BusyIndicator.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <gtest/gtest.h>
#include <mutex>
#include <thread>
#include <vector>

TEST(BusyIndicator, RunsItsMessagesInOrderAndHoldsTheStop) {
    std::mutex lock;
    std::condition_variable stopped;
    std::vector<std::string> events;
    int stops = 0;
    const auto start = std::chrono::steady_clock::now();
    std::chrono::steady_clock::duration stopAt{};
    {
        BusyIndicator busy(
            [&] {
                std::lock_guard guard(lock);
                events.push_back("start");
            },
            [&] {
                std::lock_guard guard(lock);
                events.push_back("stop");
                stopAt = std::chrono::steady_clock::now() - start;
                ++stops;
                stopped.notify_all();
            });
        busy.Post(kBusyStart);
        busy.Post(kBusyStop);
        busy.Post(0x999); // any other message starts as well
        busy.Post(kBusyStop);
        std::unique_lock guard(lock);
        EXPECT_TRUE(stopped.wait_for(guard, std::chrono::seconds(10), [&] { return stops == 2; }));
    }
    EXPECT_EQ(events, (std::vector<std::string>{"start", "stop", "start", "stop"}));
    EXPECT_GE(stopAt, std::chrono::milliseconds(200));
}

TEST(BusyIndicator, EndingDropsWhatIsStillQueued) {
    std::atomic<int> stops{0};
    {
        BusyIndicator busy([] {}, [&] { ++stops; });
        busy.Post(kBusyStop);
        // Destroyed during the stop's wait: it ends at once and never calls stop.
    }
    EXPECT_EQ(stops.load(), 0);
}
