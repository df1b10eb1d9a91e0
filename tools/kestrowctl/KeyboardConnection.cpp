// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/kestrowctl/KeyboardConnection.h"

#include "device/CHidDevice.h"
#include "device/DeviceState.h"

#include <chrono>
#include <thread>

namespace {
// A keyboard that never answers costs about 5 s per command at arrival; well above that the
// presence thread is taken to have ended.
constexpr auto kFirstSearchLimit = std::chrono::seconds(120);
} // namespace

KeyboardConnection::KeyboardConnection(MessageSink& sink) : threads_(link_, sink) {}

KeyboardConnection::~KeyboardConnection() {
    threads_.Stop();
}

bool KeyboardConnection::Connect() {
    // The presence thread ends without a word when listing fails; find that out first.
    {
        CHidDevice probe;
        if (!probe.EnumerateInterfaces()) {
            return false;
        }
        probe.FreePathList();
    }
    DeviceStateRecord& state = DeviceState();
    state.OpenNotified.store(0);
    threads_.Start();
    // The first search ends with OpenNotified set, found or not.
    const auto deadline = std::chrono::steady_clock::now() + kFirstSearchLimit;
    while (state.OpenNotified.load() == 0) {
        if (std::chrono::steady_clock::now() > deadline) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return state.KeyboardPresent.load() == 1 && state.DeviceOpen.load() != 0;
}
