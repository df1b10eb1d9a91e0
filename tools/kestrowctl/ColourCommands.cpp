// SPDX-License-Identifier: GPL-3.0-or-later
#include "device/DeviceState.h"
#include "device/Protocol.h"
#include "model/Lighting.h"
#include "model/UserColourFile.h"
#include "tools/kestrowctl/CtlCommands.h"
#include "tools/kestrowctl/ExitCodes.h"
#include "tools/kestrowctl/JsonText.h"
#include "tools/kestrowctl/TerminalSink.h"

#include <cstdio>
#include <string>

int ReadColourFileForUser(const CtlOptions& options, TerminalSink& sink, UserColourFile& file,
                          int& mode) {
    file = UserColourFile::Read(options.file);
    if (!file.Readable()) {
        sink.Note("cannot read the user colour file " + options.file);
        return kExitFailed;
    }
    mode = options.mode ? *options.mode : file.SelectedMode();
    // A file without the mode would give every key the default red: surely not what was meant.
    if (!file.HasMode(mode)) {
        sink.Note(options.file + " holds no colour mode " + std::to_string(mode));
        return kExitFailed;
    }
    return kExitOk;
}

int RunColours(const CtlOptions& options, TerminalSink& sink, const UserColourFile& file,
               int mode) {
    const int profile = *options.profile;
    DeviceState().CurrentProfile.store(profile);
    const int unusable = LoadModeColours(file, profile, mode);
    if (unusable < 0) {
        return kExitUsage;
    }
    if (unusable > 0) {
        sink.Note(std::to_string(unusable) +
                  " keys have no usable entry in the file and are sent red");
    }
    if (const int result = UploadKeyColours(); result != kCmdOk) {
        sink.Note("the keyboard did not take the colours (result " + std::to_string(result) + ")");
        return kExitFailed;
    }
    const std::string name = file.ModeName(mode);
    if (options.json) {
        std::printf("{\"profile\":%d,\"mode\":%d,\"name\":%s,\"defaultedKeys\":%d}\n", profile,
                    mode, JsonString(name).c_str(), unusable);
    } else {
        std::printf("Profile %d: colours of mode %d (%s) uploaded\n", profile, mode, name.c_str());
    }
    return kExitOk;
}
