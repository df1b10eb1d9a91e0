// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Runs the built kestrowctl as a child process with a private environment.

#include <filesystem>
#include <string>
#include <vector>

struct CtlRun {
    int exitCode = -1;
    std::string out;
    std::string err;
};

// XDG folders below home, English texts, standard input not a terminal (/dev/null).
// stdoutFile: where standard output goes instead of the captured pipe (empty: captured).
CtlRun RunKestrowctl(const std::vector<std::string>& args, const std::filesystem::path& home,
                     const std::string& stdoutFile = {});
// The same with the locale variables as given ("LANG=C", ...) in place of the English one.
CtlRun RunKestrowctlInLocale(const std::vector<std::string>& args,
                             const std::filesystem::path& home,
                             const std::vector<std::string>& locale);
// English texts and further NAME=VALUE entries.
CtlRun RunKestrowctlWith(const std::vector<std::string>& args, const std::filesystem::path& home,
                         const std::vector<std::string>& environment);

// The '>' or '<' lines of a --trace output as 64-byte frames; other lines are skipped.
struct TracedFrame {
    char direction;
    std::vector<unsigned char> bytes;
};
std::vector<TracedFrame> TracedFrames(const std::string& err);
// The requests of a --trace output, as (command, length, offset, first payload byte).
struct TracedRequest {
    int command, length, offset, first;
};
std::vector<TracedRequest> TracedRequests(const std::string& err);
