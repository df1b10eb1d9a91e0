// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// When the environment variable KESTROW_REPORT_READY names a file, the program appends one line
// there for each step of its life that scripts and whole-program tests wait for:
//   ready ms=<milliseconds since the process started> pid=<pid>   the main window is initialised
//   language id=0x0409                                             the language of its texts,
//                                                                 after "ready" and after each
//                                                                 relabelling
//   received message=0x5350 wparam=0x4F50454E window=1 lparam=0x0  a request of a later start,
//                                                                 handed to the tagged main
//                                                                 window (window=0: none yet)
//   shown                                                          the main window was shown
//   minimized                                                      the main window was
//                                                                 minimized where it would
//                                                                 hide (no notification area)
//   closed                                                         the main window has ended
// Without the variable nothing is written.

#include <string>

inline constexpr const char* kReportEnvironmentVariable = "KESTROW_REPORT_READY";

void ReportLine(const std::string& line);

// Milliseconds since this process was started (by the kernel's clock, 10 ms steps); -1 when
// unknown.
long MillisecondsSinceProcessStart();
