// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/HexDigits.h"

#include <gtest/gtest.h>

TEST(HexDigits, DigitValuesInEitherCaseAndNothingElse) {
    EXPECT_EQ(HexDigitValue('0'), 0);
    EXPECT_EQ(HexDigitValue('9'), 9);
    EXPECT_EQ(HexDigitValue('a'), 10);
    EXPECT_EQ(HexDigitValue('F'), 15);
    // The neighbours of each range.
    for (const char c : {'/', ':', '@', 'G', '`', 'g', ' ', 'x', '\0'}) {
        EXPECT_EQ(HexDigitValue(c), -1) << c;
    }
}

TEST(HexDigits, ParsesOneToEightDigits) {
    uint32_t value = 0;
    ASSERT_TRUE(ParseHexDigits("320f", value));
    EXPECT_EQ(value, 0x320Fu);
    ASSERT_TRUE(ParseHexDigits("C", value));
    EXPECT_EQ(value, 0xCu);
    ASSERT_TRUE(ParseHexDigits("FFFFFFFF", value));
    EXPECT_EQ(value, 0xFFFFFFFFu);
    ASSERT_TRUE(ParseHexDigits("00000000", value));
    EXPECT_EQ(value, 0u);
}

TEST(HexDigits, RefusesWhatIsNotOnlyDigitsAndKeepsTheValue) {
    uint32_t value = 7;
    for (const char* text : {"", "123456789", "0x12", "-1", "+1", "12 ", " 12", "1g"}) {
        EXPECT_FALSE(ParseHexDigits(text, value)) << '"' << text << '"';
        EXPECT_EQ(value, 7u);
    }
}
