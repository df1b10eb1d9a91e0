// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Only one instance of the program runs per user. The first instance holds an exclusive lock on
// "QX20B37C.lock" and listens on the local socket "QX20B37C", both in the user's private runtime
// folder; a later start connects to that socket, hands over UM_OPEN or UM_KILL with its tag,
// waits for the answer and ends. No Qt here: a second start ends before any window system
// connection is made.

#include "app/CommandLine.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>

inline constexpr const char* kSingleInstanceName = "QX20B37C";

// What a later start sends: message, wParam and lParam, each 32 bits little-endian. The first
// instance answers with the handler's 32-bit result.
inline constexpr size_t kInstanceRequestSize = 12;
inline constexpr size_t kInstanceReplySize = 4;

// $XDG_RUNTIME_DIR when it is an absolute path to a folder of this user that nobody else may
// enter; otherwise kestrow-<uid> in $TMPDIR (when absolute) or /tmp, created with mode 0700 and
// used only when it is such a folder too. Empty when neither can be had.
std::filesystem::path PrivateRuntimeFolder();

// True when folder is a real folder (not a link) owned by this user with no access for others.
bool IsPrivateFolder(const std::filesystem::path& folder);

class SingleInstance {
public:
    enum class LockState { Acquired, HeldByOther, Unavailable };

    // folder empty: no instance channel at all (every lock attempt is Unavailable).
    explicit SingleInstance(std::filesystem::path folder);
    ~SingleInstance();
    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;

    const std::filesystem::path& SocketPath() const { return socket_; }
    const std::filesystem::path& LockPath() const { return lock_; }

    // Takes the lock when nobody holds it; Acquired again when this object holds it already.
    LockState TryLock();
    bool Holds() const { return fd_ >= 0; }
    void Unlock();

private:
    std::filesystem::path socket_;
    std::filesystem::path lock_;
    int fd_ = -1;
};

enum class HandOverResult {
    Delivered,  // the first instance took the request and answered
    NoListener, // nobody listens on the socket (yet)
    Failed,     // anything else; the request may or may not have arrived
};

// One own message of a later start for the first instance.
struct InstanceRequest {
    uint32_t message = 0;
    uint32_t wParam = 0;
    uint32_t lParam = 0;
};

// Sends one request to the instance listening on socket and waits up to timeoutMs for its answer.
HandOverResult HandOverRequest(const std::filesystem::path& socket, const InstanceRequest& request,
                               int timeoutMs, uint32_t* reply = nullptr);
// The same for a message without lParam (UM_OPEN, UM_KILL).
inline HandOverResult HandOverMessage(const std::filesystem::path& socket, uint32_t message,
                                      uint32_t wParam, int timeoutMs, uint32_t* reply = nullptr) {
    return HandOverRequest(socket, {message, wParam, 0}, timeoutMs, reply);
}

enum class StartDecision {
    RunAsFirst, // this is the first instance: go on with start-up
    EndProcess, // the request was handed over (or there was nobody to hand it to): exit with 0
};

struct InstanceStart {
    StartDecision decision = StartDecision::RunAsFirst;
    // False when the program runs without the instance lock (the runtime folder or the lock
    // file could not be had); later starts then cannot find it.
    bool guarded = false;
    HandOverResult handOver = HandOverResult::NoListener;
};

// What a later start hands over: UM_KILL for "/Kill", the language notice for "--language",
// UM_OPEN otherwise.
InstanceRequest RequestForLaterStart(const LaunchOptions& options);

// The single-instance steps. "/Kill": hand UM_KILL to the first instance if there is one, and
// end. Otherwise, when another instance holds the lock: hand it its request and end; while it has
// not begun to listen yet the request is retried for up to waitMs, and should it end meanwhile
// this start becomes the first instance. With the lock free this start is the first instance.
InstanceStart RunSingleInstanceSteps(SingleInstance& instance, const LaunchOptions& options,
                                     int waitMs = 3000);
