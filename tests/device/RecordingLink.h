// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// A MainWindowLink and a MessageSink that record every call.

#include "device/MainWindowLink.h"
#include "device/MessageSink.h"
#include "support/ThreadWait.h"

#include <algorithm>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

struct LinkEvent {
    enum Kind { Send, Post, Timer, Tray, Hide } kind;
    uint32_t message = 0; // message number, timer id, or tray kind
    uintptr_t wParam = 0; // tray: icon id
    intptr_t lParam = 0;

    bool operator==(const LinkEvent&) const = default;
};

class RecordingLink : public MainWindowLink {
public:
    intptr_t SendOwnMessage(uint32_t message, uintptr_t wParam, intptr_t lParam) override {
        Add({LinkEvent::Send, message, wParam, lParam});
        return 0;
    }
    bool PostOwnMessage(uint32_t message, uintptr_t wParam, intptr_t lParam) override {
        Add({LinkEvent::Post, message, wParam, lParam});
        return true;
    }
    void RequestTimer(uint32_t timerId) override { Add({LinkEvent::Timer, timerId, 0, 0}); }
    void SetTrayState(int kind, int iconId) override {
        Add({LinkEvent::Tray, static_cast<uint32_t>(kind), static_cast<uintptr_t>(iconId), 0});
    }
    void HideMainWindow() override { Add({LinkEvent::Hide, 0, 0, 0}); }

    std::vector<LinkEvent> Events() const {
        std::lock_guard lock(mutex_);
        return events_;
    }
    size_t Count(const LinkEvent& event) const {
        const auto all = Events();
        return static_cast<size_t>(std::count(all.begin(), all.end(), event));
    }
    void Clear() {
        std::lock_guard lock(mutex_);
        events_.clear();
    }

private:
    void Add(const LinkEvent& event) {
        std::lock_guard lock(mutex_);
        events_.push_back(event);
    }

    mutable std::mutex mutex_;
    std::vector<LinkEvent> events_;
};

class RecordingSink : public MessageSink {
public:
    void ShowText(std::string_view textKey, std::optional<long long>) override {
        std::lock_guard lock(mutex_);
        shown_.emplace_back(textKey);
    }
    bool AskYesNo(std::string_view textKey, std::optional<long long>) override {
        std::lock_guard lock(mutex_);
        asked_.emplace_back(textKey);
        return false;
    }
    std::vector<std::string> Shown() const {
        std::lock_guard lock(mutex_);
        return shown_;
    }

private:
    mutable std::mutex mutex_;
    std::vector<std::string> shown_;
    std::vector<std::string> asked_;
};

inline const LinkEvent kSentDisconnected{LinkEvent::Send, 0x4753, 0, 0};
inline const LinkEvent kSentProfileReload{LinkEvent::Send, 0x5452, 0x50524F46, 0};
inline const LinkEvent kPostedOpen{LinkEvent::Post, 0x5350, 0x4F50454E, 0};
inline const LinkEvent kHidden{LinkEvent::Hide, 0, 0, 0};
inline const LinkEvent kTrayPresent{LinkEvent::Tray, 0, 141, 0};
inline const LinkEvent kTrayAbsent{LinkEvent::Tray, 0, 128, 0};
inline const LinkEvent kTraySpecialOn{LinkEvent::Tray, 1, 142, 0};
inline const LinkEvent kTraySpecialOff{LinkEvent::Tray, 0, 0, 0};
inline const LinkEvent kTimerLighting{LinkEvent::Timer, 1051, 0, 0};
inline const LinkEvent kTimerProfile{LinkEvent::Timer, 1053, 0, 0};
