// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// A simulated keyboard installed for the whole process, with its configuration interface open
// in the process-wide device and the model values set, as the presence thread leaves them.

#include "device/CHidDevice.h"
#include "device/DeviceState.h"
#include "platform/hid/sim/SimulatedKeyboard.h"

#include <memory>

// nullptr when the configuration interface would not open.
inline std::shared_ptr<SimulatedKeyboard> ConnectSimulatedKeyboard(const SimKeyboardModel& model) {
    auto keyboard = std::make_shared<SimulatedKeyboard>(model);
    SetCurrentHidBackend(keyboard);
    DeviceState().Reset();
    if (!ConfigDevice().Open(keyboard->ConfigurationPath(),
                             {.read = true, .write = true, .overlapped = true})) {
        return nullptr;
    }
    DeviceState().KeyTableLength.store(model.keyTableLength);
    DeviceState().KeySlotCount.store(model.keySlotCount);
    DeviceState().DeviceOpen.store(1);
    return keyboard;
}
