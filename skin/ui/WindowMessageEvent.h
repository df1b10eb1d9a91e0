// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// A window message between the program's own windows: (message, wParam, lParam), delivered as
// a Qt event. Sending delivers it at once and returns the receiver's result; posting queues
// it on the receiver's thread.

#include <QEvent>
#include <QObject>
#include <cstdint>
#include <string_view>

// Messages the controls of this layer deliver to their parent.
inline constexpr uint32_t WM_COMMAND = 0x0111;
// CBitmapSlider, posted: wParam = control id, lParam = new position.
inline constexpr uint32_t WM_BITMAPSLIDER_MOVING = 0x28D1;

class WindowMessageEvent : public QEvent {
public:
    WindowMessageEvent(uint32_t message, uintptr_t wParam, intptr_t lParam);

    // The one event type all window messages share.
    static QEvent::Type EventType();

    uint32_t message() const { return message_; }
    uintptr_t wParam() const { return wParam_; }
    intptr_t lParam() const { return lParam_; }

    // What a sent message returns to its sender (0 unless the receiver sets it).
    intptr_t result() const { return result_; }
    void setResult(intptr_t r) { result_ = r; }

private:
    uint32_t message_;
    uintptr_t wParam_;
    intptr_t lParam_;
    intptr_t result_ = 0;
};

// Delivers at once; 0 when there is no receiver.
intptr_t SendWindowMessage(QObject* receiver, uint32_t message, uintptr_t wParam, intptr_t lParam);
// Queues the message; false when there is no receiver.
bool PostWindowMessage(QObject* receiver, uint32_t message, uintptr_t wParam, intptr_t lParam);

// A message number private to this process for a name, the same for every call with that
// name (0xC000 and up, as registered messages are).
uint32_t RegisterWindowMessage(std::string_view name);
