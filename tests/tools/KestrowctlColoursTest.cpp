// SPDX-License-Identifier: GPL-3.0-or-later
// kestrowctl's user colour modes: `colours` uploads one mode of a colour file, `light
// --defaults` resets the profile's colour file from the template and uploads it.

#include "ParseCommandLine.h"
#include "model/Lighting.h"
#include "model/UserColourFile.h"
#include "support/KestrowctlFixture.h"
#include "tools/kestrowctl/CommandLine.h"

#include <algorithm>
#include <fstream>
#include <gtest/gtest.h>

namespace {

namespace fs = std::filesystem;

class KestrowctlColoursTest : public KestrowctlFixture {
protected:
    fs::path colours = home / "modes.userd";
    fs::path userFolder = home.path() / "data" / "Halvex  KB01";

    void Fresh(bool userColours = true) {
        SimKeyboardMemory memory = FactorySimKeyboardMemory(kSimModel5004);
        if (!userColours) {
            std::replace(memory.infoBlock.begin() + 12, memory.infoBlock.end(), uint8_t{20},
                         uint8_t{0});
        }
        ASSERT_EQ(SaveSimStateFile(state, memory), SimStateError::None);
    }
    static std::array<uint8_t, 3> Held(const SimKeyboardMemory& m, int profile, int slot) {
        const size_t at = 512 * static_cast<size_t>(profile) + 3 * static_cast<size_t>(slot);
        return {m.colourBanks[at], m.colourBanks[at + 1], m.colourBanks[at + 2]};
    }
};


// The colour writes, checked to be one run inside one session bracket.
std::vector<TracedRequest> ColourPieces(const std::vector<TracedRequest>& requests) {
    std::vector<TracedRequest> pieces;
    size_t first = requests.size();
    size_t last = 0;
    for (size_t i = 0; i < requests.size(); ++i) {
        if (requests[i].command == 17) {
            pieces.push_back(requests[i]);
            first = std::min(first, i);
            last = i;
        }
    }
    if (pieces.empty()) {
        return pieces;
    }
    EXPECT_EQ(last - first + 1, pieces.size()) << "other commands between the pieces";
    EXPECT_TRUE(first > 0 && requests[first - 1].command == 1);
    EXPECT_TRUE(last + 1 < requests.size() && requests[last + 1].command == 2);
    return pieces;
}

} // namespace

TEST(KestrowctlColoursCommandLine, NeedsProfileAndFileAndTakesAModeOfTen) {
    CtlOptions o;
    ASSERT_TRUE(Parse({"colours", "--profile", "1", "--file", "a.userd", "--mode=9"}, o));
    EXPECT_EQ(o.command, CtlCommand::Colours);
    EXPECT_EQ(o.profile, 1);
    EXPECT_EQ(o.file, "a.userd");
    EXPECT_EQ(o.mode, 9);
    ASSERT_TRUE(Parse({"colors", "--file=b", "--profile=0"}, o));
    EXPECT_FALSE(o.mode.has_value());

    std::string error;
    EXPECT_FALSE(Parse({"colours", "--file", "a"}, o, &error));
    EXPECT_NE(error.find("--profile"), std::string::npos);
    EXPECT_FALSE(Parse({"colours", "--profile", "0"}, o, &error));
    EXPECT_NE(error.find("--file"), std::string::npos);
    EXPECT_FALSE(Parse({"colours", "--profile", "0", "--file", ""}, o));
    EXPECT_FALSE(Parse({"colours", "--profile", "3", "--file", "a"}, o));
    EXPECT_FALSE(Parse({"colours", "--profile", "0", "--file", "a", "--mode", "10"}, o));
    EXPECT_FALSE(Parse({"colours", "--profile", "0", "--file", "a", "--mode", "-1"}, o));
    EXPECT_FALSE(Parse({"colours", "--profile", "0", "--file", "a", "extra"}, o));
    // The options of one command are not those of another.
    EXPECT_FALSE(Parse({"light", "--mode", "1"}, o));
    EXPECT_FALSE(Parse({"colours", "--profile", "0", "--file", "a", "--brightness", "1"}, o));
    EXPECT_FALSE(Parse({"--mode", "1", "colours"}, o, &error));
    EXPECT_NE(error.find("before the command"), std::string::npos);
}

TEST_F(KestrowctlColoursTest, TheModesColoursReachTheProfilesBankInEightPieces) {
    Fresh();
    std::ofstream(colours) << "[PRESENTMODE]\nmode=1\n[MODENAME]\n4=Sunset\n"
                              "[Mode1]\n0=9,9,9,0\n"
                              "[Mode4]\n0=10,20,30,0\n47=1,2,3,1\n116=4,5,6,0\n75=7,8,9,0\n"
                              "125=11,12,13,1\n111=200,0,100,0\n";
    CtlRun run =
        Ctl({"--trace", "colours", "--profile", "1", "--file", colours.string(), "--mode", "4"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_NE(run.out.find("mode 4 (Sunset)"), std::string::npos) << run.out;
    const std::vector<TracedRequest> pieces = ColourPieces(TracedRequests(run.err));
    ASSERT_EQ(pieces.size(), 8u);
    for (size_t i = 0; i < pieces.size(); ++i) {
        EXPECT_EQ(pieces[i].length, 54);
    }
    // Keys without an entry are sent red, and said so.
    EXPECT_NE(run.err.find("are sent red"), std::string::npos) << run.err;

    const SimKeyboardMemory memory = Memory();
    EXPECT_EQ(Held(memory, 1, 0), (std::array<uint8_t, 3>{10, 20, 30}));
    EXPECT_EQ(Held(memory, 1, 47), (std::array<uint8_t, 3>{1, 2, 3}));
    EXPECT_EQ(Held(memory, 1, 116), (std::array<uint8_t, 3>{4, 5, 6}));
    EXPECT_EQ(Held(memory, 1, 75), (std::array<uint8_t, 3>{7, 8, 9}));
    EXPECT_EQ(Held(memory, 1, 125), (std::array<uint8_t, 3>{11, 12, 13}));
    EXPECT_EQ(Held(memory, 1, 111), (std::array<uint8_t, 3>{200, 0, 100}));
    EXPECT_EQ(Held(memory, 1, KeyColourSlot(0x01E)), (std::array<uint8_t, 3>{255, 0, 0}));
    // The other banks are untouched.
    EXPECT_TRUE(std::all_of(memory.colourBanks.begin(), memory.colourBanks.begin() + 512,
                            [](uint8_t b) { return b == 0; }));

    // Without --mode the file's selected mode goes out.
    run = Ctl({"colours", "--profile", "2", "--file", colours.string()});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(Held(Memory(), 2, 0), (std::array<uint8_t, 3>{9, 9, 9}));
}

TEST_F(KestrowctlColoursTest, ABadFileOrModeSendsNothing) {
    Fresh();
    const SimKeyboardMemory before = Memory();
    std::ofstream(colours) << "[Mode0]\n0=1,2,3,0\n";
    const auto sendsNothing = [&](std::vector<std::string> args, int exitCode) {
        args.insert(args.begin(), "--trace");
        const CtlRun run = Ctl(args);
        EXPECT_EQ(run.exitCode, exitCode) << run.err;
        EXPECT_TRUE(TracedRequests(run.err).empty());
        EXPECT_EQ(Memory(), before);
    };
    sendsNothing({"colours", "--profile", "0", "--file", (home / "none.userd").string()}, 1);
    sendsNothing({"colours", "--profile", "0", "--file", home.path().string()}, 1);
    // A file without the mode would paint every key red.
    sendsNothing({"colours", "--profile", "0", "--file", colours.string(), "--mode", "3"}, 1);
    sendsNothing({"colours", "--profile", "0", "--file", colours.string(), "--mode", "x"}, 2);
    sendsNothing({"colours", "--profile", "0", "--file", colours.string(), "--mode", "10"}, 2);
    sendsNothing({"colours", "--file", colours.string()}, 2);
    // The file's own selection names a mode it does not hold.
    std::ofstream(colours) << "[PRESENTMODE]\nmode=5\n[Mode0]\n0=1,2,3,0\n";
    sendsNothing({"colours", "--profile", "0", "--file", colours.string()}, 1);

    const CtlRun help = RunKestrowctl({"--help"}, home.path());
    EXPECT_NE(help.out.find("colours --profile N --file USERD [--mode M]"), std::string::npos);
}

TEST_F(KestrowctlColoursTest, DefaultsResetTheUserColourFileAndUploadIt) {
    Fresh();
    const fs::path templateFile =
        fs::path(KESTROWCTL_PATH).parent_path() / "Skins" / "UserDengColor_3.userd";
    const std::string templateBytes = ReadFileBytes(templateFile);
    ASSERT_FALSE(templateBytes.empty());
    fs::create_directories(userFolder);
    const fs::path mine = userFolder / "UserDengColor_2.userd";
    std::ofstream(mine) << "[PRESENTMODE]\nmode=0\n[Mode0]\n0=1,1,1,0\n";
    std::ofstream(userFolder / "UserDengColor_1.userd") << "other profile";

    const CtlRun run = Ctl({"--trace", "light", "--profile", "2", "--defaults"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(ReadFileBytes(mine), templateBytes);
    EXPECT_EQ(ReadFileBytes(userFolder / "UserDengColor_1.userd"), "other profile");

    // Effect 1 first, then the colours, then the default record.
    const std::vector<TracedRequest> requests = TracedRequests(run.err);
    ASSERT_EQ(ColourPieces(requests).size(), 8u);
    const auto firstPiece = std::find_if(requests.begin(), requests.end(),
                                         [](const TracedRequest& r) { return r.command == 17; });
    const auto record = std::find_if(requests.begin(), requests.end(), [](const TracedRequest& r) {
        return r.command == 6 && r.length == 35;
    });
    const auto effect = std::find_if(requests.begin(), requests.end(),
                                     [](const TracedRequest& r) { return r.command == 6; });
    EXPECT_TRUE(effect < firstPiece && firstPiece < record);

    // The keyboard holds the colours of the mode the template selects.
    Lighting() = LightingModel{};
    const UserColourFile file = UserColourFile::Read(templateFile);
    ASSERT_EQ(LoadModeColours(file, 2, file.SelectedMode()), 0);
    const SimKeyboardMemory memory = Memory();
    const auto& expected = Lighting().keyColourBanks[2];
    EXPECT_TRUE(std::equal(expected.begin(), expected.begin() + 8 * 54,
                           memory.colourBanks.begin() + 2 * 512));
}

TEST_F(KestrowctlColoursTest, DefaultsLeaveTheColoursAloneWithoutUserColourModes) {
    Fresh(false);
    fs::create_directories(userFolder);
    const fs::path mine = userFolder / "UserDengColor_0.userd";
    std::ofstream(mine) << "mine";
    const CtlRun run = Ctl({"--trace", "light", "--profile", "0", "--defaults"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(ReadFileBytes(mine), "mine");
    EXPECT_TRUE(ColourPieces(TracedRequests(run.err)).empty());
}
