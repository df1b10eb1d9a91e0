// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// A private home for kestrowctl runs with a simulated keyboard kept in a state file there.

#include "platform/hid/sim/SimStateFile.h"
#include "support/KestrowctlRun.h"
#include "support/TempDir.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <vector>

class KestrowctlFixture : public ::testing::Test {
protected:
    // kestrowctl on the simulated keyboard of the state file.
    CtlRun Ctl(std::vector<std::string> args) {
        args.insert(args.begin(), "--simulate=" + state.string());
        return RunKestrowctl(args, home.path());
    }
    // kestrowctl as given, without the simulated keyboard.
    CtlRun Tool(const std::vector<std::string>& args) { return RunKestrowctl(args, home.path()); }
    // What the simulated keyboard holds now.
    SimKeyboardMemory Memory() {
        SimKeyboardMemory memory;
        EXPECT_EQ(LoadSimStateFile(state, memory), SimStateError::None);
        return memory;
    }

    TempDir home;
    std::filesystem::path state = home / "keyboard.state";
};
