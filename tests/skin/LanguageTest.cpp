// SPDX-License-Identifier: GPL-3.0-or-later
#include "skin/Language.h"

#include "platform/SettingsHive.h"
#include "platform/UserFolders.h"
#include "support/ScopedEnv.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>
#include <memory>

namespace {

// The locale variables as given; the others unset.
class Locale {
public:
    Locale(std::optional<std::string> all, std::optional<std::string> messages,
           std::optional<std::string> lang)
        : all_("LC_ALL", std::move(all)), messages_("LC_MESSAGES", std::move(messages)),
          lang_("LANG", std::move(lang)) {}

private:
    ScopedEnv all_, messages_, lang_;
};

class LanguageChoice : public testing::Test {
protected:
    SettingsHive& Hive() { return *hive_; }
    std::optional<uint32_t> Stored() { return hive_->ReadDword(kAppRegistryKey, kLanguageIdValue); }
    // A new hive object on the same file, as the next run would see it.
    std::optional<uint32_t> StoredOnDisk() {
        return SettingsHive(hive_->File()).ReadDword(kAppRegistryKey, kLanguageIdValue);
    }

    TempDir dir_;
    std::unique_ptr<SettingsHive> hive_ = std::make_unique<SettingsHive>(dir_ / "registry.ini");
};

} // namespace

TEST(Language, SystemDefaultFromTheLocaleVariables) {
    struct Case {
        std::optional<std::string> all, messages, lang;
        uint16_t expected;
    };
    const Case cases[] = {
        {std::nullopt, std::nullopt, "pt_BR.UTF-8", 0x0416},
        {std::nullopt, std::nullopt, "pt_PT@euro", 0x0816},
        {std::nullopt, std::nullopt, "en_GB.utf8", 0x0409},
        {std::nullopt, std::nullopt, "en", 0x0409},
        {std::nullopt, std::nullopt, "EN_us", 0x0409},
        {std::nullopt, std::nullopt, "de_DE.UTF-8", 0},
        {std::nullopt, std::nullopt, "pt", 0},
        // The C locale's messages are English, and no variable at all is the C locale.
        {std::nullopt, std::nullopt, "C", 0x0409},
        {std::nullopt, std::nullopt, "POSIX", 0x0409},
        {std::nullopt, std::nullopt, "C.UTF-8", 0x0409},
        {std::nullopt, std::nullopt, std::nullopt, 0x0409},
        {"en_US.UTF-8", "pt_BR", "pt_PT", 0x0409}, // LC_ALL first
        {std::nullopt, "pt_PT", "en_US", 0x0816},  // then LC_MESSAGES
        {"", "", "pt_BR", 0x0416},                 // empty counts as not set
        {"de_DE.UTF-8", std::nullopt, "en_US", 0}, // a set variable decides, known or not
        {"C", std::nullopt, "pt_BR.UTF-8", 0x0409},
    };
    for (const Case& c : cases) {
        const Locale locale(c.all, c.messages, c.lang);
        EXPECT_EQ(SystemDefaultLanguageId(), c.expected)
            << c.all.value_or("-") << " " << c.messages.value_or("-") << " "
            << c.lang.value_or("-");
    }
}

TEST_F(LanguageChoice, FirstRunStoresTheSystemsSupportedLanguage) {
    struct Case {
        const char* lang;
        uint16_t expected;
    };
    const Case cases[] = {
        {"pt_PT.UTF-8", 0x0416}, // Portugal is taken as Brazil
        {"pt_BR.UTF-8", 0x0416}, {"en_AU.UTF-8", 0x0409},
        {"de_DE.UTF-8", 0x0416}, // anything unsupported
        {"C", 0x0409},           // a first start in the C locale takes English
        {"POSIX", 0x0409},
    };
    for (const Case& c : cases) {
        hive_ = std::make_unique<SettingsHive>(dir_ / (std::string(c.lang) + ".ini"));
        const Locale locale(std::nullopt, std::nullopt, c.lang);
        EXPECT_EQ(ResolveLanguageId(Hive()), c.expected) << c.lang;
        EXPECT_EQ(StoredOnDisk(), c.expected) << c.lang;
    }
}

TEST_F(LanguageChoice, AStoredChoiceStaysEvenWhenUnsupported) {
    const Locale locale(std::nullopt, std::nullopt, "pt_BR.UTF-8");
    ASSERT_TRUE(Hive().WriteDword(kAppRegistryKey, kLanguageIdValue, 0x0409));
    EXPECT_EQ(ResolveLanguageId(Hive()), 0x0409);
    EXPECT_EQ(LanguageIndexOf(0x0409), 2);

    ASSERT_TRUE(Hive().WriteDword(kAppRegistryKey, kLanguageIdValue, 0x0407));
    EXPECT_EQ(ResolveLanguageId(Hive()), 0x0407);
    EXPECT_EQ(LanguageIndexOf(0x0407), 0);
    EXPECT_EQ(StoredOnDisk(), 0x0407u);

    // No language id fits in more than 16 bits; such a value is left alone but not used.
    ASSERT_TRUE(Hive().WriteDword(kAppRegistryKey, kLanguageIdValue, 0x10409));
    EXPECT_EQ(ResolveLanguageId(Hive()), 0x0416);
    EXPECT_EQ(Stored(), 0x10409u);
}

TEST_F(LanguageChoice, ZeroOrAValueOfAnotherTypeMeansNotChosenYet) {
    const Locale locale(std::nullopt, std::nullopt, "en_US.UTF-8");
    ASSERT_TRUE(Hive().WriteDword(kAppRegistryKey, kLanguageIdValue, 0));
    EXPECT_EQ(ResolveLanguageId(Hive()), 0x0409);
    EXPECT_EQ(StoredOnDisk(), 0x0409u);

    ASSERT_TRUE(Hive().WriteString(kAppRegistryKey, kLanguageIdValue, "1046"));
    EXPECT_EQ(ResolveLanguageId(Hive()), 0x0409);
    EXPECT_EQ(Hive().TypeOf(kAppRegistryKey, kLanguageIdValue), HiveValueType::Dword);
}

TEST_F(LanguageChoice, AnUnwritableHiveStillGivesTheLanguageForThisRun) {
    dir_.write("blocked", "");
    hive_ = std::make_unique<SettingsHive>(dir_ / "blocked" / "registry.ini");
    const Locale locale(std::nullopt, std::nullopt, "en_US.UTF-8");
    EXPECT_EQ(ResolveLanguageId(Hive()), 0x0409);
    EXPECT_EQ(ResolveLanguageId(Hive()), 0x0409); // kept in memory, not asked again
    EXPECT_EQ(Stored(), 0x0409u);
}

TEST_F(LanguageChoice, PeekingFollowsTheStoredChoiceAndWritesNothing) {
    const Locale locale(std::nullopt, std::nullopt, "en_US.UTF-8");
    EXPECT_EQ(PeekLanguageId(Hive()), 0x0409);
    EXPECT_EQ(StoredOnDisk(), std::nullopt);

    ASSERT_TRUE(StoreLanguageId(Hive(), 0x0416));
    EXPECT_EQ(PeekLanguageId(Hive()), 0x0416); // LANG only counts while nothing is stored
    EXPECT_EQ(StoredOnDisk(), 0x0416u);
    ASSERT_TRUE(StoreLanguageId(Hive(), 0x0409));
    EXPECT_EQ(ResolveLanguageId(Hive()), 0x0409);
}

TEST(Language, NamesOnTheCommandLine) {
    EXPECT_EQ(LanguageIdFromName("en"), 0x0409);
    EXPECT_EQ(LanguageIdFromName("EN"), 0x0409);
    EXPECT_EQ(LanguageIdFromName("pt-BR"), 0x0416);
    EXPECT_EQ(LanguageIdFromName("pt_br"), 0x0416);
    for (const char* bad : {"", "pt", "pt-PT", "english", "en-US", "0x0409"}) {
        EXPECT_EQ(LanguageIdFromName(bad), std::nullopt) << bad;
    }
}

TEST(Language, NoticeIndexAndFileNames) {
    EXPECT_EQ(LanguageNoticeIndex(0), 0);
    EXPECT_EQ(LanguageNoticeIndex(2), 2);
    EXPECT_EQ(LanguageNoticeIndex(3), 0);
    EXPECT_EQ(LanguageNoticeIndex(5), 0);
    EXPECT_EQ(LanguageNoticeIndex(-1), 0);

    TempDir dir;
    SetProgramFolder(dir.path());
    EXPECT_EQ(LanguageFilePath(0), dir / "Lang0416.ini");
    EXPECT_EQ(LanguageFilePath(1), dir / "Lang0000.ini");
    EXPECT_EQ(LanguageFilePath(2), dir / "Lang0409.ini");
    EXPECT_EQ(LanguageFilePath(3), dir / "Lang0416.ini");
    EXPECT_EQ(LanguageFilePath(-1), dir / "Lang0416.ini");
}

TEST(Language, TextsComeFromTheirSectionAndMissingOnesShowError) {
    TempDir dir;
    SetProgramFolder(dir.path());
    dir.write("Lang0416.ini", "[TEXT]\n"
                              "MENU_11=Mostrar\n"
                              "EMPTY=\n"
                              "LONG=" +
                                  std::string(400, 'x') +
                                  "\n"
                                  "[LIGHT]\n"
                                  "LIGHT_SPEED=Velocidade\n"
                                  "[MODE]\n"
                                  "3=Respira\xC3\xA7\xC3\xA3o\n");
    dir.write("Lang0409.ini", "[text]\nmenu_11=Show\n");
    EXPECT_EQ(LangText("MENU_11", 0), "Mostrar");
    EXPECT_EQ(LangText("menu_11", 2), "Show");
    EXPECT_EQ(LangText("MENU_11", 9), "Mostrar"); // out of range: index 0
    EXPECT_EQ(LangText("EMPTY", 0), "");
    EXPECT_EQ(LangText("LONG", 0), std::string(259, 'x'));
    EXPECT_EQ(LangText("NOT_THERE", 0), "#Error");
    EXPECT_EQ(LangText("MENU_11", 1), "#Error"); // no Lang0000.ini
    EXPECT_EQ(LightText("LIGHT_SPEED", 0), "Velocidade");
    EXPECT_EQ(LightText("MENU_11", 0), "#Error");
    EXPECT_EQ(ModeText("3", 0), "Respira\xC3\xA7\xC3\xA3o");
    EXPECT_EQ(ModeText("4", 2), "#Error");

    // Every lookup reads the file again.
    dir.write("Lang0416.ini", "[TEXT]\nMENU_11=Abrir\n");
    EXPECT_EQ(LangText("MENU_11", 0), "Abrir");
}

TEST(Language, FormatFillsTheFirstNumberConversionOnly) {
    struct Case {
        const char* pattern;
        long long number;
        const char* expected;
    };
    const Case cases[] = {
        {"At most %d macros.", 100, "At most 100 macros."},
        {"%i|%u", -3, "-3|%u"},
        {"100%% of %d", 7, "100% of 7"},
        {"[%5d][%-4d]", 42, "[   42][%-4d]"},
        {"[%-4d]", 42, "[42  ]"},
        {"%04x", 255, "00ff"},
        {"%#X", 255, "0XFF"},
        {"%+.3d", 5, "+005"},
        {"%u", -1, "4294967295"},
        {"%lld", 1LL << 40, "1099511627776"},
        {"%d", 1LL << 40, "0"}, // as printf sees an int
        {"%hhd", 300, "44"},
        {"%s has %d keys", 3, "%s has 3 keys"}, // never what printf would do with %s
        {"%n%d", 1, "%n1"},
        {"no conversion", 1, "no conversion"},
        {"ends with %", 1, "ends with %"},
        {"%", 1, "%"},
        {"%ld%", 9, "9%"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FormatLangText(c.pattern, c.number), c.expected) << c.pattern;
    }
    EXPECT_EQ(FormatLangText("%999999d", 1).size(), 256u); // widths are capped
}

TEST(FormatLangText, FillsTheFirstTextConversionWithAFileName) {
    struct Case {
        const char* pattern;
        const char* text;
        const char* expected;
    };
    const Case cases[] = {
        {"%s is not a valid profile file.", "/home/a/x.fwc",
         "/home/a/x.fwc is not a valid profile file."},
        {"%ls and %s", "a", "a and %s"}, // only the first is filled
        {"%S", "b", "b"},
        {"[%5s]", "ab", "[   ab]"},
        {"[%-4s]", "ab", "[ab  ]"},
        {"[%.2s]", "çãoX", "[çã]"},   // precision counts characters, never cuts one in half
        {"%d of %s", "f", "%d of f"}, // a number conversion stays as written
        {"100%% %s", "sure", "100% sure"},
        {"%hd", "x", "%hd"},
        {"%s", "%d %s %n", "%d %s %n"}, // the argument is never read as a format
        {"ends with %", "x", "ends with %"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FormatLangText(c.pattern, std::string_view(c.text)), c.expected) << c.pattern;
    }
}
