// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The program's only way to reach the keyboard: lists HID interface paths, opens one by path,
// reads its identity and capabilities, and moves whole reports with a timeout that another
// thread can cut short by closing the object.

#include "platform/hid/HidBackend.h"
#include "platform/hid/ReportDescriptor.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

struct HiddAttributes {
    uint16_t VendorID = 0;
    uint16_t ProductID = 0;
};

// One decoded field of an input report.
struct HidDataItem {
    bool IsButtonData = false;
    uint16_t UsagePage = 0;
    HidpStatus Status = HIDP_STATUS_SUCCESS;
    uint32_t ReportID = 0;
    bool IsDataSet = false;
    struct {
        uint32_t UsageMin = 0;
        uint32_t UsageMax = 0;
        uint32_t MaxUsageCount = 0;
        std::vector<uint16_t> Usages; // MaxUsageCount entries, zero-terminated when shorter
    } ButtonData;
    struct {
        uint16_t Usage = 0;
        uint32_t Value = 0;
        int32_t ScaledValue = 0;
    } ValueData;
};

class CHidDevice {
public:
    // The device path field holds this many UTF-16 units including its terminator.
    static constexpr size_t kDevicePathUnits = 260;

    // Without a backend the object uses CurrentHidBackend() at each call.
    explicit CHidDevice(std::shared_ptr<HidBackend> backend = nullptr);
    ~CHidDevice();
    CHidDevice(const CHidDevice&) = delete;
    CHidDevice& operator=(const CHidDevice&) = delete;

    // Builds a new path list (the previous one is freed first). False, with an empty list,
    // when listing failed.
    bool EnumerateInterfaces();
    // The path at the cursor, advancing it; nullptr at the end or without a list. The text
    // stays owned by the list.
    const std::string* NextPath();
    void FreePathList();

    // Closes whatever is open, then opens `path`. A path longer than the device path field
    // (259 UTF-16 units) is refused. False leaves the object closed; LastOpenError() says why.
    bool Open(const std::string& path, const HidOpenFlags& flags);
    bool IsOpen() const;
    // Ends a transfer waiting in another thread and waits for it to leave before releasing
    // anything. False when nothing was open.
    bool Close();

    // Nonzero when the whole report moved. `count` may be null; timeoutMs kHidNoTimeout
    // waits without limit. Neither allocates.
    int ReadReport(uint8_t* buffer, size_t length, size_t* bytesRead, uint32_t timeoutMs);
    int WriteReport(const uint8_t* buffer, size_t length, size_t* bytesWritten, uint32_t timeoutMs);

    // Fills the usages and values of the items whose report id is the report's. False when the
    // report is empty, there is no preparsed data, or a value item cannot be read.
    static bool DecodeInputReport(const uint8_t* report, size_t reportLength,
                                  HidReportType reportType, HidDataItem* items, size_t itemCount,
                                  const HidPreparsedData* preparsedData);

    // Whether the interface last opened still exists, without any traffic to the device.
    bool DevicePathExists();

    // Why the last Open failed (None after a success): tells "nothing there" (NotFound) from
    // "there but not for this user" (PermissionDenied).
    HidOpenError LastOpenError() const { return lastOpenError_; }

    size_t PathCount() const { return pathCount_; }
    size_t PathCapacity() const { return pathCapacity_; }
    unsigned PathCursor() const { return pathCursor_; }
    bool OpenForRead() const { return openForRead_; }
    bool OpenForWrite() const { return openForWrite_; }
    bool Overlapped() const { return overlapped_; }
    bool Exclusive() const { return exclusive_; }
    const std::string& DevicePath() const { return devicePath_; }
    const HidPreparsedData* PreparsedData() const { return preparsed_.get(); }
    const HidpCaps& Caps() const { return caps_; }
    const HiddAttributes& Attributes() const { return attributes_; }
    uint8_t* InputReportBuffer() { return inputReport_.data(); }
    size_t InputReportBufferLength() const { return inputReport_.size(); }
    HidDataItem* InputData() { return inputData_.data(); }
    size_t InputDataCount() const { return inputData_.size(); }
    const std::vector<HidpButtonCaps>& InputButtonCaps() const { return buttonCaps_; }
    const std::vector<HidpValueCaps>& InputValueCaps() const { return valueCaps_; }
    bool ReadBusy() const { return readBusy_.load() != 0; }
    bool WriteBusy() const { return writeBusy_.load() != 0; }

private:
    HidBackend& Backend();
    bool CloseLocked();
    bool LoadDeviceInformation();
    int Transfer(bool write, uint8_t* readBuffer, const uint8_t* writeBuffer, size_t length,
                 size_t* count, uint32_t timeoutMs);

    std::shared_ptr<HidBackend> backend_;
    std::mutex lifecycle_; // Open and Close

    std::unique_ptr<std::string[]> paths_;
    size_t pathCount_ = 0;
    size_t pathCapacity_ = 0;
    unsigned pathCursor_ = 0;

    bool openForRead_ = false;
    bool openForWrite_ = false;
    bool overlapped_ = false;
    bool exclusive_ = false;
    std::unique_ptr<HidInterface> owned_;        // owns the handle; changed only under lifecycle_
    std::atomic<HidInterface*> handle_{nullptr}; // what transfers use; null when closed
    std::string devicePath_;
    std::unique_ptr<HidPreparsedData> preparsed_;
    HidpCaps caps_;
    HiddAttributes attributes_;
    std::vector<uint8_t> inputReport_;
    std::vector<HidDataItem> inputData_;
    std::vector<HidpButtonCaps> buttonCaps_;
    std::vector<HidpValueCaps> valueCaps_;
    std::atomic<int> readBusy_{0};
    std::atomic<int> writeBusy_{0};
    HidOpenError lastOpenError_ = HidOpenError::None;
};
