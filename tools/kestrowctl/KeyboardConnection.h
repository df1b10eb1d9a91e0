// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Finding the keyboard the way the main window does: the presence and listener threads run,
// and a command waits for the presence thread's first search (which opens the configuration
// interface and reads the factory key table and the info block at arrival).

#include "device/MainWindowLink.h"
#include "device/Presence.h"

#include <memory>

class MessageSink;

// The window-less side of MainWindowLink: there is no window to show, hide or notify.
class TerminalWindowLink : public MainWindowLink {
public:
    intptr_t SendOwnMessage(uint32_t, uintptr_t, intptr_t) override { return 0; }
    bool PostOwnMessage(uint32_t, uintptr_t, intptr_t) override { return true; }
    void RequestTimer(uint32_t) override {}
    void SetTrayState(int, int) override {}
    void HideMainWindow() override {}
};

class KeyboardConnection {
public:
    explicit KeyboardConnection(MessageSink& sink);
    ~KeyboardConnection(); // stops the threads and closes the keyboard
    KeyboardConnection(const KeyboardConnection&) = delete;
    KeyboardConnection& operator=(const KeyboardConnection&) = delete;

    // True once a supported keyboard is open; false when the first search found none (or the
    // HID interfaces cannot be listed).
    bool Connect();

private:
    TerminalWindowLink link_;
    DeviceThreads threads_;
};
