// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The configuration that key and macro commands read and change: the keyboard's, read into
// the working store, or with --file a backup file's, with no keyboard involved.

#include "model/MacroRecord.h"
#include "tools/kestrowctl/CommandLine.h"
#include "tools/kestrowctl/KeyboardConnection.h"

#include <filesystem>
#include <memory>
#include <span>
#include <string>

class TerminalSink;

// Checked against when a file has no keyboard to ask: 32 units of 128 bytes.
inline constexpr unsigned kDefaultFileMacroCapacity = 4096;

// The file a path names, through any symbolic links: a configuration kept in dotfiles is often
// a link into a repository, and replacing the link by a new file would leave the repository's
// copy unchanged.
std::filesystem::path FollowLinks(std::filesystem::path path);

// Which key tables a change sends to the keyboard with the macro area.
enum class ChangedTables { OneProfile, AllProfiles };

class ConfigurationAccess {
public:
    ConfigurationAccess(const CtlOptions& options, TerminalSink& sink);
    ~ConfigurationAccess();
    ConfigurationAccess(const ConfigurationAccess&) = delete;
    ConfigurationAccess& operator=(const ConfigurationAccess&) = delete;

    // Finds the keyboard (unless --file) and loads the configuration into the working store.
    // An exit code.
    int Open();

    bool OnKeyboard() const { return options_.file.empty(); }
    // --profile, else the keyboard's active profile, else for a file profile 0; -1 when the
    // keyboard's cannot be read.
    int Profile() const;

    // Whether macros fit the macro area: the keyboard's capacity, or for a file --capacity or
    // the default. Says why not, and for a file warns when the names would not fit.
    bool MacrosFit(std::span<const MacroRecord> macros);

    // Writes the working store back: over the file, as one whole replacement, or to the
    // keyboard (the macro area and the key table of Profile(), or all three) and then over the
    // active profile's working file when there is one. An exit code.
    int Save(ChangedTables tables);

private:
    unsigned Capacity() const;

    const CtlOptions& options_;
    TerminalSink& sink_;
    std::unique_ptr<KeyboardConnection> connection_;
};
