// The busy worker: start and stop in the order posted, the stop held back a moment.

#include "mainwindow/BusyIndicator.h"

#include <atomic>
#include <chrono>
#include <gtest/gtest.h>
#include <mutex>
#include <thread>
#include <vector>

TEST(BusyIndicator, RunsItsMessagesInOrderAndHoldsTheStop) {
    std::mutex lock;
    std::vector<std::string> events;
    std::atomic<int> stops{0};
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
            });
        busy.Post(kBusyStart);
        busy.Post(kBusyStop);
        busy.Post(0x999); // any other message starts as well
        busy.Post(kBusyStop);
        for (int i = 0; i < 200 && stops < 2; ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
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
