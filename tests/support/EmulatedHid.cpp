// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/EmulatedHid.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <umockdev.h>
#include <unistd.h>

namespace {

std::string Hex(const std::vector<uint8_t>& bytes) {
    std::string text;
    char digits[3];
    for (uint8_t b : bytes) {
        std::snprintf(digits, sizeof digits, "%02X", b);
        text += digits;
    }
    return text;
}

} // namespace

EmulatedHid::EmulatedHid() {
    // A hung-up pseudo-terminal sends SIGHUP to a session leader.
    std::signal(SIGHUP, SIG_IGN);
    testbed_ = umockdev_testbed_new();
}

EmulatedHid::~EmulatedHid() {
    g_object_unref(testbed_);
}

bool EmulatedHid::Preloaded() {
    const char* preload = std::getenv("LD_PRELOAD");
    return preload != nullptr && std::strstr(preload, "libumockdev-preload") != nullptr;
}

int EmulatedHid::Add(const std::string& id, uint16_t vendor, uint16_t product, int node,
                     const std::vector<uint8_t>& descriptor) {
    char hidId[32];
    std::snprintf(hidId, sizeof hidId, "0003:%08X:%08X", vendor, product);
    const std::string name = "hidraw" + std::to_string(node);
    // Without contents the node is a pseudo-terminal whose other side plays the device.
    const std::string text = "P: /devices/virtual/hid/" + id + "\n" + "E: HID_ID=" + hidId + "\n" +
                             "E: HID_NAME=Emulated " + id + "\n" + "E: SUBSYSTEM=hid\n" +
                             "H: report_descriptor=" + Hex(descriptor) + "\n\n" +
                             "P: /devices/virtual/hid/" + id + "/hidraw/" + name + "\n" +
                             "N: " + name + "\n" + "E: SUBSYSTEM=hidraw\n" + "E: DEVNAME=/dev/" +
                             name + "\n" + "A: dev=241:" + std::to_string(node) + "\n" +
                             "L: device=../../../" + id + "\n";
    GError* error = nullptr;
    if (!umockdev_testbed_add_from_string(testbed_, text.c_str(), &error)) {
        std::fprintf(stderr, "umockdev: %s\n", error ? error->message : "cannot add device");
        g_clear_error(&error);
        return -1;
    }
    const int deviceSide = umockdev_testbed_get_dev_fd(testbed_, ("/dev/" + name).c_str());
    if (deviceSide >= 0) {
        termios t{};
        tcgetattr(deviceSide, &t);
        cfmakeraw(&t);
        tcsetattr(deviceSide, TCSANOW, &t);
    }
    return deviceSide;
}

void EmulatedHid::Unplug(const std::string& id, int node, int deviceSide) {
    // Never close the device side: the testbed owns that descriptor number.
    const int null = ::open("/dev/null", O_RDWR);
    ::dup2(null, deviceSide);
    ::close(null);
    // As the kernel does: the node's "remove" first, each sent while its device still exists
    // (removing a device sends nothing by itself).
    umockdev_testbed_uevent(testbed_, NodeSysPath(id, node).c_str(), "remove");
    umockdev_testbed_remove_device(testbed_, NodeSysPath(id, node).c_str());
    umockdev_testbed_uevent(testbed_, DeviceSysPath(id).c_str(), "remove");
    umockdev_testbed_remove_device(testbed_, DeviceSysPath(id).c_str());
}

void EmulatedHid::Uevent(const std::string& syspath, const char* action) {
    umockdev_testbed_uevent(testbed_, syspath.c_str(), action);
}

std::string EmulatedHid::DeviceSysPath(const std::string& id) {
    return "/sys/devices/virtual/hid/" + id;
}

std::string EmulatedHid::NodeSysPath(const std::string& id, int node) {
    return DeviceSysPath(id) + "/hidraw/hidraw" + std::to_string(node);
}

std::string EmulatedHid::RootDir() const {
    gchar* root = umockdev_testbed_get_root_dir(testbed_);
    std::string dir = root;
    g_free(root);
    return dir;
}

bool ReadExactly(int fd, uint8_t* buffer, size_t length, int timeoutMs) {
    size_t got = 0;
    while (got < length) {
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, timeoutMs) <= 0) {
            return false;
        }
        const ssize_t n = ::read(fd, buffer + got, length - got);
        if (n <= 0) {
            return false;
        }
        got += static_cast<size_t>(n);
    }
    return true;
}

bool WriteAll(int fd, const std::vector<uint8_t>& bytes) {
    return ::write(fd, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
}
