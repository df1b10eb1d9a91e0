// SPDX-License-Identifier: GPL-3.0-or-later
#include "skin/ui/WindowMessageEvent.h"

#include <QCoreApplication>
#include <map>
#include <mutex>
#include <string>

WindowMessageEvent::WindowMessageEvent(uint32_t message, uintptr_t wParam, intptr_t lParam)
    : QEvent(EventType()), message_(message), wParam_(wParam), lParam_(lParam) {}

QEvent::Type WindowMessageEvent::EventType() {
    static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
    return type;
}

intptr_t SendWindowMessage(QObject* receiver, uint32_t message, uintptr_t wParam, intptr_t lParam) {
    if (receiver == nullptr) {
        return 0;
    }
    WindowMessageEvent event(message, wParam, lParam);
    QCoreApplication::sendEvent(receiver, &event);
    return event.result();
}

bool PostWindowMessage(QObject* receiver, uint32_t message, uintptr_t wParam, intptr_t lParam) {
    if (receiver == nullptr) {
        return false;
    }
    QCoreApplication::postEvent(receiver, new WindowMessageEvent(message, wParam, lParam));
    return true;
}

uint32_t RegisterWindowMessage(std::string_view name) {
    static std::mutex lock;
    static std::map<std::string, uint32_t, std::less<>> numbers;
    std::lock_guard guard(lock);
    // Names are compared without regard to case, as the system's registered messages are.
    std::string key(name);
    for (char& c : key) {
        if (c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 'a' + 'A');
        }
    }
    const auto found = numbers.find(key);
    if (found != numbers.end()) {
        return found->second;
    }
    const auto number = static_cast<uint32_t>(0xC000 + numbers.size());
    numbers.emplace(std::move(key), number);
    return number;
}
