// SPDX-License-Identifier: GPL-3.0-or-later
#include "device/Presence.h"

#include "device/CHidDevice.h"
#include "device/DeviceState.h"
#include "device/MainWindowLink.h"
#include "device/MessageSink.h"
#include "device/Protocol.h"
#include "platform/HexDigits.h"
#include "platform/OwnMessages.h"

#include <array>
#include <cctype>
#include <chrono>
#include <string>

namespace {

// The object whose threads run: they own ConfigDevice(), so only one may.
std::atomic<DeviceThreads*> gRunning{nullptr};

constexpr unsigned kPresentPollMs = 100;
constexpr unsigned kAbsentScanMs = 1000;
constexpr unsigned kListenerScanMs = 1000;

// The number after the first `marker` (matched ignoring case), read as hex digits the way
// "%x" reads them; 0 without the marker or digits.
uint32_t HexAfterMarker(std::string_view path, std::string_view marker) {
    for (size_t at = 0; at + marker.size() <= path.size(); ++at) {
        bool match = true;
        for (size_t i = 0; i < marker.size() && match; ++i) {
            match = std::tolower(static_cast<unsigned char>(path[at + i])) == marker[i];
        }
        if (!match) {
            continue;
        }
        uint32_t value = 0;
        for (size_t i = at + marker.size(); i < path.size(); ++i) {
            const int digit = HexDigitValue(path[i]);
            if (digit < 0) {
                break;
            }
            value = value * 16 + static_cast<uint32_t>(digit);
        }
        return value;
    }
    return 0;
}

bool IsInterface(const CHidDevice& device, uint16_t usagePage, uint16_t usage) {
    const HiddAttributes& attributes = device.Attributes();
    return FindKeyboardModel(attributes.VendorID, attributes.ProductID) != nullptr &&
           device.Caps().UsagePage == usagePage && device.Caps().Usage == usage;
}

// Model values first: a command issued as soon as DeviceOpen shows must use this model's table
// length.
void SetModelValues(const CHidDevice& device) {
    const HiddAttributes& attributes = device.Attributes();
    const KeyboardModel* model = FindKeyboardModel(attributes.VendorID, attributes.ProductID);
    DeviceState().KeySlotCount.store(model->keySlotCount);
    DeviceState().KeyTableLength.store(model->keyTableLength);
}

// The reads of an arrival: the factory key table and the macro capacity. False when the table
// could not be read; the old one then stays.
bool ReadArrivalValues() {
    DeviceStateRecord& state = DeviceState();
    KeyTableBytes table{};
    const bool tableRead = CmdReadDefaultKeyTable(table.data()) == kCmdOk;
    if (tableRead) {
        state.SetDefaultKeyTable(table);
    }
    uint8_t info[kInfoBlockLength];
    if (CmdReadInfoBlock(info) == kCmdOk) {
        state.MacroCapacity.store(static_cast<unsigned>(info[11]) * 128);
    }
    return tableRead;
}

} // namespace

bool IsConfigurationInterface(const CHidDevice& device) {
    return IsInterface(device, kConfigUsagePage, kConfigUsage);
}

bool IsCandidatePath(std::string_view path) {
    const uint32_t vendor = HexAfterMarker(path, "vid_");
    const uint32_t product = HexAfterMarker(path, "pid_");
    return FindKeyboardModel(static_cast<uint16_t>(vendor & 0xFFFF),
                             static_cast<uint16_t>(product & 0xFFFF)) != nullptr;
}

DeviceThreads::DeviceThreads(MainWindowLink& link, MessageSink& sink) : link_(link), sink_(sink) {}

DeviceThreads::~DeviceThreads() {
    Stop();
}

bool DeviceThreads::Start() {
    DeviceThreads* none = nullptr;
    if (!gRunning.compare_exchange_strong(none, this)) {
        return false;
    }
    stopping_.store(false);
    if (!listenerDevice_) {
        listenerDevice_ = std::make_unique<CHidDevice>();
    }
    changeMonitor_ = CurrentHidBackend().WatchChanges();
    listener_ = std::thread([this] { EventListenerThread(); });
    presence_ = std::thread([this] { PresenceThread(); });
    return true;
}

void DeviceThreads::Stop() {
    if (!presence_.joinable() && !listener_.joinable()) {
        ReapIconThreads(IconThreads::All);
        return;
    }
    {
        // Under the lock no thread is between its stop check and an Open, nor decoding a
        // report, so closing here ends their reads and waits without pulling anything away.
        std::lock_guard lock(stopLock_);
        stopping_.store(true);
        ConfigDevice().Close();
        if (listenerDevice_) {
            listenerDevice_->Close();
        }
        if (changeMonitor_) {
            changeMonitor_->Cancel();
        }
    }
    stopSignal_.notify_all();
    if (listener_.joinable()) {
        listener_.join();
    }
    if (presence_.joinable()) {
        presence_.join();
    }
    ReapIconThreads(IconThreads::All);
    changeMonitor_.reset();
    gRunning.store(nullptr);
}

bool DeviceThreads::Pause(unsigned ms) {
    std::unique_lock lock(stopLock_);
    return !stopSignal_.wait_for(lock, std::chrono::milliseconds(ms),
                                 [this] { return stopping_.load(); });
}

bool DeviceThreads::PauseUntilChange(unsigned ms) {
    if (!changeMonitor_) {
        return Pause(ms);
    }
    return changeMonitor_->Wait(ms) != HidChangeWait::Cancelled && !Stopping();
}

bool DeviceThreads::OpenConfigInterface(const std::string& path) {
    CHidDevice& device = ConfigDevice();
    std::lock_guard lock(stopLock_);
    if (Stopping()) {
        return false;
    }
    if (!device.Open(path, {.read = true, .write = true, .overlapped = true})) {
        return false;
    }
    if (!IsConfigurationInterface(device)) {
        device.Close();
        return false;
    }
    SetModelValues(device);
    return true;
}

void DeviceThreads::PresenceThread() {
    DeviceStateRecord& state = DeviceState();
    CHidDevice& device = ConfigDevice();
    bool firstPass = true;
    if (state.OpenNotified.load() != 0 && !Pause(10)) {
        return;
    }

    // Probe pass: the first configuration interface that opens answers one info block read.
    if (!device.EnumerateInterfaces()) {
        return;
    }
    while (const std::string* path = device.NextPath()) {
        if (Stopping()) {
            break;
        }
        if (!IsCandidatePath(*path) || !OpenConfigInterface(*path)) {
            continue;
        }
        state.DeviceOpen.store(1);
        uint8_t info[kInfoBlockLength];
        CmdReadInfoBlock(info);
        device.Close();
        break;
    }
    device.FreePathList();
    state.DeviceOpen.store(0);

    while (!Stopping()) {
        if (state.DeviceOpen.load() == 0) {
            if (!device.EnumerateInterfaces()) {
                break;
            }
            while (const std::string* path = device.NextPath()) {
                if (Stopping()) {
                    break;
                }
                if (IsCandidatePath(*path) && OpenConfigInterface(*path)) {
                    state.DeviceOpen.store(1);
                    OnPresenceChanged(1);
                    break;
                }
            }
            if (firstPass) {
                firstPass = false;
                OnPresenceChanged(state.DeviceOpen.load());
                if (state.DeviceOpen.load() == 0) {
                    state.OpenNotified.store(1);
                }
            }
            device.FreePathList();
        } else if (!device.DevicePathExists()) {
            state.DeviceOpen.store(0);
            // The stale handle is of no further use; closing it also ends any transfer that
            // still waits on it.
            device.Close();
            OnPresenceChanged(0);
        }
        if (!PauseUntilChange(state.DeviceOpen.load() != 0 ? kPresentPollMs : kAbsentScanMs)) {
            break;
        }
    }
    state.DeviceOpen.store(0);
    device.Close();
    device.FreePathList();
}

void DeviceThreads::OnPresenceChanged(int present) {
    DeviceStateRecord& state = DeviceState();
    const unsigned now = present != 0 ? 1 : 0;
    if (now == state.KeyboardPresent.load()) {
        return;
    }
    if (now == 0) {
        state.CachedProfile.store(-1);
        link_.SendOwnMessage(UM_DISCONNECTED, 0, 0);
        link_.HideMainWindow();
        link_.SetTrayState(kTrayKindPresence, kTrayIconAbsent);
    } else {
        // A failure caused by Stop closing the device is none of the user's business.
        if (!ReadArrivalValues() && !Stopping()) {
            sink_.NotifyText("MAIN_DEFAULT_MATRIX_PROMPT");
        }
        link_.SendOwnMessage(UM_PROFILE_RELOAD, kProfileTag, 0);
        link_.SetTrayState(kTrayKindPresence, kTrayIconPresent);
    }
    state.KeyboardPresent.store(now);
    if (state.OpenNotified.load() == 0) {
        if (now == 1) {
            link_.PostOwnMessage(UM_OPEN, kOpenTag, 0);
        }
        state.OpenNotified.store(1);
    }
}

void DeviceThreads::EventListenerThread() {
    CHidDevice& device = *listenerDevice_;
    while (!Stopping()) {
        if (!device.EnumerateInterfaces()) {
            break;
        }
        while (const std::string* path = device.NextPath()) {
            if (!IsCandidatePath(*path)) {
                continue;
            }
            bool consumer = false;
            NoticeReader reader;
            {
                std::lock_guard lock(stopLock_);
                if (Stopping()) {
                    break;
                }
                if (!device.Open(*path, {.read = true, .overlapped = true})) {
                    continue;
                }
                consumer = IsInterface(device, kConsumerUsagePage, kConsumerUsage);
                // Taken under the lock: Stop may close the device (and free these) at any
                // moment once it is released.
                reader.buffer = device.InputReportBuffer();
                reader.length = device.InputReportBufferLength();
                reader.items = device.InputData();
                reader.count = device.InputDataCount();
                reader.preparsed = device.PreparsedData();
            }
            if (consumer) {
                ReadNotices(device, reader);
            }
            device.Close();
            if (consumer) {
                break;
            }
        }
        device.FreePathList();
        if (!Pause(kListenerScanMs)) {
            break;
        }
    }
    device.Close();
    device.FreePathList();
}

void DeviceThreads::ReadNotices(CHidDevice& device, const NoticeReader& reader) {
    while (true) {
        size_t got = 0;
        if (device.ReadReport(reader.buffer, reader.length, &got, kHidNoTimeout) == 0) {
            return;
        }
        // Stop closes the device under this lock, so the buffers are ours while it is held.
        std::lock_guard lock(stopLock_);
        if (Stopping()) {
            return;
        }
        if (reader.count == 0 || !reader.items[0].IsButtonData ||
            reader.items[0].ButtonData.Usages.empty()) {
            continue;
        }
        HidDataItem& first = reader.items[0];
        // A report of another id leaves the item as it was; its old usage is no new notice.
        first.IsDataSet = false;
        CHidDevice::DecodeInputReport(reader.buffer, got, HidReportType::Input, reader.items,
                                      reader.count, reader.preparsed);
        if (first.IsDataSet) {
            DispatchNotice(first.ButtonData.Usages[0]);
        }
    }
}

void DeviceThreads::DispatchNotice(uint16_t usage) {
    switch (usage) {
    case kNoticeLightingChanged:
        link_.RequestTimer(kTimerReloadLighting);
        break;
    case kNoticeProfileChanged:
        link_.RequestTimer(kTimerReloadProfile);
        break;
    case kNoticeSpecialModeOn:
        StartIconThread(kTrayKindSpecial, kTrayIconSpecialMode);
        break;
    case kNoticeSpecialModeOff:
        StartIconThread(kTrayKindPresence, 0);
        break;
    default:
        break;
    }
}

void DeviceThreads::StartIconThread(int kind, int iconId) {
    ReapIconThreads(IconThreads::Finished);
    const uint64_t ticket = iconTickets_.fetch_add(1);
    auto done = std::make_shared<std::atomic<bool>>(false);
    std::thread thread([this, kind, iconId, ticket, done] {
        while (iconTurn_.load() != ticket) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        if (!Stopping()) {
            link_.SetTrayState(kind, iconId);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
        iconTurn_.store(ticket + 1);
        done->store(true);
    });
    iconThreads_.push_back({std::move(thread), std::move(done)});
}

void DeviceThreads::ReapIconThreads(IconThreads which) {
    for (auto it = iconThreads_.begin(); it != iconThreads_.end();) {
        if (which == IconThreads::All || it->done->load()) {
            it->thread.join();
            it = iconThreads_.erase(it);
        } else {
            ++it;
        }
    }
}

bool FindKeyboards(std::vector<KeyboardInterface>& found) {
    found.clear();
    CHidDevice device;
    if (!device.EnumerateInterfaces()) {
        return false;
    }
    while (const std::string* path = device.NextPath()) {
        if (IsCandidatePath(*path) &&
            device.Open(*path, {.read = true, .write = true, .overlapped = true})) {
            if (IsConfigurationInterface(device)) {
                const HiddAttributes& attributes = device.Attributes();
                found.push_back({*path, attributes.VendorID, attributes.ProductID,
                                 FindKeyboardModel(attributes.VendorID, attributes.ProductID)});
            }
            device.Close();
        }
    }
    return true;
}

int ConnectKeyboard(const std::string& path) {
    if (gRunning.load() != nullptr) {
        return 0;
    }
    DisconnectKeyboard();
    std::vector<KeyboardInterface> found;
    if (path.empty()) {
        FindKeyboards(found);
    } else {
        found.push_back({path, 0, 0, nullptr});
    }
    CHidDevice& device = ConfigDevice();
    for (const KeyboardInterface& candidate : found) {
        if (!IsCandidatePath(candidate.Path) ||
            !device.Open(candidate.Path, {.read = true, .write = true, .overlapped = true})) {
            continue;
        }
        if (!IsConfigurationInterface(device)) {
            device.Close();
            continue;
        }
        SetModelValues(device);
        DeviceState().DeviceOpen.store(1);
        return ReadArrivalValues() ? 1 : -1;
    }
    return 0;
}

void DisconnectKeyboard() {
    if (gRunning.load() != nullptr) {
        return;
    }
    DeviceState().DeviceOpen.store(0);
    ConfigDevice().Close();
}
