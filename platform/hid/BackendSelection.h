// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Choosing the process's HID backend at start-up: the hidraw backend, or the simulated keyboard
// when the program was started with --simulate[=STATEFILE] (and optionally --model).
//
// Command-line forms recognised (programs parse the rest of their arguments themselves):
//   --simulate              a simulated keyboard in memory only
//   --simulate=STATEFILE    its memory kept in STATEFILE (loaded if it exists, saved after
//                           every change)
//   --model VID:PID, --model=VID:PID
//                           0c45:5004 (default) or 320f:5000, hex digits in any case;
//                           only together with --simulate

#include "platform/hid/sim/SimulatedKeyboard.h"

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <vector>

struct SimulationOptions {
    bool simulate = false;
    std::string stateFile;                 // empty: memory only
    std::optional<SimKeyboardModel> model; // nullopt: from the state file, else 0c45:5004
};

enum class SimArgResult {
    NotOurs,  // args[index] is none of our options; index unchanged
    Consumed, // recognised; index advanced past it (and past a separate --model value)
    Invalid,  // ours but malformed (unknown model, missing value, empty file name); see error
};

// Looks at args[index] (args[0] being the program name is the caller's business).
SimArgResult TakeSimulationArgument(const std::vector<std::string>& args, size_t& index,
                                    SimulationOptions& options, std::string& error);

// Takes our options out of `args`, leaving every other argument in order. False with `error`
// set on the first malformed one (args then unchanged).
bool ExtractSimulationOptions(std::vector<std::string>& args, SimulationOptions& options,
                              std::string& error);

// Installs the backend for the whole process (SetCurrentHidBackend). Without `simulate` the
// hidraw backend stays and the result is true (a --model without --simulate is an error).
// With a state file: loaded when it exists, created otherwise; a state file of the other model
// than --model asks for, or a damaged one, is an error and nothing is installed. `error` gets a
// sentence for the user. The installed keyboard returns from boot mode by itself after 5 s,
// as a keyboard does once its update program has finished.
bool SelectHidBackend(const SimulationOptions& options, std::string& error);

// The simulated keyboard SelectHidBackend installed; nullptr when none.
std::shared_ptr<SimulatedKeyboard> InstalledSimulatedKeyboard();
