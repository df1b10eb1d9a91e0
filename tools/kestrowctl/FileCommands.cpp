// SPDX-License-Identifier: GPL-3.0-or-later
#include "model/ProfileFile.h"
#include "tools/kestrowctl/ConfigurationAccess.h"
#include "tools/kestrowctl/CtlCommands.h"
#include "tools/kestrowctl/ExitCodes.h"
#include "tools/kestrowctl/JsonText.h"
#include "tools/kestrowctl/ProfileDump.h"
#include "tools/kestrowctl/TerminalSink.h"

#include <cstdio>
#include <fstream>
#include <iterator>
#include <system_error>

namespace {

std::string_view CheckResultName(int result) {
    switch (result) {
    case kProfileFileValid:
        return "valid";
    case kProfileFileCannotOpen:
        return "cannot-open";
    case kProfileFileNoMemory:
        return "no-memory";
    default:
        return "invalid";
    }
}

} // namespace

bool CheckFileForUser(const std::filesystem::path& path, TerminalSink& sink, int& result) {
    const size_t reported = sink.ShownCount("PROFILE_FORMAT_ERROR");
    result = CheckProfileFile(path, &sink);
    if (result == kProfileFileValid) {
        return true;
    }
    std::error_code ec;
    if (!std::filesystem::exists(path, ec)) {
        sink.Note(path.string() + ": no such file");
    } else if (result == kProfileFileCannotOpen) {
        sink.Note(path.string() + ": cannot be opened for reading and writing");
    } else if (result == kProfileFileNoMemory) {
        sink.Note(path.string() + ": not enough memory to read it");
    } else if (sink.ShownCount("PROFILE_FORMAT_ERROR") == reported) {
        // Too small, too large or a folder: the check says 0 without a word.
        sink.ShowPathText("PROFILE_FORMAT_ERROR", path);
    }
    return false;
}

int RunCheck(const CtlOptions& options, TerminalSink& sink) {
    int result = 0;
    const bool valid = CheckFileForUser(options.file, sink, result);
    if (options.json) {
        std::printf("{\"file\":%s,\"result\":%d,\"status\":\"%s\",\"valid\":%s}\n",
                    JsonString(options.file).c_str(), result,
                    std::string(CheckResultName(result)).c_str(), valid ? "true" : "false");
    } else if (valid) {
        std::printf("%s: valid profile file\n", options.file.c_str());
    }
    return valid ? kExitOk : kExitFailed;
}

bool ReadProfileFileForUser(const std::string& path, TerminalSink& sink, ProfileStore& store) {
    int result = 0;
    if (!CheckFileForUser(path, sink, result)) {
        return false;
    }
    std::ifstream in(path, std::ios::binary);
    const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    if (!in.good() && !in.eof()) {
        sink.Note(path + ": read error");
        return false;
    }
    if (!ParseProfileFileImage(bytes, store)) {
        // Valid header, but shorter than it says: the check does not compare the length.
        sink.Note(path + ": the file is shorter than its header says");
        return false;
    }
    return true;
}

int RunDump(const CtlOptions& options, TerminalSink& sink) {
    auto store = std::make_unique<ProfileStore>();
    if (!ReadProfileFileForUser(options.file, sink, *store)) {
        return kExitFailed;
    }
    const std::string listing =
        options.json ? ProfileListingJson(*store) : ProfileListingText(*store);
    std::fputs(listing.c_str(), stdout);
    return kExitOk;
}

int RunNew(const CtlOptions& options, TerminalSink& sink) {
    std::error_code ec;
    if (std::filesystem::exists(options.file, ec) &&
        !sink.AskPlain(options.file + " exists. Replace it with a default configuration?")) {
        sink.Note(options.file + " was left as it was");
        return kExitFailed;
    }
    if (!MakeDefaultStore(FollowLinks(options.file), 0, DefaultStoreTarget::File)) {
        sink.Note(options.file + ": cannot be written");
        return kExitFailed;
    }
    return kExitOk;
}
