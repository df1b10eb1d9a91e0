// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// For the presence benchmarks: a MainWindowLink that records when the presence thread set the
// tray icon (which it does once an arrival or a removal is complete), and a MessageSink that
// answers nothing.

#include "device/MainWindowLink.h"
#include "device/MessageSink.h"

#include <chrono>
#include <condition_variable>
#include <mutex>

class TrayTimingLink : public MainWindowLink {
public:
    using Clock = std::chrono::steady_clock;

    intptr_t SendOwnMessage(uint32_t, uintptr_t, intptr_t) override { return 0; }
    bool PostOwnMessage(uint32_t, uintptr_t, intptr_t) override { return true; }
    void RequestTimer(uint32_t) override {}
    void HideMainWindow() override {}
    void SetTrayState(int kind, int iconId) override {
        if (kind != kTrayKindPresence || iconId == 0) {
            return;
        }
        std::lock_guard lock(mutex_);
        last_ = iconId;
        when_ = Clock::now();
        changed_.notify_all();
    }
    // When the tray icon became `iconId`; waits for it.
    Clock::time_point WaitFor(int iconId) {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [&] { return last_ == iconId; });
        return when_;
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    int last_ = 0;
    Clock::time_point when_;
};

class QuietSink : public MessageSink {
public:
    void ShowText(std::string_view, std::optional<long long>) override {}
    bool AskYesNo(std::string_view, std::optional<long long>) override { return false; }
};
