#pragma once

// Shared by the model tests: a private program folder with a small language file and private
// user folders, and the factory key table the keyboard starts with.

#include "model/KeyTableCodec.h"
#include "model/ProfileStore.h"
#include "platform/UserFolders.h"
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

// The factory table a keyboard has before one is read: positions 0-62 as listed, the rest
// 00 00 00, KeyTableLength 378.
inline std::vector<uint8_t> BuiltInDefaultTable(size_t length = 378) {
    std::vector<uint8_t> t(length, 0);
    auto put = [&](int pos, uint8_t b0, uint8_t b1, uint8_t b2) {
        t[3 * pos] = b0;
        t[3 * pos + 1] = b1;
        t[3 * pos + 2] = b2;
    };
    for (int p = 0; p <= 5; ++p) {
        put(p, 5, 0, 0);
    }
    const int rows[][7] = {{0x29, 0x35, 0x2B, 0x39, -2, -1, -100},
                           {0x3A, 0x1E, 0x14, 0x04, 0x1D, -8, -100},
                           {0x3B, 0x1F, 0x1A, 0x16, 0x1B, -4, -100},
                           {0x3C, 0x20, 0x08, 0x07, 0x06, 0x2C, 0x46},
                           {0x3D, 0x21, 0x15, 0x09, 0x19, -0x40, 0x47},
                           {0x3E, 0x22, 0x17, 0x0A, 0x05, -1000, 0x2E},
                           {0x3F, 0x23, 0x1C, 0x0B, 0x11, 0x65, 0x48}};
    for (int r = 0; r < 7; ++r) {
        for (int c = 0; c < 7; ++c) {
            const int v = rows[r][c];
            const int pos = 8 + 8 * r + c;
            if (v == -100) {
                continue;
            } else if (v == -1000) {
                put(pos, 5, 2, 2);
            } else if (v < 0) {
                put(pos, 2, 1, static_cast<uint8_t>(-v));
            } else {
                put(pos, 2, 2, static_cast<uint8_t>(v));
            }
        }
    }
    return t;
}
