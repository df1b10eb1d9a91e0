// SPDX-License-Identifier: GPL-3.0-or-later
// The first instance's end: requests of later starts reach the tagged main window, and nothing
// else gets through.

#include "app/InstanceServer.h"

#include "AppTestSupport.h"
#include "app/CKestrowApp.h"
#include "app/SingleInstance.h"
#include "platform/UserFolders.h"
#include "skin/Language.h"
#include "skin/ui/CPngButton.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QMessageBox>
#include <QPointer>
#include <QTimer>
#include <future>
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

// Runs fn on another thread while this one serves events, as a later start would talk to the
// running program.
template <typename Fn> auto FromOtherProcess(Fn fn) {
    auto result = std::async(std::launch::async, fn);
    QElapsedTimer guard;
    guard.start();
    while (result.wait_for(std::chrono::milliseconds(0)) != std::future_status::ready &&
           guard.elapsed() < 20000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return result.get();
}

class Server : public testing::Test {
protected:
    void SetUp() override {
        SetProgramFolder(BinFolder());
        app_.SetMainWindow(&window_);
        app_.SetInstanceServer(&server_);
        ASSERT_TRUE(server_.Listen(Socket()));
    }
    fs::path Socket() const { return folders_.Runtime() / "QX20B37C"; }
    HandOverResult Send(uint32_t message, uint32_t wParam) {
        return FromOtherProcess(
            [&] { return HandOverMessage(Socket(), message, wParam, 5000, &reply_); });
    }

    PrivateUserFolders folders_;
    CKestrowApp app_;
    CKestrowDlg window_{&app_};
    InstanceServer server_{[this](uint32_t message, uint32_t wParam, uint32_t lParam) {
        ++requests_;
        return app_.OnInstanceRequest(message, wParam, lParam);
    }};
    int requests_ = 0;
    uint32_t reply_ = 0xFFFFFFFF;
};

} // namespace

TEST_F(Server, TheSocketIsThisUsersOnly) {
    struct stat st {};
    ASSERT_EQ(::lstat(Socket().c_str(), &st), 0);
    EXPECT_TRUE(S_ISSOCK(st.st_mode));
    EXPECT_EQ(st.st_uid, ::geteuid());
    EXPECT_EQ(st.st_mode & 077, 0u);
    server_.Close();
    EXPECT_FALSE(fs::exists(fs::symlink_status(Socket())));
}

TEST_F(Server, OpenReachesOnlyAnInitialisedWindowAndAWrongTagIsIgnored) {
    // Before the initialisation the window carries no tag: the request reaches no window.
    EXPECT_EQ(Send(UM_OPEN, kOpenTag), HandOverResult::Delivered);
    EXPECT_EQ(requests_, 1);
    EXPECT_FALSE(window_.isVisible());

    ASSERT_TRUE(window_.OnInitDialog());
    EXPECT_EQ(Send(UM_OPEN, kKillTag), HandOverResult::Delivered);
    EXPECT_FALSE(window_.isVisible());
    EXPECT_EQ(Send(UM_OPEN, kOpenTag), HandOverResult::Delivered);
    EXPECT_EQ(reply_, 0u);
    EXPECT_TRUE(window_.isVisible());

    EXPECT_EQ(Send(UM_KILL, kKillTag), HandOverResult::Delivered);
    EXPECT_FALSE(window_.isVisible());
    // Closing released the instance: the socket is gone, nobody listens.
    EXPECT_FALSE(server_.IsListening());
    EXPECT_EQ(Send(UM_OPEN, kOpenTag), HandOverResult::NoListener);
}

TEST_F(Server, OtherMessagesFromOutsideAreRefused) {
    ASSERT_TRUE(window_.OnInitDialog());
    QCoreApplication::sendPostedEvents(); // the window's own UM_STARTED
    window_.SendOwnMessage(UM_OPEN, kOpenTag, 0);
    // Delivered, UM_STARTED would hide the window.
    EXPECT_EQ(Send(UM_STARTED, kStartedTag), HandOverResult::Failed);
    EXPECT_EQ(Send(UM_PROFILE_RELOAD, kProfileTag), HandOverResult::Failed);
    EXPECT_EQ(Send(UM_DISCONNECTED, 0), HandOverResult::Failed);
    EXPECT_EQ(requests_, 0);
    EXPECT_TRUE(window_.isVisible());
    // The server still serves the next request.
    EXPECT_EQ(Send(UM_KILL, kKillTag), HandOverResult::Delivered);
    EXPECT_FALSE(window_.isVisible());
}

TEST_F(Server, ALanguageNoticeOfALaterStartRelabelsTheRunningWindow) {
    const uint16_t before = CurrentLanguageId();
    SetCurrentLanguageId(0x0409);
    const auto applyText = [this] {
        return window_.Button(CKestrowDlg::kIdApply)->text().toStdString();
    };
    const std::string english = LangText("PROFILE_APPLY", 2);
    const std::string portuguese = LangText("PROFILE_APPLY", 0);
    ASSERT_NE(english, portuguese);
    const auto sendLanguage = [this](uint32_t tag, uint32_t index) {
        return FromOtherProcess([&] {
            return HandOverRequest(Socket(), {UM_LANGUAGE, tag, index}, 5000, &reply_);
        });
    };

    // Before its initialisation the window carries no tag, and nothing changes.
    EXPECT_EQ(sendLanguage(kLanguageNoticeTag, 0), HandOverResult::Delivered);
    EXPECT_EQ(CurrentLanguageId(), 0x0409);

    ASSERT_TRUE(window_.OnInitDialog());
    EXPECT_EQ(applyText(), english);
    EXPECT_EQ(sendLanguage(kOpenTag, 0), HandOverResult::Delivered); // a wrong tag
    EXPECT_EQ(CurrentLanguageId(), 0x0409);
    EXPECT_EQ(applyText(), english);

    EXPECT_EQ(sendLanguage(kLanguageNoticeTag, 0), HandOverResult::Delivered);
    EXPECT_EQ(CurrentLanguageId(), 0x0416); // for every text looked up from now on
    EXPECT_EQ(applyText(), portuguese);
    EXPECT_FALSE(window_.isVisible()); // relabelled, not brought forward

    EXPECT_EQ(sendLanguage(kLanguageNoticeTag, 2), HandOverResult::Delivered);
    EXPECT_EQ(applyText(), english);
    // An index outside the list is taken as 0, as every language notice.
    EXPECT_EQ(sendLanguage(kLanguageNoticeTag, 7), HandOverResult::Delivered);
    EXPECT_EQ(CurrentLanguageId(), 0x0416);
    EXPECT_EQ(applyText(), portuguese);
    SetCurrentLanguageId(before);
}

TEST_F(Server, ASilentOrShortRequestDoesNotBlockTheNextOne) {
    ASSERT_TRUE(window_.OnInitDialog());
    // One peer connects and sends half a request, then stays.
    const int silent = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const std::string path = Socket().string();
    std::copy(path.begin(), path.end(), address.sun_path);
    ASSERT_EQ(::connect(silent, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    const unsigned char half[6] = {0x50, 0x53, 0, 0, 0x4E, 0x45};
    ASSERT_EQ(::write(silent, half, sizeof half), 6);

    EXPECT_EQ(Send(UM_OPEN, kOpenTag), HandOverResult::Delivered);
    EXPECT_EQ(requests_, 1);
    EXPECT_TRUE(window_.isVisible());
    ::close(silent);
}

TEST_F(Server, AStaleSocketIsReplaced) {
    server_.Close();
    // What a crashed instance leaves: a socket file nobody listens on.
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const std::string path = Socket().string();
    std::copy(path.begin(), path.end(), address.sun_path);
    ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ::close(fd);

    InstanceServer next([this](uint32_t message, uint32_t wParam, uint32_t lParam) {
        ++requests_;
        return app_.OnInstanceRequest(message, wParam, lParam);
    });
    ASSERT_TRUE(next.Listen(Socket()));
    EXPECT_EQ(Send(UM_OPEN, kOpenTag), HandOverResult::Delivered);
    EXPECT_EQ(requests_, 1);
}

TEST_F(Server, APeerThatGivesUpWhileTheWindowIsBusyIsNoHarm) {
    server_.Close();
    // The first request opens a message box, as the main window does when no keyboard is
    // there; its peer gives up waiting; the next request, handled inside the box's loop, closes
    // the box.
    int handled = 0;
    QPointer<QMessageBox> open;
    InstanceServer* server = nullptr;
    InstanceServer busy([&](uint32_t, uint32_t, uint32_t) {
        if (++handled == 1) {
            QMessageBox box(QMessageBox::Information, "", "no keyboard");
            open = &box;
            box.exec();
        } else if (open != nullptr) {
            // As closing the main window does: the box goes, and so does the socket.
            open->reject();
            server->Close();
        }
        return 0L;
    });
    server = &busy;
    ASSERT_TRUE(busy.Listen(Socket()));
    // Both later starts come from elsewhere while this thread is inside the box.
    const auto results = FromOtherProcess([&] {
        const HandOverResult first = HandOverMessage(Socket(), UM_OPEN, kOpenTag, 100);
        return std::make_pair(first, HandOverMessage(Socket(), UM_KILL, kKillTag, 5000));
    });
    EXPECT_EQ(results.first, HandOverResult::Failed);
    EXPECT_EQ(results.second, HandOverResult::Delivered);
    QElapsedTimer wait;
    wait.start();
    while (wait.elapsed() < 300) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(handled, 2);
    EXPECT_EQ(open, nullptr);
}
