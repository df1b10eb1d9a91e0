// SPDX-License-Identifier: GPL-3.0-or-later
// Runs alone in its program: it needs the process-wide hive to be created in its own folder.
#include "platform/SettingsHive.h"
#include "skin/Language.h"
#include "support/ScopedEnv.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

TEST(CurrentLanguage, IsDecidedOnceAndStoredInTheUsersHive) {
    TempDir dir;
    const ScopedEnv config("XDG_CONFIG_HOME", (dir / "config").string());
    const ScopedEnv all("LC_ALL", std::nullopt);
    const ScopedEnv messages("LC_MESSAGES", std::nullopt);
    const ScopedEnv lang("LANG", "en_US.UTF-8");

    EXPECT_EQ(CurrentLanguageId(), 0x0409);
    EXPECT_EQ(CurrentLanguageIndex(), 2);
    const auto file = dir / "config" / "Halvex  KB01" / "registry.ini";
    ASSERT_EQ(SettingsHive::Instance().File(), file);
    EXPECT_EQ(SettingsHive(file).ReadDword(kAppRegistryKey, kLanguageIdValue), 0x0409u);

    // A later change of the stored choice waits for the next run.
    ASSERT_TRUE(SettingsHive::Instance().WriteDword(kAppRegistryKey, kLanguageIdValue, 0x0416));
    EXPECT_EQ(CurrentLanguageId(), 0x0409);
    EXPECT_EQ(CurrentLanguageIndex(), 2);
}

TEST(CurrentLanguage, AChoiceMadeWhileRunningIsUsedAtOnceAndStoresNothing) {
    TempDir dir;
    const ScopedEnv config("XDG_CONFIG_HOME", (dir / "config").string());
    const ScopedEnv all("LC_ALL", std::nullopt);
    const ScopedEnv messages("LC_MESSAGES", std::nullopt);
    const ScopedEnv lang("LANG", "en_US.UTF-8");

    // Made before the first question, it is the answer; the system's is neither asked nor
    // stored.
    SetCurrentLanguageId(0x0416);
    EXPECT_EQ(CurrentLanguageId(), 0x0416);
    EXPECT_EQ(CurrentLanguageIndex(), 0);
    EXPECT_EQ(SettingsHive::Instance().ReadDword(kAppRegistryKey, kLanguageIdValue), std::nullopt);

    SetCurrentLanguageId(0x0409);
    EXPECT_EQ(CurrentLanguageIndex(), 2);
}
