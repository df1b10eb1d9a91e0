// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// One offscreen application for a whole benchmark run, with private user folders and the
// program's data from the build.

#include "platform/UserFolders.h"

#include <QApplication>
#include <QTemporaryDir>
#include <cstdlib>

// Once per process; later calls do nothing. KESTROW_BIN_DIR names the build's program folder.
inline void QtBenchEnvironment(const char* programName) {
    static bool done = false;
    if (done) {
        return;
    }
    done = true;
    static QTemporaryDir home;
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    setenv("XDG_DATA_HOME", qPrintable(home.path() + "/data"), 1);
    setenv("XDG_CONFIG_HOME", qPrintable(home.path() + "/config"), 1);
    setenv("XDG_RUNTIME_DIR", qPrintable(home.path()), 1);
    static int argc = 1;
    static char* argv[] = {const_cast<char*>(programName), nullptr};
    static QApplication app(argc, argv);
    SetProgramFolder(KESTROW_BIN_DIR);
}
