#pragma once

// The locks of the working and the outgoing profile store. Start-up creates them before the
// main window runs and deletes them after it has closed. Re-entrant; whoever takes both takes
// the working store's first.

#include <mutex>

struct StoreLocks {
    std::recursive_mutex working;
    std::recursive_mutex outgoing;
};

// The locks of this run; nullptr before start-up created them and after they were deleted.
StoreLocks* CurrentStoreLocks();
void SetCurrentStoreLocks(StoreLocks* locks);
