// SPDX-License-Identifier: GPL-3.0-or-later
// The on-screen keyboard: found on PATH, started detached unless one runs, and the dialog's
// button without one. PATH is the test's own.

#include "editors/OnScreenKeyboard.h"

#include "CompositeTestSupport.h"
#include "skin/Language.h"
#include "skin/ui/CPngButton.h"
#include "support/ScopedEnv.h"
#include "support/TempDir.h"

#include <QProcess>
#include <QTest>
#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

namespace {

// An executable script in folder called name.
void WriteProgram(const fs::path& folder, const std::string& name, const std::string& body) {
    const fs::path file = folder / name;
    std::ofstream(file) << "#!/bin/sh\n" << body << "\n";
    fs::permissions(file, fs::perms::owner_all);
}

std::string FirstLine(const fs::path& file) {
    std::string line;
    std::ifstream in(file);
    std::getline(in, line);
    return line;
}

class OnScreenKeyboardTest : public CompositeTest {
protected:
    TempDir bin_;
    ScopedEnv path_{"PATH", bin_.path().string()};
};

TEST_F(OnScreenKeyboardTest, WithoutOneTheButtonIsOffAndSaysWhatToInstall) {
    EXPECT_TRUE(OnScreenKeyboardProgram().isEmpty());
    EXPECT_FALSE(StartOnScreenKeyboard());
    dialog_->Open(kRecordA, kButtonA);
    auto* button = Control<CPngButton>(Kestrow_DlgComposite::kIdOnScreenKeyboard);
    EXPECT_FALSE(button->isEnabled());
    EXPECT_EQ(button->TooltipText().toStdString(),
              LangText("COMPOSITE_OSK_MISSING", CurrentLanguageIndex()));
    EXPECT_NE(button->TooltipText().indexOf("onboard"), -1);
}

// One case for both: a keyboard this test runs must not meet a start of another case.
TEST_F(OnScreenKeyboardTest, StartsOnboardBeforeFlorenceUnlessOneRuns) {
    const fs::path started = bin_.path() / "started";
    WriteProgram(bin_.path(), "florence", "echo florence >> '" + started.string() + "'");
    EXPECT_EQ(OnScreenKeyboardProgram(),
              QString::fromStdString((bin_.path() / "florence").string()));
    WriteProgram(bin_.path(), "onboard", "echo onboard >> '" + started.string() + "'");
    dialog_->Open(kRecordA, kButtonA);
    auto* button = Control<CPngButton>(Kestrow_DlgComposite::kIdOnScreenKeyboard);
    ASSERT_TRUE(button->isEnabled());
    EXPECT_EQ(button->TooltipText().toStdString(),
              LangText("COMPOSITE_PROMPT_OSK", CurrentLanguageIndex()));
    button->click();
    // The file is there before the line is written.
    ASSERT_TRUE(QTest::qWaitFor([&] { return !FirstLine(started).empty(); }, 5000));
    EXPECT_EQ(FirstLine(started), "onboard");
    ASSERT_TRUE(QTest::qWaitFor([] { return !OnScreenKeyboardRunning(); }, 5000));

    // A florence that stays: the keyboard that runs.
    fs::remove(started);
    const fs::path staying = bin_.path() / "staying";
    fs::create_directory(staying);
    WriteProgram(staying, "florence", "while true; do sleep 1; done");
    QProcess running;
    running.start(QString::fromStdString((staying / "florence").string()), {});
    ASSERT_TRUE(running.waitForStarted());
    ASSERT_TRUE(QTest::qWaitFor([] { return OnScreenKeyboardRunning(); }, 5000));
    EXPECT_TRUE(StartOnScreenKeyboard());
    button->click();
    running.kill();
    running.waitForFinished();
    EXPECT_FALSE(fs::exists(started));
}

} // namespace
