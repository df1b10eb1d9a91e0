// SPDX-License-Identifier: GPL-3.0-or-later
#include "device/DeviceState.h"
#include "model/ProfileFolder.h"
#include "model/UserColourFile.h"
#include "platform/AtomicFile.h"
#include "platform/hid/BackendSelection.h"
#include "tools/kestrowctl/CtlCommands.h"
#include "tools/kestrowctl/ExitCodes.h"
#include "tools/kestrowctl/KeyboardConnection.h"
#include "tools/kestrowctl/TerminalSink.h"
#include "tools/kestrowctl/TraceBackend.h"

#include <cstdio>

bool ChooseBackend(const CtlOptions& options, TerminalSink& sink) {
    std::string error;
    if (!SelectHidBackend(options.simulation, error)) {
        sink.Note(error);
        return false;
    }
    if (options.trace) {
        std::shared_ptr<HidBackend> inner = InstalledSimulatedKeyboard();
        if (!options.simulation.simulate || inner == nullptr) {
            // Replaced backends stay alive until exit, so a non-owning pointer is safe.
            inner =
                std::shared_ptr<HidBackend>(std::shared_ptr<HidBackend>(), &CurrentHidBackend());
        }
        SetCurrentHidBackend(std::make_shared<TraceHidBackend>(inner, stderr));
    }
    return true;
}

int RunCtlCommand(const CtlOptions& options, TerminalSink& sink) {
    // What an earlier run killed while writing left behind: beside the working files and
    // beside the file this command reads or writes.
    RemoveStaleProfileFolderTemporaries();
    if (!options.file.empty()) {
        RemoveStaleTemporaries(options.file);
    }
    switch (options.command) {
    case CtlCommand::Check:
        return RunCheck(options, sink);
    case CtlCommand::Dump:
        return RunDump(options, sink);
    case CtlCommand::Keys:
        return RunKeys(options);
    case CtlCommand::New:
        return RunNew(options, sink);
    case CtlCommand::Diff:
        return RunDiff(options, sink);
    // They find the keyboard themselves, unless they work on a file.
    case CtlCommand::Key:
        return RunKey(options, sink);
    case CtlCommand::Macro:
        return RunMacro(options, sink);
    default:
        break;
    }
    UserColourFile colourFile = UserColourFile::FromBytes(std::nullopt);
    int colourMode = 0;
    if (options.command == CtlCommand::Colours) {
        if (const int code = ReadColourFileForUser(options, sink, colourFile, colourMode);
            code != kExitOk) {
            return code;
        }
    }
    if (!ChooseBackend(options, sink)) {
        return kExitFailed;
    }
    if (options.command == CtlCommand::List) {
        return RunList(options, sink);
    }

    KeyboardConnection connection(sink);
    if (!connection.Connect()) {
        sink.ShowText("MAIN_NO_DEVICE_PROMPT", std::nullopt);
        return kExitNoKeyboard;
    }
    switch (options.command) {
    case CtlCommand::Info:
        return RunInfo(options, sink);
    case CtlCommand::Profile:
        return RunProfile(options, sink);
    case CtlCommand::Backup:
        return RunBackup(options, sink);
    case CtlCommand::Restore:
        return RunRestore(options, sink);
    case CtlCommand::Light:
        return RunLight(options, sink);
    case CtlCommand::Colours:
        return RunColours(options, sink, colourFile, colourMode);
    case CtlCommand::Boot:
        return RunBoot(options, sink);
    default:
        return kExitUsage;
    }
}
