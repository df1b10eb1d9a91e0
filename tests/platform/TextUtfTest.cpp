// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/TextUtf.h"

#include <gtest/gtest.h>

TEST(TextUtf, RoundTripsEveryPlane) {
    const std::string text = "A\xC3\xA7\xE2\x82\xAC\xF0\x9F\x8E\xB9"; // A ç € 🎹
    const std::u16string wide = Utf8ToUtf16(text);
    ASSERT_EQ(wide.size(), 5u); // the emoji takes a surrogate pair
    EXPECT_EQ(wide[0], u'A');
    EXPECT_EQ(wide[1], u'\u00E7');
    EXPECT_EQ(wide[3], 0xD83C);
    EXPECT_EQ(Utf16ToUtf8(wide), text);
    EXPECT_EQ(Utf16Length(text), 5u);
}

TEST(TextUtf, MalformedInputBecomesReplacementCharacters) {
    EXPECT_EQ(Utf8ToUtf16("\xFF"), std::u16string(1, 0xFFFD));
    EXPECT_EQ(Utf8ToUtf16("\xE2\x82"), std::u16string(2, 0xFFFD)); // cut short at the end
    EXPECT_EQ(Utf8ToUtf16("\xC0\xAF"), std::u16string(2, 0xFFFD)); // overlong slash
    EXPECT_EQ(Utf8ToUtf16("\xED\xA0\x80").front(), 0xFFFD);        // encoded surrogate
    EXPECT_EQ(Utf16ToUtf8(std::u16string(1, 0xD800)), "\xEF\xBF\xBD");
}

TEST(TextUtf, TruncationCountsUnitsAndNeverSplitsACharacter) {
    EXPECT_EQ(TruncateToUtf16Units("abcdef", 4), "abcd");
    EXPECT_EQ(TruncateToUtf16Units("abc", 10), "abc");
    EXPECT_EQ(TruncateToUtf16Units("abc", 0), "");
    // "a" + emoji (2 units): three units fit both, two units only the "a".
    const std::string withPair = "a\xF0\x9F\x8E\xB9";
    EXPECT_EQ(TruncateToUtf16Units(withPair, 3), withPair);
    EXPECT_EQ(TruncateToUtf16Units(withPair, 2), "a");
    // A three-byte character is one unit.
    EXPECT_EQ(TruncateToUtf16Units("\xE2\x82\xAC\xE2\x82\xAC", 1), "\xE2\x82\xAC");
}

TEST(TextUtf, ValidityCheckAcceptsOnlyWellFormedText) {
    EXPECT_TRUE(IsValidUtf8(""));
    EXPECT_TRUE(IsValidUtf8("plain \xC3\xA7\xF0\x9F\x8E\xB9"));
    EXPECT_TRUE(IsValidUtf8("\xEF\xBF\xBD")); // a real U+FFFD is fine
    EXPECT_FALSE(IsValidUtf8("Ol\xE1"));       // Windows-1252
    EXPECT_FALSE(IsValidUtf8("\xC0\xAF"));
    EXPECT_FALSE(IsValidUtf8("\xED\xA0\x80"));
    EXPECT_FALSE(IsValidUtf8("abc\xE2\x82"));
}
