// SPDX-License-Identifier: GPL-3.0-or-later
#include "device/DeviceState.h"

#include "device/CHidDevice.h"
#include "platform/hid/BuiltInKeyTable.h"

DeviceStateRecord::DeviceStateRecord() : defaultKeyTable_(kBuiltInDefaultKeyTable) {}

void DeviceStateRecord::GetDefaultKeyTable(KeyTableBytes& out) const {
    std::lock_guard lock(defaultKeyTableLock_);
    out = defaultKeyTable_;
}

void DeviceStateRecord::SetDefaultKeyTable(const KeyTableBytes& table) {
    std::lock_guard lock(defaultKeyTableLock_);
    defaultKeyTable_ = table;
}

void DeviceStateRecord::Reset() {
    DeviceOpen.store(0);
    KeyTableLength.store(kKeyTableLengthSmall);
    CurrentProfile.store(0);
    MacroCapacity.store(0);
    KeySlotCount.store(kKeySlotCountSmall);
    KeyboardPresent.store(0);
    OpenNotified.store(0);
    CachedProfile.store(-1);
    SetDefaultKeyTable(kBuiltInDefaultKeyTable);
}

DeviceStateRecord& DeviceState() {
    static DeviceStateRecord record;
    return record;
}

CHidDevice& ConfigDevice() {
    static CHidDevice device;
    return device;
}
