// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// What the fault sweep runs its operations in: a simulated keyboard holding a configuration of
// three profiles with macros, the user's folders with the working files and colour files, a
// profile file to restore, an old backup to overwrite and a colour file to upload. Reset puts
// all of it back as it was before the first run; Recover only clears the faults and brings the
// keyboard back.

#include "model/UserColourFile.h"
#include "platform/hid/sim/SimulatedKeyboard.h"
#include "support/ScopedEnv.h"
#include "support/TempDir.h"
#include "tools/kestrowctl/CommandLine.h"
#include "tools/kestrowctl/TerminalSink.h"

#include <cstdio>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

class FaultSweepWorld {
public:
    // The profile that `profile` and the model's switch make active (the keyboard starts on 0).
    static constexpr int kCtlProfileTarget = 2;
    static constexpr int kSwitchTarget = 1;

    // The keyboard's memory and every file below the home folder (the program folder aside).
    struct State {
        SimKeyboardMemory keyboard;
        std::map<std::string, std::string> files;
        bool operator==(const State&) const = default;
    };

    FaultSweepWorld();
    ~FaultSweepWorld();
    FaultSweepWorld(const FaultSweepWorld&) = delete;
    FaultSweepWorld& operator=(const FaultSweepWorld&) = delete;

    bool Ready() const { return ready_; }
    // The keyboard's memory and the files as at the start, no fault armed, the keyboard connected
    // as an arrival leaves it, the working store loaded from the active profile's working file.
    void Reset();
    // The faults cleared and, when it was unplugged, the keyboard plugged in and connected again
    // as the presence thread would; nothing else is put back.
    void Recover();

    State Capture() const;
    // The names of the files that differ between now and reference.
    std::string ChangedFiles(const State& now, const State& reference) const;
    std::string ChangedFiles(const State& now) const { return ChangedFiles(now, initial); }

    // kestrowctl's options for command on this world's files.
    CtlOptions Options(CtlCommand command) const;
    TerminalSink& Sink() { return *sink_; }
    // Runs an operation with its standard output (kestrowctl's results) kept for LastStdout.
    bool RunCapturingStdout(const std::function<bool()>& operation);
    const std::string& LastStdout() const { return stdout_; }
    // What the sink has written since the last Reset or Recover.
    std::string Notes();

    // The edits the model's Apply sends: a key and a G-key of the active profile reassigned and
    // a macro added.
    void EditWorkingStore();
    // The window's Apply, below the window: the working file saved and the store written to the
    // keyboard. True when both succeeded.
    bool Apply();

    std::shared_ptr<SimulatedKeyboard> keyboard;
    State initial;

private:
    void NewSink();
    bool Build();

    TempDir home_;
    std::vector<std::unique_ptr<ScopedEnv>> env_;
    std::filesystem::path restoreFile_;
    std::filesystem::path backupFile_;
    std::filesystem::path coloursFile_;
    std::FILE* input_ = nullptr;
    std::FILE* notes_ = nullptr;
    std::unique_ptr<TerminalSink> sink_;
    std::string stdout_;
    bool ready_ = false;
};
