// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/hid/UdevChangeMonitor.h"

#include <cerrno>
#include <chrono>
#include <cstring>
#include <libudev.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

namespace {

constexpr const char* kEventSource = "udev";
constexpr const char* kSubsystem = "hidraw";

using Clock = std::chrono::steady_clock;

bool IsNodeChange(udev_device* device) {
    const char* subsystem = udev_device_get_subsystem(device);
    const char* action = udev_device_get_action(device);
    // The kernel's filter is a hint only: events are checked here again.
    return subsystem != nullptr && action != nullptr && std::strcmp(subsystem, kSubsystem) == 0 &&
           (std::strcmp(action, "add") == 0 || std::strcmp(action, "remove") == 0);
}

} // namespace

std::unique_ptr<UdevChangeMonitor> UdevChangeMonitor::Create() {
    udev* context = udev_new();
    if (context == nullptr) {
        return nullptr;
    }
    udev_monitor* monitor = udev_monitor_new_from_netlink(context, kEventSource);
    const int cancelFd = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (monitor == nullptr || cancelFd < 0 ||
        udev_monitor_filter_add_match_subsystem_devtype(monitor, kSubsystem, nullptr) < 0 ||
        udev_monitor_enable_receiving(monitor) < 0 || udev_monitor_get_fd(monitor) < 0) {
        if (cancelFd >= 0) {
            ::close(cancelFd);
        }
        udev_monitor_unref(monitor);
        udev_unref(context);
        return nullptr;
    }
    return std::unique_ptr<UdevChangeMonitor>(new UdevChangeMonitor(context, monitor, cancelFd));
}

UdevChangeMonitor::UdevChangeMonitor(udev* context, udev_monitor* monitor, int cancelFd)
    : context_(context), monitor_(monitor), cancelFd_(cancelFd) {}

UdevChangeMonitor::~UdevChangeMonitor() {
    ::close(cancelFd_);
    udev_monitor_unref(monitor_);
    udev_unref(context_);
}

bool UdevChangeMonitor::DrainEvents() {
    bool changed = false;
    // The monitor's socket does not block, so this ends when the queue is empty.
    while (udev_device* device = udev_monitor_receive_device(monitor_)) {
        changed = IsNodeChange(device) || changed;
        udev_device_unref(device);
    }
    return changed;
}

HidChangeWait UdevChangeMonitor::Wait(uint32_t timeoutMs) {
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        const int leftMs = left.count() > 0 ? static_cast<int>(left.count()) : 0;
        pollfd fds[2] = {{cancelFd_, POLLIN, 0}, {udev_monitor_get_fd(monitor_), POLLIN, 0}};
        // A monitor that broke is left alone; the wait then only times out or is cancelled.
        const int ready = ::poll(fds, broken_ ? 1 : 2, leftMs);
        if (ready < 0) {
            if (errno == EINTR) {
                continue;
            }
            if (broken_) {
                return HidChangeWait::Timeout;
            }
            broken_ = true;
            continue;
        }
        if ((fds[0].revents & POLLIN) != 0) {
            return HidChangeWait::Cancelled;
        }
        const short events = broken_ ? 0 : fds[1].revents;
        if ((events & (POLLHUP | POLLNVAL)) != 0) {
            broken_ = true;
            return HidChangeWait::Changed;
        }
        // POLLERR: the receive buffer overflowed and events were lost, any of which may have
        // been a change.
        if ((events & POLLERR) != 0) {
            DrainEvents();
            return HidChangeWait::Changed;
        }
        if ((events & POLLIN) != 0 && DrainEvents()) {
            return HidChangeWait::Changed;
        }
        if (ready == 0 || leftMs == 0) {
            return HidChangeWait::Timeout;
        }
    }
}

void UdevChangeMonitor::Cancel() {
    // The counter stays above zero, so every later wait sees it too.
    const uint64_t one = 1;
    [[maybe_unused]] const ssize_t written = ::write(cancelFd_, &one, sizeof one);
}
