// SPDX-License-Identifier: GPL-3.0-or-later
#include "model/KeyCodeTables.h"
#include "platform/UserFolders.h"
#include "support/ScopedEnv.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>
#include <memory>
#include <vector>

namespace {

// One language setting for the whole program: the language in use may be fixed once asked.
class KeyName : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        dir_ = std::make_unique<TempDir>();
        for (const char* name : {"XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_STATE_HOME"}) {
            env_.push_back(std::make_unique<ScopedEnv>(name, dir_->path().string()));
        }
        env_.push_back(std::make_unique<ScopedEnv>("LC_ALL", "pt_BR.UTF-8"));
        SetProgramFolder(dir_->path());
        dir_->write("Lang0416.ini", "[TEXT]\n"
                                    "UNKNOWN_KEY=Tecla desconhecida (%d)\n"
                                    "IDS_KEYBOARD_A=A\n"
                                    "IDS_KEYBOARD_B=\n"
                                    "IDS_KEYBOARD_SPACE=Espa\xC3\xA7o\n"
                                    "IDS_KEYBOARD_ESC=x\xF0\x9F\x98\x80y\n"
                                    "IDS_KEYBOARD_RSHIFT=Shift direito\n");
    }
    static void TearDownTestSuite() {
        env_.clear();
        dir_.reset();
    }

    static inline std::unique_ptr<TempDir> dir_;
    static inline std::vector<std::unique_ptr<ScopedEnv>> env_;
};

} // namespace

TEST_F(KeyName, ComesFromTheLanguageFile) {
    EXPECT_EQ(KeyNameFromCode(0x01E), "A");
    EXPECT_EQ(KeyNameFromCode(0x136), "Shift direito");
    EXPECT_EQ(KeyNameFromCode(0x02E), "#Error"); // name key missing from the file
}

TEST_F(KeyName, WithoutANameTheUnknownKeyTextCarriesTheCode) {
    EXPECT_EQ(KeyNameFromCode(0x064), "Tecla desconhecida (100)"); // F13 has no name key
    EXPECT_EQ(KeyNameFromCode(0x030), "Tecla desconhecida (48)");  // empty text in the file
    EXPECT_EQ(KeyNameFromCode(0x09D), "Tecla desconhecida (157)"); // no row: not Right Ctrl
    EXPECT_EQ(KeyNameFromCode(0x200), "Tecla desconhecida (512)"); // G-key code
}

TEST_F(KeyName, IsCutToTheBufferInUtf16Units) {
    EXPECT_EQ(KeyNameFromCode(0x039, 7), "Espa\xC3\xA7o"); // six units and the terminator
    EXPECT_EQ(KeyNameFromCode(0x039, 6), "Espa\xC3\xA7");
    EXPECT_EQ(KeyNameFromCode(0x039, 5), "Espa");
    // The emoji takes two units and is never split.
    EXPECT_EQ(KeyNameFromCode(0x001, 4), "x\xF0\x9F\x98\x80");
    EXPECT_EQ(KeyNameFromCode(0x001, 3), "x");
    EXPECT_EQ(KeyNameFromCode(0x064, 6), "Tecla");
    EXPECT_EQ(KeyNameFromCode(0x01E, 1), "");
    EXPECT_EQ(KeyNameFromCode(0x01E, 0), "");
}

TEST_F(KeyName, FromPositionHasNoUnknownKeyFallback) {
    EXPECT_EQ(KeyNameFromPosition(0), "A");
    EXPECT_EQ(KeyNameFromPosition(103), "Shift direito");
    EXPECT_EQ(KeyNameFromPosition(1), ""); // B: empty text
    EXPECT_EQ(KeyNameFromPosition(2), "#Error");
    EXPECT_EQ(KeyNameFromPosition(106), "");
    EXPECT_EQ(KeyNameFromPosition(-1), "");
    EXPECT_EQ(KeyNameFromPosition(kNoListPosition), "");
}
