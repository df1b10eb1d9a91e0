// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// kestrowctl's command-line parser with its error message optional, as the tests call it.

#include "tools/kestrowctl/CommandLine.h"

#include <string>
#include <utility>
#include <vector>

inline bool Parse(std::vector<std::string> args, CtlOptions& options,
                  std::string* error = nullptr) {
    std::string message;
    const bool ok = ParseCtlCommandLine(std::move(args), options, message);
    if (error != nullptr) {
        *error = message;
    }
    return ok;
}
