// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/hid/HidrawBackend.h"

#include "platform/HexDigits.h"
#include "platform/hid/ReportDescriptor.h"
#include "platform/hid/UdevChangeMonitor.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>
#include <utility>

namespace {

constexpr const char* kClassRoot = "/sys/class/hidraw/";
constexpr const char* kDevRoot = "/dev/";
// Larger than any descriptor the kernel keeps (4096 bytes).
constexpr size_t kMaxSysfsFile = 65536;

// Closes a descriptor when it goes out of scope.
class Fd {
public:
    explicit Fd(int fd = -1) : fd_(fd) {}
    ~Fd() { Reset(); }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int Get() const { return fd_; }
    int Release() { return std::exchange(fd_, -1); }
    void Reset() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
        fd_ = -1;
    }

private:
    int fd_;
};

// The whole file, or false with errno set.
bool ReadSmallFile(const std::string& file, std::vector<uint8_t>& bytes) {
    bytes.clear();
    Fd fd(::open(file.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY));
    if (fd.Get() < 0) {
        return false;
    }
    uint8_t chunk[4096];
    for (;;) {
        const ssize_t n = ::read(fd.Get(), chunk, sizeof chunk);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        if (n == 0) {
            return true;
        }
        if (bytes.size() + static_cast<size_t>(n) > kMaxSysfsFile) {
            errno = EFBIG;
            return false;
        }
        bytes.insert(bytes.end(), chunk, chunk + n);
    }
}

bool ValidNodeName(const std::string& name) {
    constexpr size_t prefix = 6; // "hidraw"
    return name.size() > prefix && name.size() <= prefix + 9 &&
           name.compare(0, prefix, "hidraw") == 0 &&
           std::all_of(name.begin() + prefix, name.end(),
                       [](char c) { return c >= '0' && c <= '9'; });
}

// Vendor and product of a node from HID_ID=bus:vendor:product in its device's uevent.
bool ReadIds(const std::string& name, uint16_t& vendorId, uint16_t& productId) {
    std::vector<uint8_t> bytes;
    if (!ReadSmallFile(kClassRoot + name + "/device/uevent", bytes)) {
        return false;
    }
    const std::string text(bytes.begin(), bytes.end());
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = text.find('\n', pos);
        if (end == std::string::npos) {
            end = text.size();
        }
        const std::string line = text.substr(pos, end - pos);
        pos = end + 1;
        unsigned bus = 0;
        unsigned long vendor = 0;
        unsigned long product = 0;
        if (std::sscanf(line.c_str(), "HID_ID=%x:%lx:%lx", &bus, &vendor, &product) == 3) {
            vendorId = static_cast<uint16_t>(vendor);
            productId = static_cast<uint16_t>(product);
            return true;
        }
    }
    errno = ENOENT;
    return false;
}

bool ReadDescriptor(const std::string& name, std::vector<uint8_t>& bytes) {
    return ReadSmallFile(kClassRoot + name + "/device/report_descriptor", bytes);
}

// Node names sorted by their number, so hidraw10 follows hidraw9.
bool ListNodes(std::vector<std::string>& names) {
    names.clear();
    DIR* dir = ::opendir(kClassRoot);
    if (dir == nullptr) {
        return errno == ENOENT; // no hidraw device was ever created
    }
    while (const dirent* entry = ::readdir(dir)) {
        if (ValidNodeName(entry->d_name)) {
            names.emplace_back(entry->d_name);
        }
    }
    ::closedir(dir);
    std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        return a.size() != b.size() ? a.size() < b.size() : a < b;
    });
    return true;
}

enum class Wait { Ready, Timeout, Cancelled, Gone, Failed };

class Deadline {
public:
    explicit Deadline(uint32_t timeoutMs)
        : unlimited_(timeoutMs == kHidNoTimeout),
          end_(std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs)) {}

    // Milliseconds for poll(): -1 without a limit, rounded up so a wait never ends early.
    int PollTimeout() const {
        if (unlimited_) {
            return -1;
        }
        const auto left = end_ - std::chrono::steady_clock::now();
        if (left <= std::chrono::steady_clock::duration::zero()) {
            return 0;
        }
        const auto ms = std::chrono::ceil<std::chrono::milliseconds>(left).count();
        return static_cast<int>(std::min<long long>(ms, INT_MAX));
    }
    bool Passed() const { return !unlimited_ && std::chrono::steady_clock::now() >= end_; }

private:
    bool unlimited_;
    std::chrono::steady_clock::time_point end_;
};

bool IsGoneErrno(int error) {
    return error == ENODEV || error == ENXIO || error == EIO || error == ESHUTDOWN;
}

class HidrawInterface : public HidInterface {
public:
    HidrawInterface(int fd, int cancelFd, bool canRead, bool canWrite, uint16_t vendorId,
                    uint16_t productId, std::vector<uint8_t> descriptor, size_t collection)
        : fd_(fd), cancelFd_(cancelFd), canRead_(canRead), canWrite_(canWrite), vendorId_(vendorId),
          productId_(productId), descriptor_(std::move(descriptor)), collection_(collection) {}

    // Only reports with these ids reach the caller; used when the node has several collections.
    void AcceptOnly(const std::array<bool, 256>& ids) {
        accepted_ = ids;
        filtered_ = true;
    }

    uint16_t VendorId() const override { return vendorId_; }
    uint16_t ProductId() const override { return productId_; }
    const std::vector<uint8_t>& ReportDescriptorBytes() const override { return descriptor_; }
    size_t CollectionIndex() const override { return collection_; }

    HidTransferResult Read(uint8_t* buffer, size_t length, size_t& transferred,
                           uint32_t timeoutMs) override {
        transferred = 0;
        if (!canRead_ || buffer == nullptr || length == 0) {
            return HidTransferResult::Failed;
        }
        const Deadline deadline(timeoutMs);
        for (;;) {
            const Wait wait = WaitFor(POLLIN, deadline);
            if (wait != Wait::Ready) {
                return Result(wait);
            }
            // Only read what poll() reported: nothing stays pending once we return.
            const ssize_t n = ::read(fd_.Get(), buffer, length);
            if (n > 0) {
                if (filtered_ && !accepted_[buffer[0]]) {
                    continue; // a report of another collection of this node
                }
                transferred = static_cast<size_t>(n);
                return HidTransferResult::Ok;
            }
            if (n == 0) {
                return HidTransferResult::Gone;
            }
            if (errno != EAGAIN && errno != EINTR) {
                return IsGoneErrno(errno) ? HidTransferResult::Gone : HidTransferResult::Failed;
            }
        }
    }

    HidTransferResult Write(const uint8_t* buffer, size_t length, size_t& transferred,
                            uint32_t timeoutMs) override {
        transferred = 0;
        if (!canWrite_ || buffer == nullptr || length == 0) {
            return HidTransferResult::Failed;
        }
        const Deadline deadline(timeoutMs);
        for (;;) {
            const Wait wait = WaitFor(POLLOUT, deadline);
            if (wait != Wait::Ready) {
                return Result(wait);
            }
            const ssize_t n = ::write(fd_.Get(), buffer, length);
            if (n >= 0) {
                transferred = static_cast<size_t>(n);
                return static_cast<size_t>(n) == length ? HidTransferResult::Ok
                                                        : HidTransferResult::Failed;
            }
            if (errno != EAGAIN && errno != EINTR) {
                return IsGoneErrno(errno) ? HidTransferResult::Gone : HidTransferResult::Failed;
            }
        }
    }

    void Cancel() override {
        cancelled_.store(true);
        const uint64_t one = 1;
        // The counter is never read, so the descriptor stays readable for every later wait.
        [[maybe_unused]] const ssize_t n = ::write(cancelFd_.Get(), &one, sizeof one);
    }

private:
    static HidTransferResult Result(Wait wait) {
        switch (wait) {
        case Wait::Timeout:
            return HidTransferResult::Timeout;
        case Wait::Cancelled:
            return HidTransferResult::Cancelled;
        case Wait::Gone:
            return HidTransferResult::Gone;
        default:
            return HidTransferResult::Failed;
        }
    }

    Wait WaitFor(short events, const Deadline& deadline) {
        for (;;) {
            if (cancelled_.load()) {
                return Wait::Cancelled;
            }
            pollfd fds[2] = {{fd_.Get(), events, 0}, {cancelFd_.Get(), POLLIN, 0}};
            const int r = ::poll(fds, 2, deadline.PollTimeout());
            if (r < 0) {
                if (errno == EINTR) {
                    continue;
                }
                return Wait::Failed;
            }
            if (fds[1].revents != 0) {
                return Wait::Cancelled;
            }
            if ((fds[0].revents & events) != 0) {
                return Wait::Ready;
            }
            if ((fds[0].revents & (POLLHUP | POLLERR | POLLNVAL)) != 0) {
                return Wait::Gone;
            }
            if (r == 0 && deadline.Passed()) {
                return Wait::Timeout;
            }
        }
    }

    Fd fd_;
    Fd cancelFd_;
    bool canRead_;
    bool canWrite_;
    uint16_t vendorId_;
    uint16_t productId_;
    std::vector<uint8_t> descriptor_;
    size_t collection_;
    bool filtered_ = false;
    std::array<bool, 256> accepted_{};
    std::atomic<bool> cancelled_{false};
};

} // namespace

bool ParseHidrawPath(const std::string& path, HidrawPath& out) {
    const std::string dev = kDevRoot;
    const size_t query = path.find('?');
    if (query == std::string::npos || path.compare(0, dev.size(), dev) != 0) {
        return false;
    }
    HidrawPath parsed;
    parsed.name = path.substr(dev.size(), query - dev.size());
    const std::string rest = path.substr(query + 1);
    // "vid_vvvv&pid_pppp", then optionally "&colCC".
    auto hex = [&](size_t at, uint16_t& value) {
        uint32_t v = 0;
        if (!ParseHexDigits(std::string_view(rest).substr(at, 4), v)) {
            return false;
        }
        value = static_cast<uint16_t>(v);
        return true;
    };
    if (!ValidNodeName(parsed.name) || (rest.size() != 17 && rest.size() != 23) ||
        rest.compare(0, 4, "vid_") != 0 || rest.compare(8, 5, "&pid_") != 0 ||
        !hex(4, parsed.vendorId) || !hex(13, parsed.productId)) {
        return false;
    }
    if (rest.size() == 23) {
        const char tens = rest[21];
        const char ones = rest[22];
        if (rest.compare(17, 4, "&col") != 0 || tens < '0' || tens > '9' || ones < '0' ||
            ones > '9') {
            return false;
        }
        parsed.collection = static_cast<unsigned>((tens - '0') * 10 + (ones - '0'));
        if (parsed.collection == 0) {
            return false;
        }
    }
    out = parsed;
    return true;
}

std::string FormatHidrawPath(const HidrawPath& path) {
    std::string formatted = kDevRoot + path.name + HidIdsQuery(path.vendorId, path.productId);
    if (path.collection != 0) {
        char collection[16];
        std::snprintf(collection, sizeof collection, "&col%02u", path.collection);
        formatted += collection;
    }
    return formatted;
}

HidOpenError HidOpenErrorFromErrno(int error) {
    switch (error) {
    case ENOENT:
    case ENODEV:
    case ENXIO:
    case ENOTDIR:
        return HidOpenError::NotFound;
    case EACCES:
    case EPERM:
        return HidOpenError::PermissionDenied;
    default:
        return HidOpenError::Failed;
    }
}

bool HidrawBackend::ListInterfaces(std::vector<std::string>& paths) {
    paths.clear();
    std::vector<std::string> names;
    if (!ListNodes(names)) {
        return false;
    }
    std::vector<uint8_t> descriptor;
    std::vector<HidPreparsedData> collections;
    for (const std::string& name : names) {
        HidrawPath path;
        path.name = name;
        if (!ReadIds(name, path.vendorId, path.productId)) {
            continue; // not a HID node, or gone since the listing
        }
        // A descriptor we cannot parse still lists the node once; opening it then fails.
        size_t count = 1;
        if (ReadDescriptor(name, descriptor) &&
            ParseReportDescriptor(descriptor.data(), descriptor.size(), collections)) {
            count = collections.size();
        }
        if (count == 1) {
            paths.push_back(FormatHidrawPath(path));
            continue;
        }
        for (size_t c = 1; c <= count && c <= 99; ++c) {
            path.collection = static_cast<unsigned>(c);
            paths.push_back(FormatHidrawPath(path));
        }
    }
    return true;
}

std::unique_ptr<HidInterface> HidrawBackend::Open(const std::string& path,
                                                  const HidOpenFlags& flags, HidOpenError& error) {
    error = HidOpenError::NotFound;
    HidrawPath parsed;
    if (!ParseHidrawPath(path, parsed)) {
        return nullptr;
    }
    uint16_t vendorId = 0;
    uint16_t productId = 0;
    if (!ReadIds(parsed.name, vendorId, productId)) {
        error = HidOpenErrorFromErrno(errno);
        return nullptr;
    }
    if (vendorId != parsed.vendorId || productId != parsed.productId) {
        return nullptr; // the node number now belongs to another device
    }
    std::vector<uint8_t> descriptor;
    if (!ReadDescriptor(parsed.name, descriptor)) {
        error = HidOpenErrorFromErrno(errno);
        return nullptr;
    }
    std::vector<HidPreparsedData> collections;
    if (!ParseReportDescriptor(descriptor.data(), descriptor.size(), collections)) {
        error = HidOpenError::Failed;
        return nullptr;
    }
    const bool several = collections.size() > 1;
    if (several != (parsed.collection != 0) || parsed.collection > collections.size()) {
        return nullptr; // a collection the node does not have (any more)
    }
    const size_t index = several ? parsed.collection - 1 : 0;

    int mode = O_PATH;
    if (flags.read && flags.write) {
        mode = O_RDWR;
    } else if (flags.read) {
        mode = O_RDONLY;
    } else if (flags.write) {
        mode = O_WRONLY;
    }
    const std::string node = kDevRoot + parsed.name;
    Fd fd(::open(node.c_str(), mode | O_NOCTTY | O_CLOEXEC | O_NONBLOCK));
    if (fd.Get() < 0) {
        error = HidOpenErrorFromErrno(errno);
        return nullptr;
    }
    Fd cancel(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK));
    if (cancel.Get() < 0) {
        error = HidOpenError::Failed;
        return nullptr;
    }
    auto handle =
        std::make_unique<HidrawInterface>(fd.Release(), cancel.Release(), flags.read, flags.write,
                                          vendorId, productId, std::move(descriptor), index);
    if (several && collections[index].UsesReportIds()) {
        std::array<bool, 256> ids{};
        for (size_t id = 1; id < ids.size(); ++id) {
            ids[id] = collections[index].HasReport(HidReportType::Input, static_cast<uint8_t>(id));
        }
        handle->AcceptOnly(ids);
    }
    error = HidOpenError::None;
    return handle;
}

bool HidrawBackend::PathExists(const std::string& path) {
    HidrawPath parsed;
    uint16_t vendorId = 0;
    uint16_t productId = 0;
    if (!ParseHidrawPath(path, parsed) || !ReadIds(parsed.name, vendorId, productId)) {
        return false;
    }
    return vendorId == parsed.vendorId && productId == parsed.productId &&
           ::access((kDevRoot + parsed.name).c_str(), F_OK) == 0;
}

std::unique_ptr<HidChangeMonitor> HidrawBackend::WatchChanges() {
    if (watch_ == HidrawChangeWatch::ScanOnly) {
        return nullptr;
    }
    return UdevChangeMonitor::Create();
}
