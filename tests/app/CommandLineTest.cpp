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
        EXPECT_FALSE(options.simulate) << '"' << other << '"';
    }
}

TEST(CommandLine, TheWalkStopsAtTheCloseRequest) {
    const LaunchOptions before = Parse({"/Start", "--simulate=a", "/Kill", "--help", "--version"});
    EXPECT_TRUE(before.start);
    EXPECT_TRUE(before.simulate);
    EXPECT_TRUE(before.kill);
    EXPECT_FALSE(before.help);
    EXPECT_FALSE(before.version);
    EXPECT_FALSE(Parse({"/Kill", "/Start"}).start);
}

TEST(CommandLine, SimulatedKeyboardAndModel) {
    EXPECT_FALSE(Parse({}).simulate);

    const LaunchOptions bare = Parse({"--simulate"});
    EXPECT_TRUE(bare.simulate);
    EXPECT_EQ(bare.simulateStateFile, "");

    const LaunchOptions file = Parse({"--simulate=/tmp/a b/state=1.kbd"});
    EXPECT_TRUE(file.simulate);
    EXPECT_EQ(file.simulateStateFile, "/tmp/a b/state=1.kbd"); // only the first "=" splits

    // The last one given counts.
    EXPECT_EQ(Parse({"--simulate=one", "--simulate"}).simulateStateFile, "");
    EXPECT_EQ(Parse({"--model=320f:5000", "--model", "0c45:5004"}).model, "0c45:5004");
    EXPECT_EQ(Parse({"--model=320f:5000"}).model, "320f:5000");
    // "--model" as the last argument has no value and is ignored.
    EXPECT_FALSE(Parse({"--model"}).model.has_value());
}

TEST(CommandLine, HelpAndVersionAndUnknownArguments) {
    EXPECT_TRUE(Parse({"--help"}).help);
    EXPECT_TRUE(Parse({"-h"}).help);
    EXPECT_TRUE(Parse({"--version"}).version);
    const LaunchOptions unknown = Parse({"--frobnicate", "file.fwc", "/X"});
    EXPECT_FALSE(unknown.help || unknown.version || unknown.kill || unknown.start ||
                 unknown.simulate || unknown.model.has_value());
    const std::string usage = UsageText("kestrow");
    for (const char* named : {"/Start", "/Kill", "--simulate", "--model", "--help", "--version"}) {
        EXPECT_NE(usage.find(named), std::string::npos) << named;
    }
}
