// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/kestrowctl/ConfigurationAccess.h"

#include "device/DeviceState.h"
#include "model/KeyboardTransfer.h"
#include "model/ProfileFile.h"
#include "model/ProfileStore.h"
#include "tools/kestrowctl/CtlCommands.h"
#include "tools/kestrowctl/ExitCodes.h"
#include "tools/kestrowctl/TerminalSink.h"

namespace {
constexpr int kMostLinksFollowed = 40; // as the kernel's own limit
} // namespace

std::filesystem::path FollowLinks(std::filesystem::path path) {
    std::error_code error;
    for (int i = 0; i < kMostLinksFollowed && std::filesystem::is_symlink(path, error); ++i) {
        const std::filesystem::path target = std::filesystem::read_symlink(path, error);
        if (error) {
            break;
        }
        path = target.is_absolute() ? target : path.parent_path() / target;
    }
    return path;
}

ConfigurationAccess::ConfigurationAccess(const CtlOptions& options, TerminalSink& sink)
    : options_(options), sink_(sink) {}

ConfigurationAccess::~ConfigurationAccess() = default;

int ConfigurationAccess::Open() {
    ProfileStore& working = WorkingStore();
    if (!OnKeyboard()) {
        int result = 0;
        if (!CheckFileForUser(options_.file, sink_, result)) {
            return kExitFailed;
        }
        std::lock_guard lock(working.lock);
        ClearWorkingStore();
        if (!LoadProfileFile(options_.file)) {
            sink_.Note(options_.file + ": cannot be read, or is shorter than its header says");
            return kExitFailed;
        }
        return kExitOk;
    }
    if (!ChooseBackend(options_, sink_)) {
        return kExitFailed;
    }
    connection_ = std::make_unique<KeyboardConnection>(sink_);
    if (!connection_->Connect()) {
        sink_.ShowText("MAIN_NO_DEVICE_PROMPT", std::nullopt);
        return kExitNoKeyboard;
    }
    std::string image;
    if (!ReadKeyboardImage(image)) {
        sink_.Note("the keyboard's configuration could not be read");
        return kExitFailed;
    }
    std::lock_guard lock(working.lock);
    ClearWorkingStore();
    if (!ParseProfileFileImage(image, working)) {
        sink_.Note("the keyboard's configuration could not be read");
        return kExitFailed;
    }
    return kExitOk;
}

int ConfigurationAccess::Profile() const {
    if (options_.profile) {
        return *options_.profile;
    }
    return OnKeyboard() ? ActiveProfile() : 0;
}

unsigned ConfigurationAccess::Capacity() const {
    if (OnKeyboard()) {
        return DeviceState().MacroCapacity.load();
    }
    return options_.capacity.value_or(kDefaultFileMacroCapacity);
}

bool ConfigurationAccess::MacrosFit(std::span<const MacroRecord> macros) {
    const MacroAreaSize size = MacroAreaSizes(macros);
    const unsigned capacity = Capacity();
    const std::string holder =
        OnKeyboard() ? "the keyboard's macro memory holds " + std::to_string(capacity) + " bytes"
                     : "checked against " + std::to_string(capacity) + " bytes" +
                           (options_.capacity ? "" : " (--capacity BYTES checks another)");
    if (size.compact > capacity) {
        sink_.Note("the macros would need " + std::to_string(size.compact) + " bytes; " + holder +
                   "; nothing was written");
        return false;
    }
    // On the keyboard the write itself tells when it leaves the names out.
    if (size.full > capacity && !OnKeyboard()) {
        sink_.Note("with their names the macros need " + std::to_string(size.full) + " bytes; " +
                   holder + ", so their names would be left out on the keyboard");
    }
    return true;
}

int ConfigurationAccess::Save(ChangedTables tables) {
    ProfileStore& working = WorkingStore();
    std::lock_guard lock(working.lock);
    if (!OnKeyboard()) {
        if (!WriteProfileFile(StoreLock::HeldByCaller, FollowLinks(options_.file))) {
            sink_.Note(options_.file + ": cannot be written; it was left as it was");
            return kExitFailed;
        }
        return kExitOk;
    }
    const bool written = tables == ChangedTables::AllProfiles
                             ? WriteStoreToKeyboard(ProfilesToWrite::All, &sink_)
                             : WriteStoreProfileToKeyboard(Profile(), &sink_);
    if (!written) {
        sink_.Note("the keyboard did not take the change");
        return kExitFailed;
    }
    // The working file mirrors what the keyboard holds, as after the window's Apply.
    SaveWorkingFile(StoreLock::HeldByCaller);
    return kExitOk;
}
