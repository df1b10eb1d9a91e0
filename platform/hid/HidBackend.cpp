#include "platform/hid/HidBackend.h"

#include "platform/hid/HidrawBackend.h"

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
