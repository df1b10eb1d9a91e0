// SPDX-License-Identifier: GPL-3.0-or-later
// kestrowctl's own pieces: the command line, the terminal's answers, the trace format.

#include "ParseCommandLine.h"
#include "tools/kestrowctl/CommandLine.h"
#include "tools/kestrowctl/JsonText.h"
#include "tools/kestrowctl/TerminalSink.h"
#include "tools/kestrowctl/TraceBackend.h"

#include <cstdio>
#include <gtest/gtest.h>

TEST(KestrowctlCommandLine, GlobalOptionsGoAnywhereAndCommandsTakeTheirArguments) {
    CtlOptions o;
    ASSERT_TRUE(Parse({"--trace", "backup", "--json", "a.fwc", "--simulate=/tmp/s", "--yes"}, o));
    EXPECT_EQ(o.command, CtlCommand::Backup);
    EXPECT_EQ(o.file, "a.fwc");
    EXPECT_TRUE(o.trace && o.json && o.yes);
    EXPECT_TRUE(o.simulation.simulate);
    EXPECT_EQ(o.simulation.stateFile, "/tmp/s");

    // A file name that looks like an option, after "--".
    ASSERT_TRUE(Parse({"check", "--", "--odd.fwc"}, o));
    EXPECT_EQ(o.file, "--odd.fwc");

    ASSERT_TRUE(Parse({"profile"}, o));
    EXPECT_FALSE(o.profileNumber.has_value());
    ASSERT_TRUE(Parse({"profile", "2"}, o));
    EXPECT_EQ(o.profileNumber, 2);

    std::string error;
    EXPECT_FALSE(Parse({"profile", "3"}, o, &error));
    EXPECT_FALSE(Parse({"profile", "-1"}, o));
    EXPECT_FALSE(Parse({"profile", "1", "2"}, o));
    EXPECT_FALSE(Parse({"restore"}, o, &error));
    EXPECT_EQ(error, "a FILE is needed");
    EXPECT_FALSE(Parse({"dump", "a", "b"}, o));
    EXPECT_FALSE(Parse({"info", "extra"}, o));
    EXPECT_FALSE(Parse({"--bogus", "info"}, o));
    EXPECT_FALSE(Parse({"--trace=1", "info"}, o));
    // Command options belong after their command.
    EXPECT_FALSE(Parse({"--brightness", "3", "light"}, o, &error));
    EXPECT_NE(error.find("before the command"), std::string::npos);
    EXPECT_FALSE(Parse({"info", "--brightness", "3"}, o));
    EXPECT_FALSE(Parse({"--model", "320f:5000", "info"}, o));
    // Help wins over an incomplete command line.
    ASSERT_TRUE(Parse({"restore", "--help"}, o));
    EXPECT_TRUE(o.help);
}

TEST(KestrowctlCommandLine, LightFieldsKeepTheirOrderAndRanges) {
    CtlOptions o;
    ASSERT_TRUE(Parse({"light", "--profile=1", "--colour", "#Ff8001", "--brightness=0",
                       "--direction", "first", "--multicolour", "on", "--defaults", "--speed", "5",
                       "--report-rate", "3", "--four-colour", "0", "--effect", "20"},
                      o));
    EXPECT_EQ(o.profile, 1);
    using F = LightChange::Field;
    ASSERT_EQ(o.lightChanges.size(), 9u);
    const F order[] = {F::Colour, F::Brightness, F::Direction,  F::Multicolour, F::Defaults,
                       F::Speed,  F::ReportRate, F::FourColour, F::Effect};
    for (size_t i = 0; i < 9; ++i) {
        EXPECT_EQ(o.lightChanges[i].field, order[i]) << i;
    }
    EXPECT_EQ(o.lightChanges[0].rgb[0], 0xFF);
    EXPECT_EQ(o.lightChanges[0].rgb[1], 0x80);
    EXPECT_EQ(o.lightChanges[0].rgb[2], 0x01);
    EXPECT_EQ(o.lightChanges[2].value, 0xFF);
    EXPECT_EQ(o.lightChanges[3].value, 1);
    EXPECT_EQ(o.lightChanges[8].value, 20);

    ASSERT_TRUE(Parse({"light", "--direction", "second"}, o));
    EXPECT_EQ(o.lightChanges[0].value, 0);

    for (const std::vector<std::string>& bad : std::vector<std::vector<std::string>>{
             {"light", "--brightness", "6"},
             {"light", "--brightness", "+3"},
             {"light", "--brightness", ""},
             {"light", "--speed", "05x"},
             {"light", "--report-rate", "4"},
             {"light", "--four-colour", "4"},
             {"light", "--effect", "0"},
             {"light", "--effect", "256"},
             {"light", "--colour", "ff80"},
             {"light", "--colour", "gg8000"},
             {"light", "--direction", "up"},
             {"light", "--multicolour", "yes"},
             {"light", "--profile", "3"},
             {"light", "--defaults=1"},
             {"light", "--brightness"},
         }) {
        EXPECT_FALSE(Parse(bad, o)) << bad[1] << " " << (bad.size() > 2 ? bad[2] : "");
    }
}

TEST(KestrowctlTerminal, QuestionsAreYesOnlyWithYesAndNoWithoutATerminal) {
    std::FILE* answers = std::tmpfile();
    std::FILE* out = std::tmpfile();
    ASSERT_TRUE(answers != nullptr && out != nullptr);
    std::fputs("y\n", answers);
    std::rewind(answers);
    // A file is no terminal: its "y" is never taken as the user's answer.
    TerminalSink noTerminal(false, answers, out);
    EXPECT_FALSE(noTerminal.AskPlain("Go on?"));
    TerminalSink yes(true, answers, out);
    EXPECT_TRUE(yes.AskPlain("Go on?"));

    yes.ShowText("MAIN_PROMPT_INPORT", std::nullopt);
    EXPECT_EQ(yes.ShownCount("MAIN_PROMPT_INPORT"), 1u);
    EXPECT_EQ(yes.ShownCount("PROFILE_FORMAT_ERROR"), 0u);
    std::fclose(answers);
    std::fclose(out);
}

TEST(KestrowctlTrace, LinesAreDirectionSpaceAndLowerCaseHex) {
    uint8_t frame[64] = {};
    frame[0] = 4;
    frame[3] = 0xAB;
    frame[63] = 0x0F;
    const std::string line = TraceHidBackend::FormatLine('>', frame, sizeof frame);
    ASSERT_EQ(line.size(), 130u);
    EXPECT_EQ(line.substr(0, 10), "> 040000ab");
    EXPECT_EQ(line.substr(128), "0f");
}

TEST(KestrowctlJson, StringsAreEscaped) {
    EXPECT_EQ(JsonString("a\"b\\c\n\x01"), "\"a\\\"b\\\\c\\n\\u0001\"");
    EXPECT_EQ(JsonString("Espaço"), "\"Espaço\"");
}

TEST(KestrowctlCommandLine, KeyMacroAndDiffTakeTheirArguments) {
    CtlOptions o;
    // After `macro`, release steps are arguments, whatever they look like.
    ASSERT_TRUE(Parse({"macro", "add", "x", "+H", "-H", "-h", "--yes", "-A", "0"}, o));
    EXPECT_EQ(o.macroCommand, MacroCommand::Add);
    EXPECT_EQ(o.arguments, (std::vector<std::string>{"x", "+H", "-H", "-h", "-A", "0"}));
    EXPECT_TRUE(o.yes);
    EXPECT_FALSE(o.help);
    ASSERT_TRUE(Parse(
        {"macro", "--file", "a.fwc", "--capacity=512", "type", "--delay", "20", "t", "-x"}, o));
    EXPECT_EQ(o.macroCommand, MacroCommand::Type);
    EXPECT_EQ(o.file, "a.fwc");
    EXPECT_EQ(o.capacity, 512u);
    EXPECT_EQ(o.delay, 20u);
    EXPECT_EQ(o.arguments, (std::vector<std::string>{"t", "-x"}));

    std::string error;
    EXPECT_FALSE(Parse({"macro"}, o, &error));
    EXPECT_FALSE(Parse({"macro", "rename", "a"}, o, &error));
    EXPECT_EQ(error, "usage: macro rename OLD NEW");
    EXPECT_FALSE(Parse({"macro", "show", ""}, o));
    EXPECT_FALSE(Parse({"macro", "list", "extra"}, o));
    EXPECT_FALSE(Parse({"macro", "type", "--delay", "15", "t", "x"}, o));
    EXPECT_FALSE(Parse({"macro", "type", "--delay", "40010", "t", "x"}, o));
    EXPECT_FALSE(Parse({"macro", "--file", "a.fwc", "--capacity", "65536", "list"}, o));

    ASSERT_TRUE(Parse({"key", "--profile", "2", "A=B", "F1"}, o));
    EXPECT_EQ(o.profile, 2);
    EXPECT_EQ(o.arguments, (std::vector<std::string>{"A=B", "F1"}));
    EXPECT_FALSE(Parse({"key", "--capacity", "10", "A=B"}, o, &error));
    EXPECT_FALSE(Parse({"--profile", "1", "key"}, o, &error));
    EXPECT_NE(error.find("before the command"), std::string::npos);

    ASSERT_TRUE(Parse({"diff", "a.fwc", "b.fwc"}, o));
    EXPECT_EQ(o.arguments.size(), 2u);
    EXPECT_FALSE(Parse({"diff", "a.fwc"}, o));
    EXPECT_FALSE(Parse({"diff", "a", "b", "c"}, o));
    ASSERT_TRUE(Parse({"new", "n.fwc"}, o));
    EXPECT_EQ(o.file, "n.fwc");
    EXPECT_FALSE(Parse({"keys", "x"}, o));
}
