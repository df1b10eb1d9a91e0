// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Reads the keys typed on the keyboard itself from its ordinary boot-keyboard interface (usage
// page 0x01, usage 0x06 of a supported model), for the keys the desktop keeps from every window
// (the Win and Applications keys). A thread of its own finds the interface, reads its input
// reports and hands each report's keyboard-page usages to the handler; it looks again when the
// keyboard goes away or was not there.

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <span>
#include <thread>

class CHidDevice;
class HidBackend;

inline constexpr uint16_t kGenericDesktopPage = 0x01;
inline constexpr uint16_t kKeyboardUsage = 0x06;
inline constexpr uint16_t kKeyboardUsagePage = 0x07;

class KeyboardKeyReader {
public:
    // Called on the reader's thread with the usages one report holds down.
    using ReportHandler = std::function<void(std::span<const uint16_t> usagesDown)>;

    // Without a backend the reader uses CurrentHidBackend().
    explicit KeyboardKeyReader(ReportHandler handler,
                               std::shared_ptr<HidBackend> backend = nullptr);
    ~KeyboardKeyReader(); // Stop()
    KeyboardKeyReader(const KeyboardKeyReader&) = delete;
    KeyboardKeyReader& operator=(const KeyboardKeyReader&) = delete;

    // Starts the thread; false when it already runs.
    bool Start();
    // Ends the thread, cutting its wait or read short; the handler is not called once this
    // returns.
    void Stop();
    // Whether the interface is open and being read.
    bool Reading() const { return reading_.load(); }

private:
    void Run();
    bool OpenInterface();
    void ReadReports();
    bool Pause(unsigned ms);

    ReportHandler handler_;
    std::unique_ptr<CHidDevice> device_;
    std::thread thread_;
    // Stop closes the device under it, so a report is decoded and handled whole or not at all.
    std::mutex lock_;
    std::condition_variable stopSignal_;
    bool stopping_ = false;
    std::atomic<bool> reading_{false};
};
