// SPDX-License-Identifier: GPL-3.0-or-later
// kestrowctl's language: the choice the window stored, else the locale variables (the C locale
// giving English), and never a choice of its own stored for the window.

#include "platform/ProgramNames.h"
#include "platform/SettingsHive.h"
#include "platform/UserFolders.h"
#include "skin/Language.h"
#include "support/KestrowctlRun.h"
#include "support/TempDir.h"

#include <cstdlib>
#include <gtest/gtest.h>

namespace {

class KestrowctlLanguage : public testing::Test {
protected:
    void SetUp() override {
        const char* bin = std::getenv("KESTROW_BIN_DIR");
        ASSERT_NE(bin, nullptr);
        SetProgramFolder(bin);
        english_ = " " + ModeText("1", 2) + "\n";
        portuguese_ = " " + ModeText("1", 0) + "\n";
        ASSERT_NE(english_, portuguese_);
    }
    std::filesystem::path HiveFile() const {
        return home_ / "config" / "Halvex  KB01" / "registry.ini";
    }
    // The name `info` gives the first effect: which language it came in.
    std::string EffectLanguage(const std::vector<std::string>& locale) {
        const CtlRun run = RunKestrowctlInLocale({"--simulate", "info"}, home_.path(), locale);
        EXPECT_EQ(run.exitCode, 0) << run.err;
        const bool en = run.out.find(english_) != std::string::npos;
        const bool pt = run.out.find(portuguese_) != std::string::npos;
        return en == pt ? "unclear:\n" + run.out : (en ? "en" : "pt-BR");
    }

    TempDir home_;
    std::string english_;
    std::string portuguese_;
};

} // namespace

TEST_F(KestrowctlLanguage, WithNothingStoredTheLocaleDecidesAndNothingIsStored) {
    EXPECT_EQ(EffectLanguage({"LANG=C"}), "en");
    EXPECT_EQ(EffectLanguage({"LANG=C.UTF-8"}), "en");
    EXPECT_EQ(EffectLanguage({}), "en"); // no locale variable at all is the C locale
    EXPECT_EQ(EffectLanguage({"LANG=pt_BR.UTF-8"}), "pt-BR");
    EXPECT_EQ(EffectLanguage({"LANG=C", "LC_MESSAGES=pt_BR.UTF-8"}), "pt-BR");
    EXPECT_EQ(EffectLanguage({"LANG=de_DE.UTF-8"}), "pt-BR"); // unsupported: the fallback
    EXPECT_FALSE(std::filesystem::exists(HiveFile()));
}

TEST_F(KestrowctlLanguage, TheStoredChoiceOutranksTheLocale) {
    SettingsHive hive(HiveFile());
    ASSERT_TRUE(StoreLanguageId(hive, 0x0416));
    EXPECT_EQ(EffectLanguage({"LANG=C"}), "pt-BR");
    EXPECT_EQ(EffectLanguage({"LANG=en_US.UTF-8"}), "pt-BR");
    ASSERT_TRUE(StoreLanguageId(hive, 0x0409));
    EXPECT_EQ(EffectLanguage({"LANG=pt_BR.UTF-8"}), "en");
}
