// SPDX-License-Identifier: GPL-3.0-or-later
// Every multi-frame operation of kestrowctl and of the model, with every fault the simulated
// keyboard offers placed at every one of its frames. At each fault point the operation must
// stay within the protocol's bounds, report the failure (or have truly completed), leave every
// file byte for byte as it was unless it completed, and a good run afterwards must reach the
// same keyboard and files as a run that met no fault.

#include "FaultSweepWorld.h"
#include "device/Protocol.h"
#include "model/KeyboardTransfer.h"
#include "model/ProfileFolder.h"
#include "support/TestNames.h"
#include "tools/kestrowctl/CtlCommands.h"
#include "tools/kestrowctl/ExitCodes.h"

#include <chrono>
#include <cstdio>
#include <gtest/gtest.h>
#include <ostream>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

struct FaultKind {
    SimFault fault;
    unsigned count; // replies dropped, statuses forced, writes failed
    const char* name;
};

// Dropped replies: as many as the protocol writes one request before it gives up.
constexpr FaultKind kFaultKinds[] = {
    {SimFault::Unplug, 1, "unplug"},          {SimFault::DropReplies, 4, "no reply"},
    {SimFault::StatusFF, 1, "status 0xFF"},   {SimFault::StatusFE, 1, "status 0xFE"},
    {SimFault::FailWrite, 1, "failed write"},
};

// The longest one transaction may take: four writes of 1000 ms and four reads of 300 ms.
constexpr auto kTransactionBound = std::chrono::milliseconds(4 * (1000 + 300));
// The retries of the one request a fault hits.
constexpr size_t kRetryFrames = 3;

struct Operation {
    const char* name;
    // Changes the store before the run (the edits an Apply sends); may be empty.
    void (*prepare)(FaultSweepWorld&);
    // True when the operation reported success.
    bool (*run)(FaultSweepWorld&);
    // kestrowctl says why it failed; the window's Apply and the reload say nothing.
    bool tellsWhy = true;
};

bool CtlSucceeds(int exitCode) {
    return exitCode == kExitOk;
}

const Operation kOperations[] = {
    {"restore", nullptr,
     [](FaultSweepWorld& w) {
         return CtlSucceeds(RunRestore(w.Options(CtlCommand::Restore), w.Sink()));
     }},
    {"backup", nullptr,
     [](FaultSweepWorld& w) {
         return CtlSucceeds(RunBackup(w.Options(CtlCommand::Backup), w.Sink()));
     }},
    {"colours", nullptr,
     [](FaultSweepWorld& w) {
         const CtlOptions options = w.Options(CtlCommand::Colours);
         UserColourFile file = UserColourFile::FromBytes(std::nullopt);
         int mode = 0;
         return CtlSucceeds(ReadColourFileForUser(options, w.Sink(), file, mode)) &&
                CtlSucceeds(RunColours(options, w.Sink(), file, mode));
     }},
    {"profile", nullptr,
     [](FaultSweepWorld& w) {
         return CtlSucceeds(RunProfile(w.Options(CtlCommand::Profile), w.Sink()));
     }},
    {"apply", [](FaultSweepWorld& w) { w.EditWorkingStore(); },
     [](FaultSweepWorld& w) { return w.Apply(); }, false},
    {"switch and reload", nullptr,
     [](FaultSweepWorld&) {
         return SetDeviceProfile(FaultSweepWorld::kSwitchTarget) &&
                ReloadFromKeyboard(PendingChanges::Clear, nullptr);
     },
     false},
};

class FaultSweep : public ::testing::TestWithParam<Operation> {
protected:
    // Back to the initial state, with the operation's edits made.
    void Prepare(const Operation& op) {
        world.Reset();
        if (op.prepare) {
            op.prepare(world);
        }
    }
    bool Run(const Operation& op) {
        return world.RunCapturingStdout([&] { return op.run(world); });
    }

    // The run that meets no fault: what every other run must end in.
    void RunWithoutFault(const Operation& op) {
        Prepare(op);
        ASSERT_TRUE(Run(op)) << world.Notes();
        frames = world.keyboard->RequestLog().size();
        completed = world.Capture();
        ASSERT_GT(frames, 0u);
        ASSERT_NE(completed, world.initial) << "the operation changes nothing to check";
    }

    // One fault point: what was lost, corrupted or misreported; empty when nothing was.
    std::vector<std::string> TryFault(const Operation& op, size_t frame, const FaultKind& kind) {
        const std::string where =
            std::string(op.name) + ", " + kind.name + " at frame " + std::to_string(frame) + ": ";
        std::vector<std::string> damage;
        Prepare(op);
        world.keyboard->ScheduleFault(kind.fault, static_cast<unsigned>(frame), kind.count);
        const Clock::time_point start = Clock::now();
        const bool reported = Run(op);
        const Clock::duration took = Clock::now() - start;
        const size_t sent = world.keyboard->RequestLog().size();
        EXPECT_FALSE(world.keyboard->FaultPending()) << where << "the frame was never sent";
        EXPECT_LE(sent, frames + kRetryFrames) << where << "frames beyond the bound";
        EXPECT_LE(took, kTransactionBound * static_cast<long>(sent + 1))
            << where << "took longer than its transactions may";

        const FaultSweepWorld::State after = world.Capture();
        if (reported && after != completed) {
            damage.push_back(where + "success reported for an incomplete operation");
        }
        if (!reported && after.files != world.initial.files) {
            damage.push_back(where + "failed but changed " + world.ChangedFiles(after));
        }
        if (!reported && !world.LastStdout().empty()) {
            damage.push_back(where + "failed but printed " + world.LastStdout());
        }
        if (!reported && op.tellsWhy && world.Notes().empty()) {
            damage.push_back(where + "failed without a word");
        }

        // The keyboard comes back and the same operation runs again, from where the fault left
        // everything.
        world.Recover();
        if (!Run(op)) {
            damage.push_back(where + "the next good run failed: " + world.Notes());
        } else if (const FaultSweepWorld::State again = world.Capture(); again != completed) {
            damage.push_back(where + "the next good run ended elsewhere: " +
                             (again.keyboard != completed.keyboard ? "the keyboard " : "") +
                             world.ChangedFiles(again, completed));
        }
        return damage;
    }

    FaultSweepWorld world;
    size_t frames = 0;
    FaultSweepWorld::State completed;
};

TEST_P(FaultSweep, EveryFaultAtEveryFrameLosesNothing) {
    const Operation& op = GetParam();
    ASSERT_TRUE(world.Ready());
    ASSERT_NO_FATAL_FAILURE(RunWithoutFault(op));

    size_t points = 0;
    std::vector<std::string> damage;
    for (size_t frame = 0; frame < frames; ++frame) {
        for (const FaultKind& kind : kFaultKinds) {
            ++points;
            const std::vector<std::string> found = TryFault(op, frame, kind);
            damage.insert(damage.end(), found.begin(), found.end());
        }
    }
    // Once with the keyboard's silence waited out in full, as without the simulator's shortcut.
    world.keyboard->SetInstantTimeouts(false);
    const std::vector<std::string> found = TryFault(op, frames / 2, kFaultKinds[1]);
    world.keyboard->SetInstantTimeouts(true);
    damage.insert(damage.end(), found.begin(), found.end());
    ++points;

    std::printf("fault sweep %s: %zu frames, %zu fault points, %zu lost or corrupted\n", op.name,
                frames, points, damage.size());
    for (const std::string& line : damage) {
        ADD_FAILURE() << line;
    }
}

// Test names and messages show the description, not the bytes.
void PrintTo(const Operation& param, std::ostream* out) {
    *out << param.name;
}

INSTANTIATE_TEST_SUITE_P(Operations, FaultSweep, ::testing::ValuesIn(kOperations),
                         [](const ::testing::TestParamInfo<Operation>& param) {
                             return TestNameOf(param.param.name);
                         });

} // namespace
