// SPDX-License-Identifier: GPL-3.0-or-later
// Key capture on a real X server: Xvfb with keys typed through XTest (xdotool), so that the
// road from an X keycode to the program's key code runs as a user's keyboard drives it. Skips
// only where no X server can be started.

#include "CompositeTestSupport.h"
#include "editors/MacroPage.h"
#include "model/KeyInputCodes.h"
#include "skin/ui/CPngButton.h"

#include <QApplication>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>
#include <csignal>
#include <cstdlib>
#include <memory>
#include <poll.h>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

constexpr int kServerStartMs = 10000;

// A private X server on the first free display; its number is written to a pipe.
class XServer {
public:
    XServer() {
        int fds[2];
        if (pipe(fds) != 0) {
            why_ = "no pipe";
            return;
        }
        const std::string fd = std::to_string(fds[1]);
        const char* argv[] = {"Xvfb",         "-displayfd", fd.c_str(), "-screen", "0",
                              "1280x1024x24", "-nolisten",  "tcp",      nullptr};
        if (posix_spawnp(&pid_, "Xvfb", nullptr, nullptr, const_cast<char**>(argv), environ) != 0) {
            pid_ = -1;
            why_ = "Xvfb cannot be started (is the xvfb package installed?)";
        }
        close(fds[1]);
        std::string number;
        pollfd wait{fds[0], POLLIN, 0};
        while (pid_ > 0 && poll(&wait, 1, kServerStartMs) > 0) {
            char c = 0;
            if (read(fds[0], &c, 1) != 1 || c == '\n') {
                break;
            }
            number += c;
        }
        close(fds[0]);
        if (pid_ > 0 && number.empty()) {
            why_ = "Xvfb did not report a display";
            Stop();
        }
        display_ = number.empty() ? std::string() : ":" + number;
    }
    ~XServer() { Stop(); }

    const std::string& Display() const { return display_; }
    const std::string& Why() const { return why_; }

private:
    void Stop() {
        if (pid_ > 0) {
            kill(pid_, SIGTERM);
            waitpid(pid_, nullptr, 0);
            pid_ = -1;
        }
    }
    pid_t pid_ = -1;
    std::string display_;
    std::string why_;
};

class X11Capture : public CompositeTest {
protected:
    static void SetUpTestSuite() {
        server_ = std::make_unique<XServer>();
        if (server_->Display().empty()) {
            return;
        }
        setenv("DISPLAY", server_->Display().c_str(), 1);
        setenv("QT_QPA_PLATFORM", "xcb", 1);
        static int argc = 1;
        static char name[] = "editors_x11_tests";
        static char* argv[] = {name, nullptr};
        app_ = std::make_unique<QApplication>(argc, argv);
    }
    static void TearDownTestSuite() {
        app_.reset();
        server_.reset();
    }

    void SetUp() override {
        if (!app_) {
            GTEST_SKIP() << "no X server: " << server_->Why();
        }
        ASSERT_EQ(QGuiApplication::platformName(), QLatin1String("xcb"));
        CompositeTest::SetUp();
    }
    void TearDown() override {
        if (app_) {
            CompositeTest::TearDown();
        }
    }

    // Types through the X server's test extension.
    void Xdotool(const QStringList& arguments) {
        const QString xdotool = QStandardPaths::findExecutable(QStringLiteral("xdotool"));
        ASSERT_FALSE(xdotool.isEmpty()) << "xdotool is missing (scripts/deps installs it)";
        QProcess process;
        process.start(xdotool, arguments);
        ASSERT_TRUE(process.waitForFinished(10000));
        ASSERT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
    }
    bool Captured(KeyCode code) {
        return QTest::qWaitFor([&] { return dialog_->CapturedCode() == code; }, 5000);
    }

    static inline std::unique_ptr<XServer> server_;
    static inline std::unique_ptr<QApplication> app_;
};

TEST_F(X11Capture, KeysTypedOnTheServerAreCapturedWinIncluded) {
    dialog_->Open(kRecordA, kButtonA);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog_.get()));
    // The page holds the keyboard: keys reach the dialog wherever the focus is.
    ASSERT_TRUE(QTest::qWaitFor([&] { return dialog_->KeyboardGrabbed(); }, 5000));

    Xdotool({"key", "b"});
    EXPECT_TRUE(Captured(0x030));
    Xdotool({"key", "Super_L"});
    EXPECT_TRUE(Captured(0x15B));
    Xdotool({"key", "Menu"});
    EXPECT_TRUE(Captured(0x15D));
    Xdotool({"key", "KP_Divide"});
    EXPECT_TRUE(Captured(0x135));
    Xdotool({"key", "Print"});
    EXPECT_TRUE(Captured(kPrintScreenKey));
    Xdotool({"key", "Pause"});
    EXPECT_TRUE(Captured(0x045));
    // A multimedia key passes on: the capture stays.
    Xdotool({"key", "XF86AudioPlay"});
    QTest::qWait(100);
    EXPECT_EQ(dialog_->CapturedCode(), 0x045);

    // A key held down: its repeats and its release change nothing.
    Click(Kestrow_DlgComposite::kIdApply);
    Xdotool({"keydown", "a"});
    EXPECT_TRUE(Captured(0x01E));
    Click(Kestrow_DlgComposite::kIdApply);
    ASSERT_FALSE(dialog_->IsModified());
    QTest::qWait(700);
    Xdotool({"keyup", "a"});
    QTest::qWait(100);
    EXPECT_FALSE(dialog_->IsModified());

    Xdotool({"key", "Super_L"});
    EXPECT_TRUE(Captured(0x15B));
    Click(Kestrow_DlgComposite::kIdOk);
    EXPECT_EQ(Record(kRecordA), (KeyAssignment{AssignmentType::kKey, 0, 0x15B}));
    EXPECT_FALSE(dialog_->KeyboardGrabbed());
}

TEST_F(X11Capture, TheGrabEndsWithTheSingleKeyPage) {
    dialog_->Open(kRecordA, kButtonA);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog_.get()));
    ASSERT_TRUE(QTest::qWaitFor([&] { return dialog_->KeyboardGrabbed(); }, 5000));
    Click(Kestrow_DlgComposite::kIdMediaPage);
    EXPECT_FALSE(dialog_->KeyboardGrabbed());
    Xdotool({"key", "b"});
    QTest::qWait(100);
    EXPECT_EQ(dialog_->CapturedCode(), 0);
    Click(Kestrow_DlgComposite::kIdKeyPage);
    EXPECT_TRUE(QTest::qWaitFor([&] { return dialog_->KeyboardGrabbed(); }, 5000));
}

TEST_F(X11Capture, ARecordingHoldsTheKeyboardTakesEveryStrokeOnceAndEndsWithTheFocus) {
    dialog_->Open(kRecordA, kButtonA);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog_.get()));
    Click(Kestrow_DlgComposite::kIdMacroPage);
    EXPECT_FALSE(dialog_->KeyboardGrabbed());
    Click(MacroPage::kIdAddMacro);
    MacroPage& page = dialog_->Macros();
    if (page.RecordDelay()) {
        Click(MacroPage::kIdRecordDelay);
    }
    Click(MacroPage::kIdRecord);
    ASSERT_TRUE(QTest::qWaitFor([&] { return dialog_->KeyboardGrabbed(); }, 5000));
    const auto steps = [&](size_t count) {
        return QTest::qWaitFor([&] { return page.ShownSteps().size() >= count; }, 5000);
    };

    Xdotool({"key", "a", "b"});
    ASSERT_TRUE(steps(4));
    // Held: the repeats X sends as release/press pairs are not steps.
    Xdotool({"keydown", "d"});
    QTest::qWait(700);
    Xdotool({"keyup", "d"});
    ASSERT_TRUE(steps(6));
    Xdotool({"key", "Print", "Super_L"});
    ASSERT_TRUE(steps(10));
    QTest::qWait(100);
    using A = MacroAction;
    const std::vector<MacroAction> expected = {
        {50, 0x01E, A::kPress},          {50, 0x01E, A::kRelease},
        {50, 0x030, A::kPress},          {50, 0x030, A::kRelease},
        {50, 0x020, A::kPress},          {50, 0x020, A::kRelease},
        {50, kPrintScreenKey, A::kPress}, {50, kPrintScreenKey, A::kRelease},
        {50, kLeftWinKey, A::kPress},    {0, kLeftWinKey, A::kRelease}};
    EXPECT_EQ(page.ShownSteps(), expected);

    // Another window takes the focus: the recording ends and lets the keyboard go.
    ASSERT_TRUE(page.Recording());
    QWidget other;
    other.setWindowTitle(QStringLiteral("other"));
    other.resize(200, 100);
    other.show();
    other.activateWindow();
    EXPECT_TRUE(QTest::qWaitFor([&] { return !page.Recording(); }, 5000));
    EXPECT_FALSE(dialog_->KeyboardGrabbed());
}

} // namespace
