// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Shared by the model tests: a private program folder with a small language file and private
// user folders, and the factory key table the keyboard starts with.

#include "model/KeyTableCodec.h"
#include "model/ProfileStore.h"
#include "platform/UserFolders.h"
#include "platform/hid/BuiltInKeyTable.h"
#include "support/ScopedEnv.h"
#include "support/TempDir.h"

#include <array>
#include <gtest/gtest.h>
#include <memory>
#include <vector>

class ModelEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        dir_ = std::make_unique<TempDir>();
        for (const char* name : {"XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_STATE_HOME"}) {
            env_.push_back(std::make_unique<ScopedEnv>(name, (dir_->path() / "user").string()));
        }
        env_.push_back(std::make_unique<ScopedEnv>("LC_ALL", "pt_BR.UTF-8"));
        SetProgramFolder(dir_->path() / "program");
        dir_->write("program/Lang0416.ini", "[TEXT]\n"
                                            "UNKNOWN_KEY=Unknown (%d)\n"
                                            "IDS_KEYBOARD_A=A\n"
                                            "IDS_KEYBOARD_B=B\n"
                                            "IDS_KEYBOARD_ESC=Esc\n"
                                            "MEDIA_MUTE_8=Mute\n"
                                            "KEY_PROMPT_SET=\" (set)\"\n"
                                            "KEY_PROMPT_SINGLE=: key (\n"
                                            "KEY_PROMPT_MACRO=: macro (\n"
                                            "KEY_PROMPT_MEDIA=: media (\n"
                                            "KEY_PROMPT_FUNCTION=: function (\n"
                                            "FUNC_KEY_DESC3=Copy\n"
                                            "MACRO_NEW_PREFIX=\"Macro \"\n"
                                            "PROFILE_FORMAT_ERROR=%s is no profile file\n");
        dir_->write("program/Skins/UserDengColor_3.userd", std::string("colour\0template", 15));
    }
    void TearDown() override {
        env_.clear();
        dir_.reset();
    }
    static std::filesystem::path UserFolder() { return UserDataFolder(); }

private:
    std::unique_ptr<TempDir> dir_;
    std::vector<std::unique_ptr<ScopedEnv>> env_;
};

// The factory table a keyboard has before one is read, KeyTableLength bytes of it.
inline std::vector<uint8_t> BuiltInDefaultTable(size_t length = 378) {
    return {kBuiltInDefaultKeyTable.begin(), kBuiltInDefaultKeyTable.begin() + length};
}
