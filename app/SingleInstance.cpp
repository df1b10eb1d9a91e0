// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/SingleInstance.h"

#include "platform/OwnMessages.h"
#include "skin/Language.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <thread>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

constexpr int kRetryIntervalMs = 20;

void PutLe32(unsigned char* p, uint32_t v) {
    for (int i = 0; i < 4; ++i) {
        p[i] = static_cast<unsigned char>(v >> (8 * i));
    }
}

uint32_t GetLe32(const unsigned char* p) {
    uint32_t v = 0;
    for (int i = 0; i < 4; ++i) {
        v |= uint32_t{p[i]} << (8 * i);
    }
    return v;
}

class Fd {
public:
    explicit Fd(int fd) : fd_(fd) {}
    ~Fd() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const { return fd_; }

private:
    int fd_;
};

using Clock = std::chrono::steady_clock;

int MsLeft(Clock::time_point deadline) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    return left.count() > 0 ? static_cast<int>(left.count()) : 0;
}

} // namespace

bool IsPrivateFolder(const fs::path& folder) {
    struct stat st {};
    if (folder.empty() || ::lstat(folder.c_str(), &st) != 0) {
        return false;
    }
    return S_ISDIR(st.st_mode) && st.st_uid == ::geteuid() && (st.st_mode & 077) == 0;
}

fs::path PrivateRuntimeFolder() {
    const char* xdg = std::getenv("XDG_RUNTIME_DIR");
    if (xdg != nullptr && xdg[0] == '/' && IsPrivateFolder(xdg)) {
        return xdg;
    }
    // A folder that someone else made first (or made open to others) is never used.
    const char* tmp = std::getenv("TMPDIR");
    const fs::path base = (tmp != nullptr && tmp[0] == '/') ? fs::path(tmp) : fs::path("/tmp");
    const fs::path fallback = base / ("kestrow-" + std::to_string(::geteuid()));
    if (::mkdir(fallback.c_str(), 0700) != 0 && errno != EEXIST) {
        return {};
    }
    return IsPrivateFolder(fallback) ? fallback : fs::path();
}

SingleInstance::SingleInstance(fs::path folder) {
    if (!folder.empty()) {
        socket_ = folder / kSingleInstanceName;
        lock_ = folder / (std::string(kSingleInstanceName) + ".lock");
    }
}

SingleInstance::~SingleInstance() {
    Unlock();
}

SingleInstance::LockState SingleInstance::TryLock() {
    if (fd_ >= 0) {
        return LockState::Acquired;
    }
    if (lock_.empty()) {
        return LockState::Unavailable;
    }
    const int fd = ::open(lock_.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) {
        return LockState::Unavailable;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        ::close(fd);
        return error == EWOULDBLOCK ? LockState::HeldByOther : LockState::Unavailable;
    }
    fd_ = fd;
    return LockState::Acquired;
}

void SingleInstance::Unlock() {
    if (fd_ >= 0) {
        // Closing the descriptor releases the lock; the file stays for the next start.
        ::close(fd_);
        fd_ = -1;
    }
}

HandOverResult HandOverRequest(const fs::path& socket, const InstanceRequest& instanceRequest,
                               int timeoutMs, uint32_t* reply) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const std::string path = socket.string();
    if (path.empty() || path.size() >= sizeof address.sun_path) {
        return HandOverResult::Failed;
    }
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);

    const Fd fd(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
    if (fd.get() < 0) {
        return HandOverResult::Failed;
    }
    if (::connect(fd.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        return (errno == ENOENT || errno == ECONNREFUSED) ? HandOverResult::NoListener
                                                          : HandOverResult::Failed;
    }
    unsigned char request[kInstanceRequestSize];
    PutLe32(request, instanceRequest.message);
    PutLe32(request + 4, instanceRequest.wParam);
    PutLe32(request + 8, instanceRequest.lParam);
    size_t sent = 0;
    while (sent < sizeof request) {
        const ssize_t n = ::send(fd.get(), request + sent, sizeof request - sent, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return HandOverResult::Failed;
        }
        sent += static_cast<size_t>(n);
    }

    // Like a sent window message: wait until the first instance has handled it.
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    unsigned char answer[kInstanceReplySize];
    size_t got = 0;
    while (got < sizeof answer) {
        pollfd p{fd.get(), POLLIN, 0};
        const int ready = ::poll(&p, 1, MsLeft(deadline));
        if (ready < 0 && errno == EINTR) {
            continue;
        }
        if (ready <= 0) {
            return HandOverResult::Failed;
        }
        const ssize_t n = ::recv(fd.get(), answer + got, sizeof answer - got, 0);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return HandOverResult::Failed;
        }
        got += static_cast<size_t>(n);
    }
    if (reply != nullptr) {
        *reply = GetLe32(answer);
    }
    return HandOverResult::Delivered;
}

InstanceRequest RequestForLaterStart(const LaunchOptions& options) {
    if (options.kill) {
        return {UM_KILL, kKillTag, 0};
    }
    if (options.language) {
        return {UM_LANGUAGE, kLanguageNoticeTag,
                static_cast<uint32_t>(LanguageIndexOf(*options.language))};
    }
    return {UM_OPEN, kOpenTag, 0};
}

InstanceStart RunSingleInstanceSteps(SingleInstance& instance, const LaunchOptions& options,
                                     int waitMs) {
    InstanceStart start;
    const SingleInstance::LockState state = instance.TryLock();
    if (state == SingleInstance::LockState::Unavailable) {
        // Without the lock a close request has nobody to go to; an ordinary start still runs.
        start.decision = options.kill ? StartDecision::EndProcess : StartDecision::RunAsFirst;
        return start;
    }
    if (state == SingleInstance::LockState::Acquired) {
        if (options.kill) {
            // Nobody else runs: end at once, and leave the lock to the next start.
            instance.Unlock();
            start.decision = StartDecision::EndProcess;
            return start;
        }
        start.guarded = true;
        return start;
    }

    // Another instance holds the lock.
    const InstanceRequest request = RequestForLaterStart(options);
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(waitMs);
    start.decision = StartDecision::EndProcess;
    for (;;) {
        start.handOver =
            HandOverRequest(instance.SocketPath(), request, std::max(MsLeft(deadline), 1000));
        if (start.handOver != HandOverResult::NoListener || MsLeft(deadline) == 0) {
            return start;
        }
        // The first instance is still starting, or has just ended.
        std::this_thread::sleep_for(std::chrono::milliseconds(kRetryIntervalMs));
        if (instance.TryLock() == SingleInstance::LockState::Acquired) {
            if (options.kill) {
                instance.Unlock();
                return start;
            }
            start.decision = StartDecision::RunAsFirst;
            start.guarded = true;
            return start;
        }
    }
}
