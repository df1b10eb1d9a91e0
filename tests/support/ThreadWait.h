// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Waiting for another thread without guessing how long it takes.

#include <atomic>
#include <functional>
#include <sys/types.h>

// How long a test waits for another thread by default: far beyond any normal run, even one
// slowed down by a sanitizer.
constexpr int kThreadWaitMs = 10000;

// Polls `done` until it holds or `limitMs` passed; the result of the last poll. Only for states
// that no event announces (a child process's file, a reply the keyboard sends late).
bool WaitUntil(const std::function<bool()>& done, int limitMs = kThreadWaitMs);

// One thread marks itself before a call that blocks; another waits until the kernel has put it
// to sleep there (in a wait for a lock, a condition, poll() or the like). Lets a test act on a
// thread that is really waiting, where a pause would only make it likely.
class BlockedThread {
public:
    // Called by the thread that is about to block.
    void Mark();
    // True once the marked thread sleeps; false when it was not marked or did not block within
    // `limitMs`.
    bool WaitUntilBlocked(int limitMs = kThreadWaitMs) const;

private:
    std::atomic<pid_t> tid_{0};
};

// Waits until every other thread of this process sleeps: the device threads have done what an
// event set off and wait for the next one. Use where a test checks that something does not
// happen; a thread sleeping out a timed pause counts as waiting too.
bool WaitUntilOtherThreadsSleep(int limitMs = kThreadWaitMs);
