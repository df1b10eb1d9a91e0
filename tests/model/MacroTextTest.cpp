// SPDX-License-Identifier: GPL-3.0-or-later
#include "model/MacroText.h"

#include "model/KeyNames.h"

#include <gtest/gtest.h>

namespace {

constexpr KeyCode kShift = 0x02A;
constexpr KeyCode kH = 0x023;
constexpr KeyCode kI = 0x017;
constexpr KeyCode kOne = 0x002;

std::vector<MacroAction> Parsed(std::string_view text) {
    std::vector<MacroAction> steps;
    std::string error;
    EXPECT_TRUE(ParseMacroSteps(text, steps, error)) << text << ": " << error;
    return steps;
}

std::string ParseError(std::string_view text) {
    std::vector<MacroAction> steps = {{10, kH, MacroAction::kPress}};
    std::string error;
    EXPECT_FALSE(ParseMacroSteps(text, steps, error)) << text;
    EXPECT_EQ(steps.size(), 1u) << "a failed parse leaves the steps alone";
    return error;
}

TEST(MacroText, WhatShowPrintsAddReadsBackUnchanged) {
    const std::string example = "+LeftShift 20 +A 50 -A 0 -LeftShift 0";
    EXPECT_EQ(MacroStepsText(Parsed(example)), example);

    // Every key with a name, the mouse entries and keys that have only a code.
    std::vector<MacroAction> steps;
    uint32_t delay = 0;
    const auto add = [&](KeyCode code) {
        steps.push_back({delay, code, MacroAction::kPress});
        steps.push_back({kMaxHandDelayMs - delay, code, MacroAction::kRelease});
        delay = (delay + kMacroDelayStepMs) % kMaxHandDelayMs;
    };
    for (const KeyName& key : KeyNames()) {
        if (!IsGKeyCode(key.code)) {
            add(key.code);
        }
    }
    for (KeyCode mouse : {kMouseLeft, kMouseRight, kMouseMiddle, kWheelUp, kWheelDown}) {
        add(mouse);
    }
    add(0x054); // Sys Req: recorded, but no name of its own
    add(0);     // what a step of no function reads back as
    const std::string text = MacroStepsText(steps);
    EXPECT_EQ(Parsed(text), steps);
    EXPECT_NE(text.find("+mouse:wheel-up "), std::string::npos);
    EXPECT_NE(text.find("-0x054 "), std::string::npos);
}

TEST(MacroText, StepsAreReadLeniently) {
    EXPECT_EQ(Parsed("+leftshift\t+a 10\n-A -LEFTSHIFT"),
              (std::vector<MacroAction>{{0, kShift, MacroAction::kPress},
                                        {10, 0x01E, MacroAction::kPress},
                                        {0, 0x01E, MacroAction::kRelease},
                                        {0, kShift, MacroAction::kRelease}}));
    EXPECT_TRUE(Parsed("   ").empty());
    EXPECT_EQ(Parsed("+0x15e 40000").front(), (MacroAction{40000, 0x15E, MacroAction::kPress}));
}

TEST(MacroText, BadStepsAreRefusedWithTheWordThatIsWrong) {
    EXPECT_NE(ParseError("+A 10 +Shiftt 0").find("word 3 '+Shiftt'"), std::string::npos);
    EXPECT_NE(ParseError("+Shiftt").find("LeftShift"), std::string::npos);
    EXPECT_NE(ParseError("+A 40010").find("at most 40000"), std::string::npos);
    EXPECT_NE(ParseError("+A 15").find("steps of 10"), std::string::npos);
    EXPECT_NE(ParseError("50 +A").find("after a step"), std::string::npos);
    EXPECT_NE(ParseError("+A 10 20").find("after a step"), std::string::npos);
    ParseError("A 10");
    ParseError("+ 10");
    ParseError("+A -10");
    ParseError("+A 99999999999");
    EXPECT_NE(ParseError("+G1 0").find("G-key"), std::string::npos);
    ParseError("+0x180");
    ParseError("+0x1234");
    ParseError("+mouse:wheel");

    std::string many;
    for (int i = 0; i < kMaxMacroSteps; ++i) {
        many += "+A ";
    }
    EXPECT_EQ(Parsed(many).size(), static_cast<size_t>(kMaxMacroSteps));
    EXPECT_NE(ParseError(many + "-A").find("at most 4000 steps"), std::string::npos);
}

TEST(MacroText, HandDelaysGoInTensUpTo40Seconds) {
    std::string error;
    EXPECT_TRUE(CheckHandDelay(0, error));
    EXPECT_TRUE(CheckHandDelay(40000, error));
    EXPECT_FALSE(CheckHandDelay(40010, error));
    EXPECT_FALSE(CheckHandDelay(5, error));
}

TEST(MacroText, TypingUsesShiftWhereTheUsLayoutNeedsIt) {
    std::vector<MacroAction> steps;
    std::string error;
    ASSERT_TRUE(TypeTextSteps("Hi!", kTypedStepDelayMs, steps, error)) << error;
    const std::vector<MacroAction> expected = {
        {50, kShift, MacroAction::kPress}, {50, kH, MacroAction::kPress},
        {50, kH, MacroAction::kRelease},   {50, kShift, MacroAction::kRelease},
        {50, kI, MacroAction::kPress},     {50, kI, MacroAction::kRelease},
        {50, kShift, MacroAction::kPress}, {50, kOne, MacroAction::kPress},
        {50, kOne, MacroAction::kRelease}, {0, kShift, MacroAction::kRelease},
    };
    EXPECT_EQ(steps, expected);

    const struct {
        char c;
        std::string_view key;
        bool shift;
    } cases[] = {{'a', "A", false},      {'Z', "Z", true},         {'0', "0", false},
                 {')', "0", true},       {'`', "Grave", false},    {'~', "Grave", true},
                 {'"', "Quote", true},   {'|', "Backslash", true}, {' ', "Space", false},
                 {'\n', "Enter", false}, {'\t', "Tab", false},     {'?', "Slash", true}};
    for (const auto& c : cases) {
        ASSERT_TRUE(TypeTextSteps(std::string(1, c.c), 10, steps, error)) << c.c;
        ASSERT_EQ(steps.size(), c.shift ? 4u : 2u) << c.c;
        EXPECT_EQ(steps[c.shift ? 1 : 0].key, FindKeyName(c.key)->code) << c.c;
    }
    // Every printable ASCII character has a key.
    std::string ascii;
    for (char c = ' '; c <= '~'; ++c) {
        ascii.push_back(c);
    }
    EXPECT_TRUE(TypeTextSteps(ascii, 0, steps, error)) << error;
}

TEST(MacroText, TypingRefusesWhatTheLayoutCannotTypeWithItsPosition) {
    std::vector<MacroAction> steps;
    std::string error;
    EXPECT_FALSE(TypeTextSteps("ab\xE2\x82\xAC!", 10, steps, error)); // a b euro !
    EXPECT_NE(error.find("character 3 ('\xE2\x82\xAC')"), std::string::npos) << error;
    EXPECT_FALSE(TypeTextSteps("\xC3\xA9t\xC3\xA9", 10, steps, error));
    EXPECT_NE(error.find("character 1 "), std::string::npos) << error;
    EXPECT_FALSE(TypeTextSteps("a\x01", 10, steps, error));
    EXPECT_NE(error.find("character 2 "), std::string::npos) << error;
    EXPECT_FALSE(TypeTextSteps("", 10, steps, error));
    EXPECT_TRUE(steps.empty());

    EXPECT_TRUE(TypeTextSteps(std::string(1000, 'A'), 10, steps, error)); // 4000 steps
    EXPECT_FALSE(TypeTextSteps(std::string(1001, 'A'), 10, steps, error));
    EXPECT_NE(error.find("4004 steps"), std::string::npos) << error;
}

TEST(MacroText, MacrosAreFoundByExactNameFirst) {
    std::vector<MacroRecord> macros(3);
    SetMacroName(macros[0], std::string_view("Copy"));
    SetMacroName(macros[1], std::string_view("copy"));
    SetMacroName(macros[2], std::string_view("Paste"));
    EXPECT_EQ(FindMacroByName(std::span<const MacroRecord>(macros), "copy"), &macros[1]);
    EXPECT_EQ(FindMacroByName(std::span<const MacroRecord>(macros), "PASTE"), &macros[2]);
    EXPECT_EQ(FindMacroByName(std::span<const MacroRecord>(macros), "COPY"), nullptr);
    EXPECT_EQ(FindMacroByName(std::span<const MacroRecord>(macros), "Cop"), nullptr);
}

} // namespace
