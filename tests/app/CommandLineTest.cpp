// SPDX-License-Identifier: GPL-3.0-or-later
// The switches of the command line.

#include "app/CommandLine.h"

#include <gtest/gtest.h>

namespace {
LaunchOptions Parse(std::vector<std::string> arguments) {
    return ParseCommandLine(arguments);
}
} // namespace

TEST(CommandLine, StartAndKillInAnyLetterCaseAndTheirLinuxSpellings) {
    for (const char* kill : {"/Kill", "/kill", "/KILL", "/kIlL", "--kill"}) {
        EXPECT_TRUE(Parse({kill}).kill) << kill;
    }
    for (const char* start : {"/Start", "/start", "/START", "--start"}) {
        const LaunchOptions options = Parse({start});
        EXPECT_TRUE(options.start) << start;
        EXPECT_FALSE(options.kill) << start;
    }
}

TEST(CommandLine, EachArgumentCountsOnlyAsAWhole) {
    for (const char* other : {"/Killer", "Kill", "/Kil", " /Kill", "/Kill ", "-kill", "--KILL",
                              "/Starting", "--Start", "", "/", "--simulat"}) {
        const LaunchOptions options = Parse({other});
        EXPECT_FALSE(options.kill) << '"' << other << '"';
        EXPECT_FALSE(options.start) << '"' << other << '"';
        EXPECT_FALSE(options.simulation.simulate) << '"' << other << '"';
    }
}

TEST(CommandLine, TheWalkStopsAtTheCloseRequest) {
    const LaunchOptions before = Parse({"/Start", "--simulate=a", "/Kill", "--help", "--version"});
    EXPECT_TRUE(before.start);
    EXPECT_TRUE(before.simulation.simulate);
    EXPECT_TRUE(before.kill);
    EXPECT_FALSE(before.help);
    EXPECT_FALSE(before.version);
    EXPECT_FALSE(Parse({"/Kill", "/Start"}).start);
}

TEST(CommandLine, SimulatedKeyboardAndModel) {
    EXPECT_FALSE(Parse({}).simulation.simulate);

    const LaunchOptions bare = Parse({"--simulate"});
    EXPECT_TRUE(bare.simulation.simulate);
    EXPECT_EQ(bare.simulation.stateFile, "");
    EXPECT_EQ(bare.error, "");

    const LaunchOptions file = Parse({"/start", "--simulate=/tmp/a b/state=1.kbd", "/Kill"});
    EXPECT_TRUE(file.simulation.simulate);
    EXPECT_EQ(file.simulation.stateFile, "/tmp/a b/state=1.kbd"); // only the first "=" splits
    EXPECT_TRUE(file.start);
    EXPECT_TRUE(file.kill);

    // The last one given counts; a separate model value is not taken for a switch.
    EXPECT_EQ(Parse({"--simulate=one", "--simulate"}).simulation.stateFile, "");
    const LaunchOptions model = Parse({"--simulate", "--model=320F:5000", "--model", "0c45:5004"});
    ASSERT_TRUE(model.simulation.model.has_value());
    EXPECT_EQ(model.simulation.model->productId, 0x5004);
    EXPECT_EQ(model.error, "");
}

TEST(CommandLine, AMalformedSimulationArgumentIsReported) {
    for (const std::vector<std::string>& bad : {std::vector<std::string>{"--simulate="},
                                                {"--simulate", "--model"},
                                                {"--simulate", "--model=1234:5678"},
                                                {"--model", "/Kill"}}) {
        const LaunchOptions options = Parse(bad);
        EXPECT_NE(options.error, "") << bad.back();
    }
    // Only the first error is kept, and the walk goes on past it.
    const LaunchOptions both = Parse({"--simulate=", "--model=x", "/Start"});
    EXPECT_EQ(both.error.find("--simulate="), 0u) << both.error;
    EXPECT_TRUE(both.start);
}

TEST(CommandLine, HelpAndVersionAndUnknownArguments) {
    EXPECT_TRUE(Parse({"--help"}).help);
    EXPECT_TRUE(Parse({"-h"}).help);
    EXPECT_TRUE(Parse({"--version"}).version);
    const LaunchOptions unknown = Parse({"--frobnicate", "file.fwc", "/X"});
    EXPECT_FALSE(unknown.help || unknown.version || unknown.kill || unknown.start ||
                 unknown.simulation.simulate || !unknown.error.empty());
    const std::string usage = UsageText("kestrow");
    for (const char* named : {"/Start", "/Kill", "--simulate", "--model", "--help", "--version"}) {
        EXPECT_NE(usage.find(named), std::string::npos) << named;
    }
}

TEST(CommandLine, TheLanguageChoice) {
    EXPECT_EQ(Parse({}).language, std::nullopt);
    EXPECT_EQ(Parse({"--language=en"}).language, 0x0409);
    EXPECT_EQ(Parse({"--language=pt-BR"}).language, 0x0416);
    const LaunchOptions separate = Parse({"--language", "PT_br", "/Start"});
    EXPECT_EQ(separate.language, 0x0416);
    EXPECT_TRUE(separate.start);
    EXPECT_EQ(separate.error, "");

    // A language we do not have, or none at all, is said, not ignored.
    for (const std::vector<std::string>& bad :
         {std::vector<std::string>{"--language=de"}, {"--language="}, {"--language"}}) {
        const LaunchOptions options = Parse(bad);
        EXPECT_EQ(options.language, std::nullopt) << bad[0];
        EXPECT_NE(options.error.find("--language"), std::string::npos) << bad[0];
    }
    // "--language" takes the next argument as its value, even one that looks like a switch.
    const LaunchOptions swallowed = Parse({"--language", "/Kill"});
    EXPECT_FALSE(swallowed.kill);
    EXPECT_NE(swallowed.error, "");
}
