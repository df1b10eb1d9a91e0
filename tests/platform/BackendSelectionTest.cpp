// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/hid/BackendSelection.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>

namespace {

// Puts the hidraw backend back, whatever a test installed.
class BackendSelection : public ::testing::Test {
protected:
    void TearDown() override { SetCurrentHidBackend(nullptr); }
};

} // namespace

TEST_F(BackendSelection, TakesOurOptionsAndLeavesTheRestInOrder) {
    std::vector<std::string> args = {"kestrow", "/Start",    "--simulate=/tmp/k.state",
                                     "--model", "320F:5000", "--kill"};
    SimulationOptions options;
    std::string error;
    ASSERT_TRUE(ExtractSimulationOptions(args, options, error)) << error;
    EXPECT_EQ(args, (std::vector<std::string>{"kestrow", "/Start", "--kill"}));
    EXPECT_TRUE(options.simulate);
    EXPECT_EQ(options.stateFile, "/tmp/k.state");
    ASSERT_TRUE(options.model);
    EXPECT_EQ(*options.model, kSimModel5000);

    args = {"--model=0c45:5004", "--simulate"};
    options = {};
    ASSERT_TRUE(ExtractSimulationOptions(args, options, error)) << error;
    EXPECT_TRUE(args.empty());
    EXPECT_TRUE(options.simulate);
    EXPECT_TRUE(options.stateFile.empty());
    EXPECT_EQ(options.model, kSimModel5004);

    // Look-alikes are not ours.
    size_t index = 0;
    const std::vector<std::string> others = {"--simulated", "-simulate", "--models", "simulate"};
    for (index = 0; index < others.size(); ++index) {
        size_t at = index;
        EXPECT_EQ(TakeSimulationArgument(others, at, options, error), SimArgResult::NotOurs)
            << others[index];
        EXPECT_EQ(at, index);
    }
}

TEST_F(BackendSelection, MalformedOptionsAreErrorsThatChangeNothing) {
    for (const std::vector<std::string>& bad : {std::vector<std::string>{"--simulate="},
                                                {"--model"},
                                                {"--model", "046d:c077"},
                                                {"--model=0c45-5004"},
                                                {"--model=0c45:50040"},
                                                {"--model=0x45:5004"}}) {
        std::vector<std::string> args = bad;
        args.insert(args.begin(), "--simulate");
        SimulationOptions options;
        std::string error;
        EXPECT_FALSE(ExtractSimulationOptions(args, options, error)) << bad[0];
        EXPECT_FALSE(error.empty());
        EXPECT_EQ(args.size(), bad.size() + 1) << "arguments untouched";
        EXPECT_FALSE(options.simulate) << "options untouched";
    }
}

TEST_F(BackendSelection, WithoutSimulateTheBackendStays) {
    SetCurrentHidBackend(std::make_shared<SimulatedKeyboard>());
    HidBackend* before = &CurrentHidBackend();
    std::string error;
    EXPECT_TRUE(SelectHidBackend(SimulationOptions{}, error));
    EXPECT_EQ(&CurrentHidBackend(), before);

    SimulationOptions modelOnly;
    modelOnly.model = kSimModel5000;
    EXPECT_FALSE(SelectHidBackend(modelOnly, error));
    EXPECT_NE(error.find("--simulate"), std::string::npos);
}

TEST_F(BackendSelection, InstallsTheSimulatedKeyboardOfTheChosenModel) {
    SimulationOptions options;
    options.simulate = true;
    options.model = kSimModel5000;
    std::string error;
    ASSERT_TRUE(SelectHidBackend(options, error)) << error;
    const auto keyboard = InstalledSimulatedKeyboard();
    ASSERT_NE(keyboard, nullptr);
    EXPECT_EQ(&CurrentHidBackend(), keyboard.get());
    EXPECT_EQ(keyboard->Model(), kSimModel5000);
    std::vector<std::string> paths;
    ASSERT_TRUE(CurrentHidBackend().ListInterfaces(paths));
    ASSERT_EQ(paths.size(), 3u);
    EXPECT_NE(paths[2].find("vid_320f&pid_5000"), std::string::npos);
}

TEST_F(BackendSelection, StateFileDecidesTheModelAndMustAgreeWithModel) {
    TempDir dir;
    const auto file = dir / "kbd.state";
    {
        SimulatedKeyboard big(kSimModel5000);
        big.ChangeProfileOnKeyboard(1);
        ASSERT_EQ(big.SaveState(file), SimStateError::None);
    }
    SimulationOptions options;
    options.simulate = true;
    options.stateFile = file.string();
    std::string error;
    ASSERT_TRUE(SelectHidBackend(options, error)) << error;
    auto keyboard = InstalledSimulatedKeyboard();
    EXPECT_EQ(keyboard->Model(), kSimModel5000);
    EXPECT_EQ(keyboard->ActiveProfile(), 1);

    options.model = kSimModel5004;
    EXPECT_FALSE(SelectHidBackend(options, error));
    EXPECT_NE(error.find("other keyboard model"), std::string::npos) << error;
    EXPECT_EQ(InstalledSimulatedKeyboard(), keyboard) << "nothing new installed";

    const auto damaged = dir.write("damaged.state", "KSIMKBD");
    options.model.reset();
    options.stateFile = damaged.string();
    EXPECT_FALSE(SelectHidBackend(options, error));
    EXPECT_NE(error.find("damaged.state"), std::string::npos) << error;
    EXPECT_EQ(InstalledSimulatedKeyboard(), keyboard);

    // A state file that does not exist yet is created with a fresh keyboard.
    options.stateFile = (dir / "new.state").string();
    ASSERT_TRUE(SelectHidBackend(options, error)) << error;
    EXPECT_TRUE(std::filesystem::exists(dir / "new.state"));
    EXPECT_EQ(InstalledSimulatedKeyboard()->Model(), kSimModel5004);
}
