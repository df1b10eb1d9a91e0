// SPDX-License-Identifier: GPL-3.0-or-later
// The built program started as a user would: single instance, the close request, a missing
// skin picture, the user's first colour files, the resident program.

#include "AppTestSupport.h"
#include "platform/ProgramNames.h"
#include "platform/SettingsHive.h"
#include "support/ThreadWait.h"

#include <QProcess>
#include <csignal>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

// Hang guards only; nothing here asserts on time.
constexpr int kGuardMs = 30000;

std::string Lines(const fs::path& report) {
    return ReadFileBytes(report);
}

bool Contains(const fs::path& report, const std::string& line) {
    return ("\n" + Lines(report)).find("\n" + line) != std::string::npos;
}

// A program folder with the executable and its data; `except` left out.
fs::path ProgramCopy(const TempDir& dir, const std::string& except = {}) {
    const fs::path folder = dir / "program";
    CopyProgramData(folder, except);
    std::error_code error;
    fs::create_hard_link(BinFolder() / "kestrow", folder / "kestrow", error);
    if (error) {
        fs::copy_file(BinFolder() / "kestrow", folder / "kestrow");
    }
    return folder;
}

class Kestrow : public testing::Test {
protected:
    fs::path Runtime() const { return dir_ / "runtime"; }
    fs::path UserData() const { return dir_ / "data" / "Halvex  KB01"; }
    fs::path Report(const std::string& name) const { return dir_ / (name + ".report"); }

    void SetUp() override {
        for (const char* sub : {"runtime", "config", "data"}) {
            fs::create_directories(dir_ / sub);
            fs::permissions(dir_ / sub, fs::perms::owner_all, fs::perm_options::replace);
        }
    }

    // Starts kestrow from programFolder (the build's by default), reporting into report.
    std::unique_ptr<QProcess> Start(const QStringList& arguments, const fs::path& report,
                                    const fs::path& programFolder = BinFolder()) {
        auto process = std::make_unique<QProcess>();
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_QPA_PLATFORM", "offscreen");
        env.insert("XDG_RUNTIME_DIR", QString::fromStdString(Runtime().string()));
        env.insert("XDG_CONFIG_HOME", QString::fromStdString((dir_ / "config").string()));
        env.insert("XDG_DATA_HOME", QString::fromStdString((dir_ / "data").string()));
        env.insert("TMPDIR", QString::fromStdString(dir_.path().string()));
        env.insert("KESTROW_REPORT_READY", QString::fromStdString(report.string()));
        process->setProcessEnvironment(env);
        process->start(QString::fromStdString((programFolder / "kestrow").string()), arguments);
        EXPECT_TRUE(process->waitForStarted(kGuardMs));
        return process;
    }

    // Runs kestrow to its end; returns its exit code (-1 when it crashed or hung).
    int Run(const QStringList& arguments, const fs::path& report,
            const fs::path& programFolder = BinFolder()) {
        std::unique_ptr<QProcess> process = Start(arguments, report, programFolder);
        return ExitCodeOf(*process);
    }

    // What the child process writes has no event to wait on: polled.
    static bool WaitFor(const std::function<bool()>& condition) {
        return WaitUntil(condition, kGuardMs);
    }

    // Starts the first instance and waits until its main window is initialised. It stays in the
    // notification area, with a simulated keyboard so that no test ever reaches a real one.
    std::unique_ptr<QProcess> StartFirst(const fs::path& programFolder = BinFolder()) {
        std::unique_ptr<QProcess> first =
            Start({"/Start", "--simulate"}, Report("first"), programFolder);
        EXPECT_TRUE(WaitFor([&] { return Contains(Report("first"), "ready ms="); }))
            << Lines(Report("first"));
        return first;
    }

    static int ExitCodeOf(QProcess& process) {
        // waitForFinished is false for a process that has already ended.
        if (process.state() != QProcess::NotRunning && !process.waitForFinished(kGuardMs)) {
            ADD_FAILURE() << "kestrow did not end: "
                          << process.readAllStandardError().toStdString();
            process.kill();
            process.waitForFinished();
            return -1;
        }
        if (process.exitStatus() != QProcess::NormalExit) {
            ADD_FAILURE() << "kestrow crashed: " << process.errorString().toStdString() << "\n"
                          << process.readAllStandardError().toStdString();
            return -1;
        }
        return process.exitCode();
    }

    TempDir dir_;
};

} // namespace

TEST_F(Kestrow, ASecondStartHandsOverOpenAndEndsWithoutAWindow) {
    std::unique_ptr<QProcess> first = StartFirst();
    EXPECT_FALSE(Contains(Report("first"), "shown")); // the first start stays hidden

    EXPECT_EQ(Run({}, Report("second")), 0);
    EXPECT_EQ(Lines(Report("second")), ""); // no window initialised, nothing shown
    // The first instance took it and handed it to its main window.
    EXPECT_TRUE(Contains(Report("first"), "received message=0x5350 wparam=0x4F50454E window=1"))
        << Lines(Report("first"));

    // "/Start" changes nothing about the hand-over.
    EXPECT_EQ(Run({"/Start"}, Report("third")), 0);
    EXPECT_EQ(Lines(Report("third")), "");

    EXPECT_EQ(Run({"/Kill"}, Report("kill")), 0);
    EXPECT_EQ(ExitCodeOf(*first), 0);
    EXPECT_TRUE(Contains(Report("first"), "received message=0x4D4B wparam=0x4C4C494B window=1"));
    EXPECT_TRUE(Contains(Report("first"), "closed"));
}

TEST_F(Kestrow, AStartSwitchLaunchWithoutANotificationAreaStartsMinimized) {
    // The offscreen desktop of the tests has no notification area.
    std::unique_ptr<QProcess> first = StartFirst();
    EXPECT_TRUE(WaitFor([&] { return Contains(Report("first"), "minimized"); }))
        << Lines(Report("first"));
    EXPECT_FALSE(Contains(Report("first"), "shown"));
    EXPECT_EQ(Run({"/Kill"}, Report("kill")), 0);
    EXPECT_EQ(ExitCodeOf(*first), 0);
}

TEST_F(Kestrow, TheCloseRequestInAnyLetterCase) {
    for (const char* kill : {"/kill", "/KILL", "--kill"}) {
        std::unique_ptr<QProcess> first = StartFirst();
        EXPECT_EQ(Run({kill}, Report("kill")), 0) << kill;
        EXPECT_EQ(ExitCodeOf(*first), 0) << kill;
        EXPECT_TRUE(Contains(Report("first"), "closed")) << kill;
        EXPECT_EQ(Lines(Report("kill")), "") << kill;
        fs::remove(Report("first"));
    }
}

TEST_F(Kestrow, CloseRequestWithoutAnInstanceEndsAtOnceAndLeavesNothingRunning) {
    EXPECT_EQ(Run({"/Kill"}, Report("kill")), 0);
    EXPECT_EQ(Lines(Report("kill")), "");
    EXPECT_FALSE(fs::exists(fs::symlink_status(Runtime() / "QX20B37C")));
    EXPECT_FALSE(fs::exists(UserData())); // it ended before start-up went that far

    // The next ordinary start is the first instance.
    std::unique_ptr<QProcess> first = StartFirst();
    EXPECT_EQ(Run({"--kill"}, Report("kill")), 0);
    EXPECT_EQ(ExitCodeOf(*first), 0);
}

TEST_F(Kestrow, AMissingSkinPictureEndsWithZeroBeforeAnyWindow) {
    TempDir copy;
    const fs::path program = ProgramCopy(copy, "Skins/main_color0.jpg");
    EXPECT_EQ(Run({}, Report("missing"), program), 0);
    EXPECT_EQ(Lines(Report("missing")), ""); // never initialised, never shown
    // It left the single instance free for the next start.
    EXPECT_FALSE(fs::exists(fs::symlink_status(Runtime() / "QX20B37C")));
    EXPECT_EQ(Run({"/Kill"}, Report("kill")), 0);
    EXPECT_EQ(Lines(Report("kill")), "");
}

TEST_F(Kestrow, TheFirstRunGivesTheUserThreeColourFilesAndLaterRunsKeepThem) {
    ASSERT_FALSE(fs::exists(UserData()));
    std::unique_ptr<QProcess> first = StartFirst();
    const std::string colourTemplate = ReadFileBytes(BinFolder() / "Skins/UserDengColor_3.userd");
    ASSERT_FALSE(colourTemplate.empty());
    for (int profile = 0; profile < 3; ++profile) {
        const fs::path file = UserData() / ("UserDengColor_" + std::to_string(profile) + ".userd");
        EXPECT_EQ(ReadFileBytes(file), colourTemplate) << file;
    }
    EXPECT_FALSE(fs::exists(UserData() / "UserDengColor_3.userd"));
    EXPECT_EQ(Run({"/Kill"}, Report("kill")), 0);
    EXPECT_EQ(ExitCodeOf(*first), 0);

    const fs::path mine = UserData() / "UserDengColor_1.userd";
    {
        std::ofstream out(mine, std::ios::trunc);
        out << "[PRESENTMODE]\nmode=4\n";
    }
    fs::remove(Report("first"));
    std::unique_ptr<QProcess> second = StartFirst();
    EXPECT_EQ(ReadFileBytes(mine), "[PRESENTMODE]\nmode=4\n");
    EXPECT_EQ(ReadFileBytes(UserData() / "UserDengColor_0.userd"), colourTemplate);
    EXPECT_EQ(Run({"/Kill"}, Report("kill")), 0);
    EXPECT_EQ(ExitCodeOf(*second), 0);
}

TEST_F(Kestrow, TheInstanceSocketAndLockAreThisUsersOnly) {
    std::unique_ptr<QProcess> first = StartFirst();
    struct stat socket {
    }, lock{}, folder{};
    ASSERT_EQ(::lstat((Runtime() / "QX20B37C").c_str(), &socket), 0);
    ASSERT_EQ(::lstat((Runtime() / "QX20B37C.lock").c_str(), &lock), 0);
    ASSERT_EQ(::lstat(Runtime().c_str(), &folder), 0);
    EXPECT_TRUE(S_ISSOCK(socket.st_mode));
    EXPECT_EQ(socket.st_mode & 077, 0u);
    EXPECT_EQ(socket.st_uid, ::geteuid());
    EXPECT_EQ(lock.st_mode & 0777, 0600u);
    EXPECT_EQ(folder.st_mode & 0777, 0700u);
    EXPECT_EQ(Run({"/Kill"}, Report("kill")), 0);
    EXPECT_EQ(ExitCodeOf(*first), 0);
    EXPECT_FALSE(fs::exists(fs::symlink_status(Runtime() / "QX20B37C")));
}

TEST_F(Kestrow, ARuntimeFolderOpenToOthersIsNotUsed) {
    fs::permissions(Runtime(), fs::perms::group_all | fs::perms::others_all, fs::perm_options::add);
    std::unique_ptr<QProcess> first = StartFirst();
    EXPECT_FALSE(fs::exists(fs::symlink_status(Runtime() / "QX20B37C")));
    const fs::path own = dir_ / ("kestrow-" + std::to_string(::geteuid()));
    struct stat st {};
    ASSERT_EQ(::lstat(own.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    EXPECT_TRUE(fs::exists(fs::symlink_status(own / "QX20B37C")));
    // Later starts find it there all the same.
    EXPECT_EQ(Run({"/Kill"}, Report("kill")), 0);
    EXPECT_EQ(ExitCodeOf(*first), 0);
}

TEST_F(Kestrow, AnInstanceThatWasKilledDoesNotBlockTheNextStart) {
    std::unique_ptr<QProcess> crashed = StartFirst();
    ::kill(static_cast<pid_t>(crashed->processId()), SIGKILL);
    crashed->waitForFinished(kGuardMs);
    ASSERT_TRUE(fs::exists(fs::symlink_status(Runtime() / "QX20B37C"))); // left behind

    fs::remove(Report("first"));
    std::unique_ptr<QProcess> next = StartFirst();
    EXPECT_EQ(Run({}, Report("second")), 0);
    EXPECT_TRUE(Contains(Report("first"), "received message=0x5350 wparam=0x4F50454E window=1"));
    EXPECT_EQ(Run({"/Kill"}, Report("kill")), 0);
    EXPECT_EQ(ExitCodeOf(*next), 0);
}

TEST_F(Kestrow, TheStartRemovesWhatAKilledWriteLeftAndNothingElse) {
    // What a run killed in the middle of writing leaves: the unlocked temporary files beside
    // the working file, a colour file, wskb.ini and the settings.
    const fs::path hive = dir_ / "config" / "Halvex  KB01";
    fs::create_directories(UserData());
    fs::create_directories(hive);
    const std::vector<fs::path> stale = {
        UserData() / ".$Profile0.Ab3dE9", UserData() / ".UserDengColor_2.userd.x1y2z3",
        UserData() / ".wskb.ini.QWERTY", hive / ".registry.ini.k8j7h6"};
    const fs::path notOurs = UserData() / ".notes.txt.abcdef";
    for (const fs::path& file : stale) {
        std::ofstream(file) << "half";
    }
    std::ofstream(notOurs) << "someone else's";

    std::unique_ptr<QProcess> first = StartFirst();
    for (const fs::path& file : stale) {
        EXPECT_FALSE(fs::exists(file)) << file;
    }
    EXPECT_TRUE(fs::exists(notOurs));
    EXPECT_EQ(Run({"/Kill"}, Report("kill")), 0);
    EXPECT_EQ(ExitCodeOf(*first), 0);
}

TEST_F(Kestrow, TheResidentProgramIsStartedByTheFirstInstanceOnly) {
    TempDir copy;
    const fs::path program = ProgramCopy(copy);
    const fs::path marker = dir_ / "ondrel-starts";
    {
        std::ofstream out(program / "Ondrel");
        out << "#!/bin/sh\necho started >> '" << marker.string() << "'\n";
    }
    fs::permissions(program / "Ondrel", fs::perms::owner_exec, fs::perm_options::add);

    std::unique_ptr<QProcess> first = StartFirst(program);
    EXPECT_TRUE(WaitFor([&] { return ReadFileBytes(marker) == "started\n"; }));
    EXPECT_EQ(Run({}, Report("second"), program), 0);
    EXPECT_EQ(Run({"/Kill"}, Report("kill"), program), 0);
    EXPECT_EQ(ExitCodeOf(*first), 0);
    EXPECT_EQ(ReadFileBytes(marker), "started\n");
}

TEST_F(Kestrow, HelpAndVersionPrintAndEnd) {
    for (const char* option : {"--help", "--version"}) {
        std::unique_ptr<QProcess> process = Start({option}, Report("info"));
        EXPECT_EQ(ExitCodeOf(*process), 0);
        const QString out = QString::fromUtf8(process->readAllStandardOutput());
        EXPECT_TRUE(out.startsWith(option == std::string("--help") ? "Usage: kestrow" : "kestrow "))
            << out.toStdString();
    }
    EXPECT_EQ(Lines(Report("info")), "");
    EXPECT_FALSE(fs::exists(Runtime() / "QX20B37C.lock"));
}

TEST_F(Kestrow, TheSimulatedKeyboardIsChosenByTheFirstInstanceOnly) {
    const fs::path state = dir_ / "state" / "keyboard.sim";
    fs::create_directories(state.parent_path());
    std::unique_ptr<QProcess> first =
        Start({"--simulate=" + QString::fromStdString(state.string()), "--model=320f:5000"},
              Report("first"));
    ASSERT_TRUE(WaitFor([&] { return Contains(Report("first"), "ready ms="); }));
    EXPECT_TRUE(fs::exists(state)); // the simulated keyboard keeps its memory there

    // A later start hands over and ends; its own state file is never made.
    const fs::path other = dir_ / "state" / "other.sim";
    EXPECT_EQ(Run({"--simulate=" + QString::fromStdString(other.string())}, Report("second")), 0);
    EXPECT_FALSE(fs::exists(other));
    EXPECT_TRUE(WaitFor([&] { return Contains(Report("first"), "shown"); }));
    EXPECT_EQ(Run({"/Kill"}, Report("kill")), 0);
    EXPECT_EQ(ExitCodeOf(*first), 0);
}

TEST_F(Kestrow, AKeyboardThatCannotBeSimulatedIsAnErrorNotASilentStart) {
    // A malformed option: said at once, nothing started.
    std::unique_ptr<QProcess> bad = Start({"--simulate", "--model=1234:5678"}, Report("bad"));
    EXPECT_EQ(ExitCodeOf(*bad), 2);
    EXPECT_NE(bad->readAllStandardError().indexOf("--model"), -1);
    EXPECT_FALSE(fs::exists(Runtime() / "QX20B37C.lock"));

    // A damaged state file: the first instance ends with 1 and leaves the instance free.
    const fs::path state = dir_ / "damaged.sim";
    {
        std::ofstream out(state);
        out << "not a keyboard";
    }
    std::unique_ptr<QProcess> damaged =
        Start({"--simulate=" + QString::fromStdString(state.string())}, Report("damaged"));
    EXPECT_EQ(ExitCodeOf(*damaged), 1);
    EXPECT_EQ(Lines(Report("damaged")), "");
    EXPECT_EQ(ReadFileBytes(state), "not a keyboard");
    std::unique_ptr<QProcess> first = StartFirst();
    EXPECT_EQ(Run({"/Kill"}, Report("kill")), 0);
    EXPECT_EQ(ExitCodeOf(*first), 0);
}

TEST_F(Kestrow, TheLanguageChoiceRelabelsTheRunningProgramAndIsKept) {
    const ScopedEnv all("LC_ALL", std::nullopt);
    const ScopedEnv messages("LC_MESSAGES", std::nullopt);
    const ScopedEnv lang("LANG", "C");
    const fs::path hive = dir_ / "config" / "Halvex  KB01" / "registry.ini";
    const auto stored = [&] {
        return SettingsHive(hive).ReadDword(kAppRegistryKey, "dwLanguageId");
    };

    // A first start in the C locale takes English, and keeps it as the choice.
    std::unique_ptr<QProcess> first = StartFirst();
    EXPECT_TRUE(WaitFor([&] { return Contains(Report("first"), "language id=0x0409"); }))
        << Lines(Report("first"));
    EXPECT_EQ(stored(), 0x0409u);

    // A later start with a choice stores it, hands it over and ends without a window.
    std::unique_ptr<QProcess> bad = Start({"--language=de"}, Report("bad"));
    EXPECT_EQ(ExitCodeOf(*bad), 2);
    EXPECT_NE(bad->readAllStandardError().indexOf("--language"), -1);
    EXPECT_EQ(Run({"--language=pt-BR"}, Report("second")), 0);
    EXPECT_EQ(Lines(Report("second")), "");
    EXPECT_EQ(stored(), 0x0416u);
    EXPECT_TRUE(WaitFor([&] { return Contains(Report("first"), "language id=0x0416"); }))
        << Lines(Report("first"));
    EXPECT_TRUE(Contains(Report("first"), "received message=0x5041 wparam=0x4C414E47 window=1"));
    EXPECT_EQ(Run({"/Kill"}, Report("kill")), 0);
    EXPECT_EQ(ExitCodeOf(*first), 0);

    // The choice outlives the run, whatever the locale.
    fs::remove(Report("first"));
    std::unique_ptr<QProcess> next = StartFirst();
    EXPECT_TRUE(WaitFor([&] { return Contains(Report("first"), "language id=0x0416"); }))
        << Lines(Report("first"));
    EXPECT_EQ(Run({"/Kill"}, Report("kill")), 0);
    EXPECT_EQ(ExitCodeOf(*next), 0);

    // With nobody running, the start that chooses is the first instance, in its language.
    fs::remove(Report("first"));
    std::unique_ptr<QProcess> english =
        Start({"/Start", "--simulate", "--language=en"}, Report("first"));
    EXPECT_TRUE(WaitFor([&] { return Contains(Report("first"), "language id=0x0409"); }))
        << Lines(Report("first"));
    EXPECT_EQ(stored(), 0x0409u);
    EXPECT_EQ(Run({"/Kill"}, Report("kill")), 0);
    EXPECT_EQ(ExitCodeOf(*english), 0);
}
