// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/AtomicFile.h"

#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <fstream>
#include <iterator>
#include <string>
#include <sys/file.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace {

// mkstemp's six random characters, and how often a temporary removed under its writer's feet
// is made anew.
constexpr std::string_view kTemporaryRandomPart = "XXXXXX";
constexpr int kCreateAttempts = 8;
// How long a cleaner waits for writers to finish making their temporaries before it leaves the
// folder to the next start.
constexpr int kFolderLockAttempts = 50;
constexpr auto kFolderLockPause = std::chrono::milliseconds(1);

std::string TemporaryPrefix(const std::filesystem::path& target) {
    return "." + target.filename().string() + ".";
}

bool SameFile(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// The folder's own lock: writers hold it shared while a temporary is made and locked, a
// cleaner holds it exclusively while it looks, so that it never meets a temporary in the moment
// before its writer locks it. -1 when the folder cannot be opened or locked.
int LockFolder(const std::filesystem::path& folder, int operation) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0 && ::flock(fd, operation) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

// Creates and locks a temporary file beside target. Should a cleaner still delete the file
// between its creation and the lock (a folder that cannot be locked), it is made again.
int CreateTemporaryAndLock(const std::filesystem::path& folder, const std::filesystem::path& target,
                          std::string& path) {
    for (int attempt = 0; attempt < kCreateAttempts; ++attempt) {
        path = (folder / (TemporaryPrefix(target) + std::string(kTemporaryRandomPart))).string();
        const int fd = ::mkostemp(path.data(), O_CLOEXEC);
        if (fd < 0) {
            return -1;
        }
        const bool locked = ::flock(fd, LOCK_EX) == 0;
        struct stat opened {};
        struct stat named {};
        const bool stillNamed = ::fstat(fd, &opened) == 0 && ::lstat(path.c_str(), &named) == 0 &&
                                SameFile(opened, named);
        if (locked && stillNamed) {
            return fd;
        }
        if (stillNamed) {
            ::unlink(path.c_str());
        }
        ::close(fd);
    }
    return -1;
}

int CreateLockedTemporary(const std::filesystem::path& folder, const std::filesystem::path& target,
                          std::string& path) {
    const int folderLock = LockFolder(folder, LOCK_SH);
    const int fd = CreateTemporaryAndLock(folder, target, path);
    if (folderLock >= 0) {
        ::close(folderLock);
    }
    return fd;
}

bool WriteAll(int fd, std::string_view bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        done += static_cast<size_t>(n);
    }
    return true;
}

// Makes the rename itself durable; failure here does not undo a completed replacement.
void SyncFolder(const std::filesystem::path& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

} // namespace

bool WriteFileAtomically(const std::filesystem::path& target, std::string_view bytes) {
    const std::filesystem::path folder =
        target.has_parent_path() ? target.parent_path() : std::filesystem::path(".");
    std::string temp;
    const int fd = CreateLockedTemporary(folder, target, temp);
    if (fd < 0) {
        return false;
    }
    // Keep the mode of the file being replaced; a new file gets the usual 0666 & ~umask.
    struct stat existing {};
    if (::stat(target.c_str(), &existing) == 0) {
        ::fchmod(fd, existing.st_mode & 07777);
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        ::fchmod(fd, 0666 & ~mask);
    }
    // The lock goes with the close, after the rename: until then no cleaner takes the file.
    const bool written = WriteAll(fd, bytes) && ::fsync(fd) == 0;
    const bool renamed = written && ::rename(temp.c_str(), target.c_str()) == 0;
    if (!renamed) {
        ::unlink(temp.c_str());
    }
    ::close(fd); // the bytes are on disk already: fsync said so
    if (!renamed) {
        return false;
    }
    SyncFolder(folder);
    return true;
}

namespace {
int RemoveUnlockedTemporaries(const std::filesystem::path& folder, const std::string& prefix);
} // namespace

int RemoveStaleTemporaries(const std::filesystem::path& target) {
    const std::filesystem::path folder =
        target.has_parent_path() ? target.parent_path() : std::filesystem::path(".");
    const std::string prefix = TemporaryPrefix(target);
    int folderLock = -1;
    for (int attempt = 0; attempt < kFolderLockAttempts && folderLock < 0; ++attempt) {
        if (attempt > 0) {
            std::this_thread::sleep_for(kFolderLockPause);
        }
        folderLock = LockFolder(folder, LOCK_EX | LOCK_NB);
    }
    if (folderLock < 0) {
        return 0;
    }
    const int removed = RemoveUnlockedTemporaries(folder, prefix);
    ::close(folderLock);
    return removed;
}

namespace {

int RemoveUnlockedTemporaries(const std::filesystem::path& folder, const std::string& prefix) {
    std::error_code error;
    std::filesystem::directory_iterator entries(folder, error);
    if (error) {
        return 0;
    }
    int removed = 0;
    for (const auto& entry : entries) {
        const std::string name = entry.path().filename().string();
        if (name.size() != prefix.size() + kTemporaryRandomPart.size() ||
            !name.starts_with(prefix)) {
            continue;
        }
        const int fd =
            ::open(entry.path().c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
        if (fd < 0) {
            continue;
        }
        // Locked: a writer is at work. Unlocked but no longer under that name: renamed into
        // place after all. Only a plain file still under its name and free is stale.
        struct stat opened {};
        struct stat named {};
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0 && ::fstat(fd, &opened) == 0 &&
            S_ISREG(opened.st_mode) && ::lstat(entry.path().c_str(), &named) == 0 &&
            SameFile(opened, named) && ::unlink(entry.path().c_str()) == 0) {
            ++removed;
        }
        ::close(fd);
    }
    return removed;
}

} // namespace

bool ReadWholeFile(const std::filesystem::path& file, std::string& bytes) {
    // A folder opens but cannot be read (the stream library throws on it), and a FIFO or a
    // device might never end: only regular files are read.
    std::error_code error;
    if (!std::filesystem::is_regular_file(file, error)) {
        return false;
    }
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        return false;
    }
    try {
        bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    } catch (const std::ios_base::failure&) {
        return false;
    }
    return !in.bad();
}
