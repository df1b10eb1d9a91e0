// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/hid/HidBackend.h"

#include "platform/hid/HidrawBackend.h"

#include <cstdio>
#include <mutex>
#include <vector>

namespace {

struct BackendSlot {
    std::mutex mutex;
    std::shared_ptr<HidBackend> current;
    // Replaced backends stay alive until exit: callers hold plain references to them.
    std::vector<std::shared_ptr<HidBackend>> retired;
};

BackendSlot& Slot() {
    static BackendSlot slot;
    return slot;
}

} // namespace

std::string HidIdsQuery(uint16_t vendorId, uint16_t productId) {
    char query[24];
    std::snprintf(query, sizeof query, "?vid_%04x&pid_%04x", vendorId, productId);
    return query;
}

HidBackend& CurrentHidBackend() {
    BackendSlot& slot = Slot();
    std::lock_guard lock(slot.mutex);
    if (!slot.current) {
        slot.current = std::make_shared<HidrawBackend>();
    }
    return *slot.current;
}

void SetCurrentHidBackend(std::shared_ptr<HidBackend> backend) {
    BackendSlot& slot = Slot();
    std::lock_guard lock(slot.mutex);
    if (slot.current) {
        slot.retired.push_back(std::move(slot.current));
    }
    slot.current = std::move(backend);
}
