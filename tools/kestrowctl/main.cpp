// SPDX-License-Identifier: GPL-3.0-or-later
// kestrowctl: the keyboard from the command line, over the same device and model code as the
// main window.

#include "platform/SettingsHive.h"
#include "skin/Language.h"
#include "tools/kestrowctl/CommandLine.h"
#include "tools/kestrowctl/CtlCommands.h"
#include "tools/kestrowctl/ExitCodes.h"
#include "tools/kestrowctl/TerminalSink.h"

#include <cstdio>
#include <string>
#include <vector>

int main(int argc, char** argv) {
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i) {
        args.emplace_back(argv[i]);
    }
    CtlOptions options;
    std::string error;
    if (!ParseCtlCommandLine(args, options, error)) {
        std::fprintf(stderr, "kestrowctl: %s\nTry 'kestrowctl --help'.\n", error.c_str());
        return kExitUsage;
    }
    if (options.help) {
        std::fputs(CtlUsageText(), stdout);
        return kExitOk;
    }
    if (options.version) {
        std::fputs(CtlVersionText(), stdout);
        return kExitOk;
    }
    // The window's language (kestrow --language), LC_ALL, LC_MESSAGES or LANG while none is
    // chosen; the first-run choice is the window's to store, not ours.
    SetCurrentLanguageId(PeekLanguageId(SettingsHive::Instance()));
    TerminalSink sink(options.yes);
    const int code = RunCtlCommand(options, sink);
    // A listing that did not reach its file (a full disk, a closed pipe) is no success.
    if (std::fflush(stdout) != 0 || std::ferror(stdout) != 0) {
        sink.Note("the output could not be written");
        return code == kExitOk ? kExitFailed : code;
    }
    return code;
}
