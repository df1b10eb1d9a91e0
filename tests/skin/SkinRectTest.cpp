// SPDX-License-Identifier: GPL-3.0-or-later
#include "skin/SkinRect.h"
#include "support/TempDir.h"

#include <climits>
#include <gtest/gtest.h>

namespace {

SkinRect Rect(int x, int y, int w, int h) { return SkinRect{x, y, w, h}; }

} // namespace

TEST(SkinRect, ParsesTheFourLeadingNumbersAsScanfWould) {
    struct Case {
        const char* text;
        SkinRect expected;
    };
    const Case cases[] = {
        {"0,0,100,20", Rect(0, 0, 100, 20)},
        {"1,1,80,20", Rect(1, 1, 80, 20)},
        {"12,40,60,20", Rect(12, 40, 60, 20)},
        {"12,40,60,20xyz", Rect(12, 40, 60, 20)},
        {"12,40,60,20,99", Rect(12, 40, 60, 20)},
        {"1,1,1,1,x", Rect(1, 1, 1, 1)},
        {" 12, 40,\t60,+20", Rect(12, 40, 60, 20)}, // blanks before a number are skipped
        {"-5,-6,7,8", Rect(-5, -6, 7, 8)},
        {"99999999999,-99999999999,1,1", Rect(INT_MAX, INT_MIN, 1, 1)},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ParseSkinRect(c.text), c.expected) << c.text;
    }
}

TEST(SkinRect, ShortOrBrokenValuesKeepOneForWhatIsMissing) {
    struct Case {
        const char* text;
        SkinRect expected;
    };
    const Case cases[] = {
        {"", Rect(1, 1, 1, 1)},
        {"x", Rect(1, 1, 1, 1)},
        {"5", Rect(5, 1, 1, 1)},
        {"5,6", Rect(5, 6, 1, 1)},
        {"5,6,7", Rect(5, 6, 7, 1)},
        {"5,6,", Rect(5, 6, 1, 1)},
        {"12 ,40,60,20", Rect(12, 1, 1, 1)}, // a comma must follow the number at once
        {"12,x,60,20", Rect(12, 1, 1, 1)},   // scanning stops at the first mismatch
        {"12;40;60;20", Rect(12, 1, 1, 1)},
        {"-,5,5,5", Rect(1, 1, 1, 1)},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ParseSkinRect(c.text), c.expected) << c.text;
    }
}

TEST(SkinRect, TheDefaultPlaceIsXAndYOfOne) {
    EXPECT_TRUE(ParseSkinRect("1,1,80,20").AtDefaultPlace());
    EXPECT_FALSE(ParseSkinRect("0,0,100,20").AtDefaultPlace());
    EXPECT_FALSE(ParseSkinRect("1,2,1,1").AtDefaultPlace());
}

TEST(SkinRect, ReadFromASkinFile) {
    TempDir dir;
    const auto file = dir.write("Main.ini", "[BUTTONINFO]\r\n"
                                            "CONTROL_OK=12,40,60,20\r\n"
                                            "control_cancel=0,0,100,20 ; cancel\r\n"
                                            "CONTROL_EMPTY=\r\n");
    EXPECT_EQ(ReadSkinRect(file, "ButtonInfo", "Control_OK"), Rect(12, 40, 60, 20));
    EXPECT_EQ(ReadSkinRect(file, "BUTTONINFO", "CONTROL_CANCEL"), Rect(0, 0, 100, 20));
    EXPECT_EQ(ReadSkinRect(file, "BUTTONINFO", "CONTROL_MISSING"), Rect(1, 1, 1, 1));
    EXPECT_EQ(ReadSkinRect(file, "BUTTONINFO", "CONTROL_EMPTY"), Rect(1, 1, 1, 1));
    EXPECT_EQ(ReadSkinRect(file, "BUTTONINFO2", "CONTROL_OK"), Rect(1, 1, 1, 1));
    EXPECT_EQ(ReadSkinRect(dir / "none.ini", "BUTTONINFO", "CONTROL_OK"), Rect(1, 1, 1, 1));
}
