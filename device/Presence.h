// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Finding the keyboard and watching it: the presence thread opens the configuration interface
// in ConfigDevice(), notices removal and arrival and tells the main window; the listener reads
// the keyboard's own notices on its consumer-control interface. Both reach the main window only
// through MainWindowLink (and the user through MessageSink).

#include "platform/hid/KeyboardModels.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

class CHidDevice;
class HidChangeMonitor;
struct HidDataItem;
class HidPreparsedData;
class MainWindowLink;
class MessageSink;

inline constexpr uint16_t kConfigUsagePage = 0xFF1C;
inline constexpr uint16_t kConfigUsage = 0x92;
inline constexpr uint16_t kConsumerUsagePage = 0x000C;
inline constexpr uint16_t kConsumerUsage = 0x0001;

// The keyboard's own notices (first usage of a consumer-control report).
inline constexpr uint16_t kNoticeLightingChanged = 0x0401;
inline constexpr uint16_t kNoticeProfileChanged = 0x0402;
inline constexpr uint16_t kNoticeSpecialModeOff = 0x1810;
inline constexpr uint16_t kNoticeSpecialModeOn = 0x1811;

// Whether an open interface is a supported keyboard's configuration interface: the vendor and
// product ids of a supported model and the top-level usage page 0xFF1C, usage 0x92.
bool IsConfigurationInterface(const CHidDevice& device);
// Whether a path's "vid_" and "pid_" markers (any letter case, hex digits after them) name a
// supported model.
bool IsCandidatePath(std::string_view path);

// For programs that run without the device threads (kestrowctl); none of these acts while
// the threads run.
struct KeyboardInterface {
    std::string Path;
    uint16_t VendorId = 0;
    uint16_t ProductId = 0;
    const KeyboardModel* Model = nullptr;
};
// The configuration interfaces of the supported keyboards present, in enumeration order (each
// candidate is opened for a moment). False when listing failed.
bool FindKeyboards(std::vector<KeyboardInterface>& found);
// Opens the configuration interface at `path` (empty: the first one found) in ConfigDevice() as
// an arrival does: model values, DeviceOpen, the factory key table and the macro capacity.
// 1 connected; -1 connected but the factory key table could not be read (the old one stays);
// 0 no keyboard (or the device threads run).
int ConnectKeyboard(const std::string& path = {});
// Clears DeviceOpen and closes ConfigDevice().
void DisconnectKeyboard();

// The presence thread and the listener. At most one object runs at a time: the presence thread
// owns ConfigDevice() and the model values of DeviceState().
class DeviceThreads {
public:
    DeviceThreads(MainWindowLink& link, MessageSink& sink);
    ~DeviceThreads(); // Stop()
    DeviceThreads(const DeviceThreads&) = delete;
    DeviceThreads& operator=(const DeviceThreads&) = delete;

    // Starts EventListenerThread, then PresenceThread. False when the threads of this or of
    // another object already run.
    bool Start();
    // Ends both threads and any icon thread, cutting short their waits, reads and commands, and
    // closes ConfigDevice(). Returns once they have ended. The presence thread may be waiting in
    // a SendOwnMessage or a MessageSink call for the user-interface thread: when that thread
    // calls Stop, the link and the sink must first stop waiting for it (answer at once once the
    // window is closing), or Stop waits for ever.
    void Stop();

    // The presence state changed (1 arrival, 0 removal); reports it when it differs from
    // KeyboardPresent. Runs on the presence thread.
    void OnPresenceChanged(int present);

    // Acts on the first usage of a consumer-control report. Runs on the listener thread.
    void DispatchNotice(uint16_t usage);

private:
    void PresenceThread();
    void EventListenerThread();
    // The listener device's buffers, taken while it opened.
    struct NoticeReader {
        uint8_t* buffer = nullptr;
        size_t length = 0;
        HidDataItem* items = nullptr;
        size_t count = 0;
        const HidPreparsedData* preparsed = nullptr;
    };
    // Reads consumer-control reports until a read fails and dispatches their first usage.
    void ReadNotices(CHidDevice& device, const NoticeReader& reader);
    // Opens a candidate for the presence search; true when it is the configuration interface,
    // left open in ConfigDevice().
    bool OpenConfigInterface(const std::string& path);
    // False when stopping; otherwise sleeps up to `ms` milliseconds.
    bool Pause(unsigned ms);
    // Pause, cut short when the backend's monitor sees an interface come or go.
    bool PauseUntilChange(unsigned ms);
    bool Stopping() const { return stopping_.load(); }
    void StartIconThread(int kind, int iconId);
    enum class IconThreads { Finished, All };
    void ReapIconThreads(IconThreads which);

    MainWindowLink& link_;
    MessageSink& sink_;

    std::atomic<bool> stopping_{false};
    // Guards the stop flag against an Open racing with Stop's close: each thread opens only
    // while holding it and after seeing no stop.
    std::mutex stopLock_;
    std::condition_variable stopSignal_;

    std::thread presence_;
    std::thread listener_;
    std::unique_ptr<CHidDevice> listenerDevice_;
    // nullptr when the backend cannot watch: the presence thread then scans on its period.
    std::unique_ptr<HidChangeMonitor> changeMonitor_;

    // Icon threads take their turns in the order of the notices that started them, so a quick
    // "on" then "off" never leaves the special-mode icon showing.
    struct IconThread {
        std::thread thread;
        std::shared_ptr<std::atomic<bool>> done;
    };
    std::vector<IconThread> iconThreads_; // listener thread and Stop only
    std::atomic<uint64_t> iconTickets_{0};
    std::atomic<uint64_t> iconTurn_{0};
};
