#include "app/StoreLocks.h"

#include <atomic>

namespace {
std::atomic<StoreLocks*> g_locks{nullptr};
}

StoreLocks* CurrentStoreLocks() {
    return g_locks.load();
}
void SetCurrentStoreLocks(StoreLocks* locks) {
    g_locks.store(locks);
}
