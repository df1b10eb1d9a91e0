// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/ThreadWait.h"

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <unistd.h>

namespace {

constexpr auto kPollPause = std::chrono::milliseconds(1);

// The scheduler state of one thread of this process ('R' running, 'S' sleeping, ...), from
// the field after the parenthesised name in its stat line.
char ThreadState(pid_t tid) {
    std::ifstream stat("/proc/self/task/" + std::to_string(tid) + "/stat");
    std::string line;
    std::getline(stat, line);
    const size_t name = line.rfind(')');
    return name == std::string::npos || name + 2 >= line.size() ? '?' : line[name + 2];
}

// True when every thread but the calling one sleeps.
bool OtherThreadsSleep() {
    const pid_t self = gettid();
    for (const auto& task : std::filesystem::directory_iterator("/proc/self/task")) {
        const pid_t tid = std::stoi(task.path().filename().string());
        if (tid != self && ThreadState(tid) != 'S') {
            return false;
        }
    }
    return true;
}

} // namespace

bool WaitUntil(const std::function<bool()>& done, int limitMs) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(limitMs);
    while (!done()) {
        if (std::chrono::steady_clock::now() > end) {
            return done();
        }
        std::this_thread::sleep_for(kPollPause);
    }
    return true;
}

void BlockedThread::Mark() {
    tid_ = gettid();
}

bool BlockedThread::WaitUntilBlocked(int limitMs) const {
    return WaitUntil(
        [this] {
            const pid_t tid = tid_.load();
            return tid != 0 && ThreadState(tid) == 'S';
        },
        limitMs);
}

bool WaitUntilOtherThreadsSleep(int limitMs) {
    // Twice in a row, so that a thread between two waits is not taken for an idle one.
    return WaitUntil([] { return OtherThreadsSleep() && OtherThreadsSleep(); }, limitMs);
}
