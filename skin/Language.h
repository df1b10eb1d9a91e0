// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Language choice and text lookup. Every visible text comes from a language file beside the
// program, "Lang%04X.ini", by key from section TEXT, LIGHT or MODE; a missing key or file gives
// "#Error".

#include "platform/OwnMessages.h" // the language notice: UM_LANGUAGE with kLanguageNoticeTag
#include "platform/ProgramNames.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

class SettingsHive;

// The value of kAppRegistryKey that keeps the chosen language.
inline constexpr const char* kLanguageIdValue = "dwLanguageId";

struct SupportedLanguage {
    uint16_t id;
};
// Index order: 0 Portuguese (Brazil), 1 the placeholder 0x0000, 2 English.
inline constexpr SupportedLanguage kSupportedLanguages[] = {{0x0416}, {0x0000}, {0x0409}};
inline constexpr int kSupportedLanguageCount = 3;

// The system's language from LC_ALL, LC_MESSAGES, LANG (the first one set and not empty):
// pt_BR gives 0x0416, pt_PT 0x0816, en and en_* 0x0409, and so do the C and POSIX locales,
// which are also what no variable at all means (letter case, ".codeset" and "@modifier" do not
// matter); 0 for any other language.
uint16_t SystemDefaultLanguageId();

// The language id in use: the stored choice, or on the first run the system's (0x0816 taken as
// 0x0416, anything unsupported as 0x0416), which is then stored. Asked once per run: the
// answer of the first call stands until SetCurrentLanguageId changes it.
uint16_t CurrentLanguageId();
// Index of CurrentLanguageId() in kSupportedLanguages; 0 when it is not there.
int CurrentLanguageIndex();
// Makes id the language in use from now on (a running program told of a new choice). Stores
// nothing.
void SetCurrentLanguageId(uint16_t id);

// What CurrentLanguageId does, on one hive and without keeping the answer: the stored
// "dwLanguageId" of kAppRegistryKey when it is a DWORD other than 0 (returned even when it is
// not supported; one above 0xFFFF is no language id and reads as 0x0416, and stays stored);
// otherwise the system's choice as above, written to the hive (kept in memory when the hive
// cannot be written).
uint16_t ResolveLanguageId(SettingsHive& hive);
// The same choice without writing anything: for programs that follow the window's language
// but must not make the first-run choice for it.
uint16_t PeekLanguageId(SettingsHive& hive);
// Stores id as the chosen language; false when the hive cannot be written.
bool StoreLanguageId(SettingsHive& hive, uint16_t id);

// The language a user names on the command line: "en" (0x0409) or "pt-BR" (0x0416), in any
// letter case and with "_" for "-"; nullopt for anything else.
std::optional<uint16_t> LanguageIdFromName(std::string_view name);

// Index of id in kSupportedLanguages; 0 when it is not there.
int LanguageIndexOf(uint16_t id);

// The index a language notice carries: an index above 2 (or below 0) is sent as 0.
int LanguageNoticeIndex(int index);

// ProgramFolder() + "Lang%04X.ini" for the language of index (index 0 when out of range).
std::filesystem::path LanguageFilePath(int index);

std::string LangText(std::string_view key, int index);
std::string LightText(std::string_view key, int index);
std::string ModeText(std::string_view key, int index);

// Fills the first printf-style conversion of a language text (%d, %i, %u, %x, %X with optional
// flags "-+ 0#", width up to 256, precision and length modifier, as printf would print an int,
// or a 64-bit number with "l", "ll", "j", "z" or "t") with number; "%%" gives "%". Any other
// "%" sequence, and every conversion after the first, stays as written. Language files are
// outside data, so this never hands them to printf.
std::string FormatLangText(std::string_view pattern, long long number);

// Fills the first "%s" of a language text (also "%ls", "%hs" and "%S", with an optional "-" flag,
// width and precision counted in characters) with text, for the texts that name a file. "%%"
// gives "%"; every other "%" sequence stays as written.
std::string FormatLangText(std::string_view pattern, std::string_view text);
