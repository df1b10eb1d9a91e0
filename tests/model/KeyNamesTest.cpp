// SPDX-License-Identifier: GPL-3.0-or-later
#include "model/KeyNames.h"

#include <gtest/gtest.h>
#include <set>
#include <string>

namespace {

std::string Lowered(std::string_view name) {
    std::string lower(name);
    for (char& c : lower) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return lower;
}

TEST(KeyNames, EachNameAndEachKeyOnceAndEveryKeyOfThePictureHasARecordOfItsOwn) {
    std::set<std::string> names;
    std::set<KeyCode> codes;
    std::set<int> records;
    size_t keyMap = 0;
    for (const KeyName& key : KeyNames()) {
        EXPECT_TRUE(names.insert(Lowered(key.name)).second) << key.name;
        EXPECT_TRUE(codes.insert(key.code).second) << key.name;
        if (!IsGKeyCode(key.code)) {
            const KeyTableRow* row = KeyRowFromCode(key.code);
            ASSERT_NE(row, nullptr) << key.name;
            EXPECT_FALSE(row->nameKey.empty()) << key.name << " has no display name";
        }
        if (key.inKeyMap) {
            ++keyMap;
            const int record = RecordIndexOfCode(key.code);
            EXPECT_GE(record, 0) << key.name;
            EXPECT_TRUE(records.insert(record).second) << key.name << " shares a record";
        }
    }
    EXPECT_EQ(keyMap, 106u + 9u);
}

TEST(KeyNames, LookupIgnoresCaseAndGoesBothWays) {
    ASSERT_TRUE(FindKeyName("leftshift"));
    EXPECT_EQ(FindKeyName("leftshift")->code, 0x02A);
    EXPECT_EQ(FindKeyName("kp7")->code, 0x047);
    EXPECT_EQ(FindKeyName("g1")->code, GKeyCode(1));
    EXPECT_FALSE(FindKeyName("Shift"));
    EXPECT_FALSE(FindKeyName(""));
    EXPECT_EQ(StableKeyName(0x11D), "RightCtrl");
    EXPECT_EQ(StableKeyName(0x036), "RightShift");
    // The second Right Shift row is never what a lookup by usage finds.
    EXPECT_EQ(StableKeyName(0x136), "");

    EXPECT_EQ(StableRecordName(0x01E), "A");
    EXPECT_EQ(StableRecordName(0x11D - 0x80), "RightCtrl");
    EXPECT_EQ(StableRecordName(kFirstGKeyRecord), "G1");
    EXPECT_EQ(StableRecordName(kFirstGKeyRecord + 8), "G9");
    EXPECT_EQ(StableRecordName(kFirstGKeyRecord + 9), ""); // the second bank has no buttons
    EXPECT_EQ(StableRecordName(300), "");
}

TEST(KeyNames, SuggestionsPutTheLikelyKeysFirst) {
    EXPECT_EQ(NearestKeyNames("Shiftt", 2, false),
              (std::vector<std::string_view>{"LeftShift", "RightShift"}));
    EXPECT_EQ(NearestKeyNames("KP77", 1, false).front(), "KP7");
    EXPECT_EQ(NearestKeyNames("pgup", 1, false).front(), "PageUp");
    EXPECT_EQ(NearestKeyNames("Powr", 1, false).front(), "Power");
    // A key that cannot be given a function is no suggestion for one.
    for (std::string_view name : NearestKeyNames("Powr", 5, true)) {
        EXPECT_TRUE(FindKeyName(name)->inKeyMap) << name;
    }
}

TEST(KeyNames, MouseAndMediaNamesFollowTheirTables) {
    EXPECT_EQ(MouseCodeFromName("Wheel-Down"), kWheelDown);
    EXPECT_EQ(MouseCodeFromName("left"), kMouseLeft);
    EXPECT_FALSE(MouseCodeFromName("wheel"));
    EXPECT_EQ(MouseName(kMouseMiddle), "middle");
    EXPECT_EQ(MouseName(0x01E), "");

    const std::pair<std::string_view, KeyCode> media[] = {
        {"MediaPlayer", 0x16D}, {"playpause", 0x122}, {"PrevTrack", 0x110}, {"VolumeDown", 0x12E},
        {"VolumeUp", 0x130},    {"Mute", 0x120},      {"WWWBack", 0x16A},   {"WWWForward", 0x169},
        {"Calculator", 0x121},  {"Mail", 0x16C},
    };
    for (const auto& [name, code] : media) {
        const std::optional<int> index = MediaIndexFromName(name);
        ASSERT_TRUE(index) << name;
        EXPECT_EQ(MediaTable[static_cast<size_t>(*index)].code, code) << name;
    }
    EXPECT_EQ(MediaNames().size(), static_cast<size_t>(kMediaCount));
    EXPECT_FALSE(MediaIndexFromName("Volume"));
}

} // namespace
