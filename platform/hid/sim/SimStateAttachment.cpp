// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/AtomicFile.h"
#include "platform/hid/sim/SimKeyboardCore.h"

#include <sys/stat.h>

// The state file a simulated keyboard keeps its memory in, shared with other processes.

std::optional<SimFileIdentity> SimFileIdentityOf(const std::filesystem::path& file) {
    struct stat st {};
    if (::stat(file.c_str(), &st) != 0) {
        return std::nullopt;
    }
    return SimFileIdentity{st.st_dev, st.st_ino, static_cast<long long>(st.st_mtim.tv_sec),
                           static_cast<long long>(st.st_mtim.tv_nsec), st.st_size};
}

void SimulatedKeyboard::Core::MemoryChanged() {
    if (!stateFile) {
        return;
    }
    if (session) {
        unsaved = true;
        return;
    }
    Save();
}

void SimulatedKeyboard::Core::Save() {
    unsaved = false;
    lastSaveError = SaveSimStateFile(*stateFile, memory);
    stateIdentity = SimFileIdentityOf(*stateFile);
}

void SimulatedKeyboard::Core::EndSession() {
    session = false;
    if (unsaved && stateFile) {
        Save();
    }
    unsaved = false;
}

void SimulatedKeyboard::Core::TakeUpStateFile() {
    if (!stateFile || unsaved) {
        return; // our open session wins: it is saved when it ends
    }
    const std::optional<SimFileIdentity> identity = SimFileIdentityOf(*stateFile);
    if (!identity || identity == stateIdentity) {
        return;
    }
    stateIdentity = identity;
    SimKeyboardMemory loaded;
    if (LoadSimStateFile(*stateFile, loaded) != SimStateError::None || loaded.model != model) {
        return; // keep ours; the next change writes a sound file again
    }
    const bool profileChanged =
        loaded.infoBlock[kSimActiveProfileByte] != memory.infoBlock[kSimActiveProfileByte];
    const bool lightChanged = loaded.lightArea != memory.lightArea;
    memory = std::move(loaded);
    if (Present()) {
        if (profileChanged) {
            Notice(kSimNoticeProfileChanged);
            Notice(kSimNoticeReleased);
        }
        if (lightChanged) {
            Notice(kSimNoticeLightingChanged);
            Notice(kSimNoticeReleased);
        }
    }
}

SimStateError SimulatedKeyboard::LoadState(const std::filesystem::path& file) {
    SimKeyboardMemory loaded;
    const SimStateError error = LoadSimStateFile(file, loaded);
    if (error != SimStateError::None) {
        return error;
    }
    std::lock_guard lock(core_->mutex);
    if (loaded.model != core_->model) {
        return SimStateError::WrongModel;
    }
    core_->memory = std::move(loaded);
    core_->MemoryChanged();
    return SimStateError::None;
}

SimStateError SimulatedKeyboard::SaveState(const std::filesystem::path& file) const {
    return SaveSimStateFile(file, Memory());
}

SimStateError SimulatedKeyboard::AttachStateFile(const std::filesystem::path& file) {
    std::lock_guard lock(core_->mutex);
    if (core_->unsaved) {
        core_->Save();
    }
    core_->stateFile.reset();
    core_->stateIdentity.reset();
    // A run killed while it saved the file may have left its temporary file behind.
    RemoveStaleTemporaries(file);
    std::error_code ec;
    const bool exists = std::filesystem::exists(file, ec);
    if (ec) {
        return SimStateError::CannotRead;
    }
    if (exists) {
        SimKeyboardMemory loaded;
        const SimStateError error = LoadSimStateFile(file, loaded);
        if (error != SimStateError::None) {
            return error;
        }
        if (loaded.model != core_->model) {
            return SimStateError::WrongModel;
        }
        core_->memory = std::move(loaded);
    } else if (const SimStateError error = SaveSimStateFile(file, core_->memory);
               error != SimStateError::None) {
        return error;
    }
    core_->stateFile = file;
    core_->stateIdentity = SimFileIdentityOf(file);
    core_->lastSaveError = SimStateError::None;
    core_->unsaved = false;
    return SimStateError::None;
}

void SimulatedKeyboard::DetachStateFile() {
    std::lock_guard lock(core_->mutex);
    if (core_->unsaved) {
        core_->Save();
    }
    core_->stateFile.reset();
    core_->stateIdentity.reset();
}

SimStateError SimulatedKeyboard::LastSaveError() const {
    std::lock_guard lock(core_->mutex);
    return core_->lastSaveError;
}
