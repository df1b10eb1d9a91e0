// SPDX-License-Identifier: GPL-3.0-or-later
#include "device/CHidDevice.h"

#include "platform/TextUtf.h"

#include <algorithm>
#include <utility>

namespace {

// Marks a transfer as running for the whole call, so Close waits for it to leave.
class BusyMark {
public:
    explicit BusyMark(std::atomic<int>& flag) : flag_(flag) { flag_.store(1); }
    ~BusyMark() {
        flag_.store(0);
        flag_.notify_all();
    }
    BusyMark(const BusyMark&) = delete;
    BusyMark& operator=(const BusyMark&) = delete;

private:
    std::atomic<int>& flag_;
};

void WaitUntilIdle(std::atomic<int>& flag) {
    for (int busy = flag.load(); busy != 0; busy = flag.load()) {
        flag.wait(busy);
    }
}

} // namespace

CHidDevice::CHidDevice(std::shared_ptr<HidBackend> backend) : backend_(std::move(backend)) {}

CHidDevice::~CHidDevice() {
    Close();
    FreePathList();
}

HidBackend& CHidDevice::Backend() {
    return backend_ ? *backend_ : CurrentHidBackend();
}

bool CHidDevice::EnumerateInterfaces() {
    FreePathList();
    std::vector<std::string> found;
    if (!Backend().ListInterfaces(found)) {
        return false;
    }
    // Capacity starts at 8 and doubles whenever the list is full; stored paths move along.
    size_t capacity = 4;
    for (std::string& path : found) {
        if (pathCount_ == pathCapacity_) {
            capacity *= 2;
            auto grown = std::make_unique<std::string[]>(capacity);
            std::move(paths_.get(), paths_.get() + pathCount_, grown.get());
            paths_ = std::move(grown);
            pathCapacity_ = capacity;
        }
        paths_[pathCount_++] = std::move(path);
    }
    return true;
}

const std::string* CHidDevice::NextPath() {
    if (!paths_ || pathCursor_ >= pathCount_) {
        return nullptr;
    }
    return &paths_[pathCursor_++];
}

void CHidDevice::FreePathList() {
    paths_.reset();
    pathCount_ = 0;
    pathCapacity_ = 0;
    pathCursor_ = 0;
}

bool CHidDevice::Open(const std::string& path, const HidOpenFlags& flags) {
    std::lock_guard lock(lifecycle_);
    CloseLocked();
    openForRead_ = flags.read;
    openForWrite_ = flags.write;
    overlapped_ = flags.overlapped;
    exclusive_ = flags.exclusive;
    // The field cannot hold a longer path, and a shortened one could name another device.
    if (Utf16Length(path) >= kDevicePathUnits) {
        devicePath_.clear();
        lastOpenError_ = HidOpenError::Failed;
        return false;
    }
    devicePath_ = path;

    HidOpenError error = HidOpenError::Failed;
    owned_ = Backend().Open(path, flags, error);
    if (!owned_) {
        lastOpenError_ = error == HidOpenError::None ? HidOpenError::Failed : error;
        return false;
    }
    if (!LoadDeviceInformation()) {
        owned_.reset();
        preparsed_.reset();
        lastOpenError_ = HidOpenError::Failed;
        return false;
    }
    lastOpenError_ = HidOpenError::None;
    handle_.store(owned_.get());
    return true;
}

// Preparsed data, attributes and caps, then the buffers that depend on them.
bool CHidDevice::LoadDeviceInformation() {
    const std::vector<uint8_t>& descriptor = owned_->ReportDescriptorBytes();
    std::vector<HidPreparsedData> collections;
    if (!ParseReportDescriptor(descriptor.data(), descriptor.size(), collections) ||
        owned_->CollectionIndex() >= collections.size()) {
        return false;
    }
    preparsed_ =
        std::make_unique<HidPreparsedData>(std::move(collections[owned_->CollectionIndex()]));
    attributes_.VendorID = owned_->VendorId();
    attributes_.ProductID = owned_->ProductId();
    caps_ = preparsed_->Caps();

    inputReport_.assign(caps_.InputReportByteLength, 0);
    buttonCaps_.resize(caps_.NumberInputButtonCaps);
    valueCaps_.resize(caps_.NumberInputValueCaps);
    uint16_t buttons = caps_.NumberInputButtonCaps;
    uint16_t values = caps_.NumberInputValueCaps;
    if (buttons > 0) {
        preparsed_->GetSpecificButtonCaps(HidReportType::Input, 0, 0, 0, buttonCaps_.data(),
                                          buttons);
    }
    if (values > 0) {
        preparsed_->GetSpecificValueCaps(HidReportType::Input, 0, 0, 0, valueCaps_.data(), values);
    }

    size_t valueUsages = 0;
    for (const HidpValueCaps& cap : valueCaps_) {
        valueUsages += cap.IsRange ? static_cast<size_t>(cap.UsageMax - cap.UsageMin) + 1 : 1;
    }
    inputData_.clear();
    inputData_.resize(buttonCaps_.size() + valueUsages);
    size_t next = 0;
    for (const HidpButtonCaps& cap : buttonCaps_) {
        HidDataItem& item = inputData_[next++];
        item.IsButtonData = true;
        item.UsagePage = cap.UsagePage;
        item.ReportID = cap.ReportID;
        item.ButtonData.UsageMin = cap.UsageMin;
        item.ButtonData.UsageMax = cap.UsageMax;
        item.ButtonData.MaxUsageCount =
            preparsed_->MaxUsageListLength(HidReportType::Input, cap.UsagePage);
        item.ButtonData.Usages.assign(item.ButtonData.MaxUsageCount, 0);
    }
    for (const HidpValueCaps& cap : valueCaps_) {
        const uint32_t last = cap.IsRange ? cap.UsageMax : cap.UsageMin;
        for (uint32_t usage = cap.UsageMin; usage <= last && next < inputData_.size(); ++usage) {
            HidDataItem& item = inputData_[next++];
            item.IsButtonData = false;
            item.UsagePage = cap.UsagePage;
            item.ReportID = cap.ReportID;
            item.ValueData.Usage = static_cast<uint16_t>(usage);
        }
    }
    return true;
}

bool CHidDevice::IsOpen() const {
    return handle_.load() != nullptr;
}

bool CHidDevice::Close() {
    std::lock_guard lock(lifecycle_);
    return CloseLocked();
}

bool CHidDevice::CloseLocked() {
    if (!owned_) {
        return false;
    }
    // New transfers see no handle from here on; one that already took it is cancelled and
    // waited for, so nothing below is released under its feet.
    handle_.store(nullptr);
    owned_->Cancel();
    WaitUntilIdle(readBusy_);
    WaitUntilIdle(writeBusy_);
    inputReport_.clear();
    inputReport_.shrink_to_fit();
    inputData_.clear();
    inputData_.shrink_to_fit();
    buttonCaps_.clear();
    valueCaps_.clear();
    preparsed_.reset();
    caps_ = HidpCaps{};
    attributes_ = HiddAttributes{};
    owned_.reset();
    return true;
}

int CHidDevice::ReadReport(uint8_t* buffer, size_t length, size_t* bytesRead, uint32_t timeoutMs) {
    return Transfer(false, buffer, nullptr, length, bytesRead, timeoutMs);
}

int CHidDevice::WriteReport(const uint8_t* buffer, size_t length, size_t* bytesWritten,
                            uint32_t timeoutMs) {
    return Transfer(true, nullptr, buffer, length, bytesWritten, timeoutMs);
}

int CHidDevice::Transfer(bool write, uint8_t* readBuffer, const uint8_t* writeBuffer, size_t length,
                         size_t* count, uint32_t timeoutMs) {
    // The busy mark goes up before the handle is taken: Close clears the handle before it
    // looks at the mark, so it either sees this transfer or this transfer sees no handle.
    BusyMark busy(write ? writeBusy_ : readBusy_);
    if (count != nullptr) {
        *count = 0;
    }
    HidInterface* handle = handle_.load();
    if (handle == nullptr) {
        return 0;
    }
    size_t moved = 0;
    const HidTransferResult result = write ? handle->Write(writeBuffer, length, moved, timeoutMs)
                                           : handle->Read(readBuffer, length, moved, timeoutMs);
    if (result != HidTransferResult::Ok) {
        return 0;
    }
    if (count != nullptr) {
        *count = moved;
    }
    return 1;
}

bool CHidDevice::DecodeInputReport(const uint8_t* report, size_t reportLength,
                                   HidReportType reportType, HidDataItem* items, size_t itemCount,
                                   const HidPreparsedData* preparsedData) {
    if (report == nullptr || reportLength == 0 || preparsedData == nullptr ||
        (items == nullptr && itemCount > 0)) {
        return false;
    }
    const uint32_t reportId = preparsedData->ReportIdOf(report, reportLength);
    for (size_t i = 0; i < itemCount; ++i) {
        HidDataItem& item = items[i];
        if (item.ReportID != reportId) {
            continue;
        }
        if (item.IsButtonData) {
            auto& data = item.ButtonData;
            const uint32_t room =
                std::min<uint32_t>(data.MaxUsageCount, static_cast<uint32_t>(data.Usages.size()));
            uint32_t found = room;
            item.Status = preparsedData->GetUsages(reportType, item.UsagePage, 0,
                                                   data.Usages.data(), found, report, reportLength);
            if (item.Status != HIDP_STATUS_SUCCESS && item.Status != HIDP_STATUS_BUFFER_TOO_SMALL) {
                found = 0;
            }
            // Keep, in order and packed to the front, the usages of this item's own range.
            uint32_t kept = 0;
            for (uint32_t u = 0; u < found; ++u) {
                const uint16_t usage = data.Usages[u];
                if (usage >= data.UsageMin && usage <= data.UsageMax) {
                    data.Usages[kept++] = usage;
                }
            }
            if (kept < room) {
                data.Usages[kept] = 0;
            }
        } else {
            auto& data = item.ValueData;
            item.Status = preparsedData->GetUsageValue(reportType, item.UsagePage, 0, data.Usage,
                                                       data.Value, report, reportLength);
            if (item.Status != HIDP_STATUS_SUCCESS) {
                return false;
            }
            item.Status = preparsedData->GetScaledUsageValue(
                reportType, item.UsagePage, 0, data.Usage, data.ScaledValue, report, reportLength);
        }
        item.IsDataSet = true;
    }
    return true;
}

bool CHidDevice::DevicePathExists() {
    return !devicePath_.empty() && Backend().PathExists(devicePath_);
}
