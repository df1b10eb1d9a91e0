// SPDX-License-Identifier: GPL-3.0-or-later
// The instance lock, the private runtime folder and handing a request to the first instance.

#include "app/SingleInstance.h"

#include "AppTestSupport.h"
#include "platform/OwnMessages.h"
#include "support/ThreadWait.h"

#include <atomic>
#include <chrono>
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <thread>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

fs::path PrivateFolder(const TempDir& dir, const std::string& name) {
    const fs::path folder = dir / name;
    fs::create_directories(folder);
    fs::permissions(folder, fs::perms::owner_all, fs::perm_options::replace);
    return folder;
}

LaunchOptions Kill() {
    LaunchOptions options;
    options.kill = true;
    return options;
}

} // namespace

TEST(RuntimeFolder, OnlyAFolderOfThisUserClosedToOthers) {
    TempDir dir;
    EXPECT_TRUE(IsPrivateFolder(PrivateFolder(dir, "private")));
    const fs::path open = PrivateFolder(dir, "open");
    fs::permissions(open, fs::perms::group_exec | fs::perms::others_exec, fs::perm_options::add);
    EXPECT_FALSE(IsPrivateFolder(open));
    fs::create_directory_symlink(dir / "private", dir / "link");
    EXPECT_FALSE(IsPrivateFolder(dir / "link"));
    EXPECT_FALSE(IsPrivateFolder(dir.write("file", "x")));
    EXPECT_FALSE(IsPrivateFolder(dir / "missing"));
    EXPECT_FALSE(IsPrivateFolder(""));
}

TEST(RuntimeFolder, FallsBackToAPrivateFolderOfItsOwn) {
    TempDir dir;
    const fs::path tmp = PrivateFolder(dir, "tmp");
    ScopedEnv tmpdir("TMPDIR", tmp.string());
    const fs::path fallback = tmp / ("kestrow-" + std::to_string(::geteuid()));

    const fs::path runtime = PrivateFolder(dir, "runtime");
    {
        ScopedEnv xdg("XDG_RUNTIME_DIR", runtime.string());
        EXPECT_EQ(PrivateRuntimeFolder(), runtime);
    }
    fs::permissions(runtime, fs::perms::others_all, fs::perm_options::add);
    for (std::optional<std::string> value :
         {std::optional<std::string>(runtime.string()), std::optional<std::string>("relative"),
          std::optional<std::string>()}) {
        ScopedEnv xdg("XDG_RUNTIME_DIR", value);
        EXPECT_EQ(PrivateRuntimeFolder(), fallback);
        EXPECT_TRUE(IsPrivateFolder(fallback));
    }

    // Someone opened the fallback up (or made it for us): it is not used.
    fs::permissions(fallback, fs::perms::others_read, fs::perm_options::add);
    ScopedEnv unset("XDG_RUNTIME_DIR", std::nullopt);
    EXPECT_EQ(PrivateRuntimeFolder(), fs::path());
}

TEST(InstanceLock, HeldByOneAtATimeAndReleasedWithItsHolder) {
    TempDir dir;
    const fs::path folder = PrivateFolder(dir, "run");
    auto first = std::make_unique<SingleInstance>(folder);
    SingleInstance second(folder);
    EXPECT_EQ(first->SocketPath(), folder / "QX20B37C");
    EXPECT_EQ(first->LockPath(), folder / "QX20B37C.lock");

    EXPECT_EQ(first->TryLock(), SingleInstance::LockState::Acquired);
    EXPECT_EQ(first->TryLock(), SingleInstance::LockState::Acquired);
    EXPECT_EQ(second.TryLock(), SingleInstance::LockState::HeldByOther);
    struct stat st {};
    ASSERT_EQ(::stat(first->LockPath().c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);

    first->Unlock();
    EXPECT_EQ(second.TryLock(), SingleInstance::LockState::Acquired);
    second.Unlock();
    ASSERT_EQ(first->TryLock(), SingleInstance::LockState::Acquired);
    first.reset(); // the destructor releases it
    EXPECT_EQ(second.TryLock(), SingleInstance::LockState::Acquired);

    // No folder, or a lock path that is a link: no lock at all, rather than someone else's file.
    EXPECT_EQ(SingleInstance("").TryLock(), SingleInstance::LockState::Unavailable);
    const fs::path other = PrivateFolder(dir, "other");
    fs::create_symlink(dir / "elsewhere", other / "QX20B37C.lock");
    EXPECT_EQ(SingleInstance(other).TryLock(), SingleInstance::LockState::Unavailable);
    EXPECT_FALSE(fs::exists(dir / "elsewhere"));
}

TEST(InstanceSteps, KillWithoutAFirstInstanceEndsAtOnceAndLeavesTheLockFree) {
    TempDir dir;
    const fs::path folder = PrivateFolder(dir, "run");
    SingleInstance instance(folder);
    const InstanceStart start = RunSingleInstanceSteps(instance, Kill(), 60000);
    EXPECT_EQ(start.decision, StartDecision::EndProcess);
    EXPECT_FALSE(instance.Holds());
    EXPECT_EQ(SingleInstance(folder).TryLock(), SingleInstance::LockState::Acquired);

    SingleInstance nowhere("");
    EXPECT_EQ(RunSingleInstanceSteps(nowhere, Kill()).decision, StartDecision::EndProcess);
}

TEST(InstanceSteps, TheFirstStartRunsAndHoldsTheLock) {
    TempDir dir;
    SingleInstance instance(PrivateFolder(dir, "run"));
    const InstanceStart start = RunSingleInstanceSteps(instance, LaunchOptions{});
    EXPECT_EQ(start.decision, StartDecision::RunAsFirst);
    EXPECT_TRUE(start.guarded);
    EXPECT_TRUE(instance.Holds());

    // Without a usable runtime folder the program still runs, unguarded.
    SingleInstance nowhere("");
    const InstanceStart alone = RunSingleInstanceSteps(nowhere, LaunchOptions{});
    EXPECT_EQ(alone.decision, StartDecision::RunAsFirst);
    EXPECT_FALSE(alone.guarded);
}

TEST(InstanceSteps, ALaterStartWaitsForTheFirstToListenThenGivesUp) {
    TempDir dir;
    const fs::path folder = PrivateFolder(dir, "run");
    SingleInstance first(folder);
    ASSERT_EQ(first.TryLock(), SingleInstance::LockState::Acquired);
    for (const LaunchOptions& options : {LaunchOptions{}, Kill()}) {
        SingleInstance later(folder);
        const InstanceStart start = RunSingleInstanceSteps(later, options, 100);
        EXPECT_EQ(start.decision, StartDecision::EndProcess);
        EXPECT_EQ(start.handOver, HandOverResult::NoListener);
        EXPECT_FALSE(later.Holds());
    }
}

TEST(InstanceSteps, ALaterStartTakesOverWhenTheFirstEndsBeforeListening) {
    TempDir dir;
    const fs::path folder = PrivateFolder(dir, "run");
    SingleInstance first(folder);
    ASSERT_EQ(first.TryLock(), SingleInstance::LockState::Acquired);
    BlockedThread laterStart;
    laterStart.Mark();
    std::thread ender([&] {
        EXPECT_TRUE(laterStart.WaitUntilBlocked()); // retrying the lock
        first.Unlock();
    });
    SingleInstance later(folder);
    const InstanceStart start = RunSingleInstanceSteps(later, LaunchOptions{}, 20000);
    ender.join();
    EXPECT_EQ(start.decision, StartDecision::RunAsFirst);
    EXPECT_TRUE(start.guarded);
    EXPECT_TRUE(later.Holds());
}

TEST(InstanceSteps, WhatALaterStartHandsOver) {
    const auto request = [](std::vector<std::string> arguments) {
        const InstanceRequest r = RequestForLaterStart(ParseCommandLine(arguments));
        return std::vector<uint32_t>{r.message, r.wParam, r.lParam};
    };
    EXPECT_EQ(request({}), (std::vector<uint32_t>{UM_OPEN, kOpenTag, 0}));
    EXPECT_EQ(request({"/Start"}), (std::vector<uint32_t>{UM_OPEN, kOpenTag, 0}));
    // The language notice carries the index of the language chosen.
    EXPECT_EQ(request({"--language=en"}),
              (std::vector<uint32_t>{UM_LANGUAGE, kLanguageNoticeTag, 2}));
    EXPECT_EQ(request({"--language", "pt-BR"}),
              (std::vector<uint32_t>{UM_LANGUAGE, kLanguageNoticeTag, 0}));
    // The close request goes first.
    EXPECT_EQ(request({"--language=en", "/Kill"}), (std::vector<uint32_t>{UM_KILL, kKillTag, 0}));
}

TEST(HandOver, NobodyListeningOrNoUsableSocket) {
    TempDir dir;
    const fs::path folder = PrivateFolder(dir, "run");
    EXPECT_EQ(HandOverMessage(folder / "QX20B37C", UM_OPEN, kOpenTag, 100),
              HandOverResult::NoListener);
    // A socket file left behind by an instance that ended.
    {
        const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        const std::string path = (folder / "QX20B37C").string();
        std::copy(path.begin(), path.end(), address.sun_path);
        ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
        ::close(fd);
    }
    EXPECT_EQ(HandOverMessage(folder / "QX20B37C", UM_OPEN, kOpenTag, 100),
              HandOverResult::NoListener);
    EXPECT_EQ(HandOverMessage(folder / std::string(200, 'x'), UM_OPEN, kOpenTag, 100),
              HandOverResult::Failed);
    EXPECT_EQ(HandOverMessage("", UM_OPEN, kOpenTag, 100), HandOverResult::Failed);
}

TEST(HandOver, ThePeerMustAnswerInTime) {
    TempDir dir;
    const fs::path folder = PrivateFolder(dir, "run");
    const int listener = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const std::string path = (folder / "QX20B37C").string();
    std::copy(path.begin(), path.end(), address.sun_path);
    ASSERT_EQ(::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ASSERT_EQ(::listen(listener, 4), 0);

    // Reads the request, answers with 7 only the second time; the first time it hangs up after
    // two bytes of an answer.
    std::atomic<int> round{0};
    std::vector<unsigned char> seen;
    std::thread peer([&] {
        for (int i = 0; i < 2; ++i) {
            const int c = ::accept(listener, nullptr, nullptr);
            unsigned char request[12];
            size_t got = 0;
            while (got < sizeof request) {
                const ssize_t n = ::read(c, request + got, sizeof request - got);
                if (n <= 0) {
                    break;
                }
                got += static_cast<size_t>(n);
            }
            seen.assign(request, request + got);
            const unsigned char answer[4] = {7, 0, 0, 0};
            [[maybe_unused]] const ssize_t sent = ::write(c, answer, i == 0 ? 2 : 4);
            ::close(c);
            ++round;
        }
    });
    EXPECT_EQ(HandOverMessage(path, UM_KILL, kKillTag, 5000), HandOverResult::Failed);
    uint32_t reply = 0;
    EXPECT_EQ(HandOverMessage(path, UM_KILL, kKillTag, 5000, &reply), HandOverResult::Delivered);
    peer.join();
    ::close(listener);
    EXPECT_EQ(reply, 7u);
    // Message, tag and lParam, little-endian.
    EXPECT_EQ(seen,
              (std::vector<unsigned char>{0x4B, 0x4D, 0, 0, 0x4B, 0x49, 0x4C, 0x4C, 0, 0, 0, 0}));
}
