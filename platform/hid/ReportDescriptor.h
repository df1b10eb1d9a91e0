// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Our HID report descriptor parser. It gives CHidDevice its "preparsed data": the capabilities
// of one top-level collection and the decoding of its input reports into usages and values,
// with the HIDP_* names and status codes CHidDevice works with.
//
// One hidraw node carries the whole descriptor of a USB interface, which may hold several
// top-level collections (each a HID interface of its own). The parser returns one
// HidPreparsedData per top-level collection.
//
// Reports are laid out as hidraw delivers them: when the descriptor uses report ids, byte 0 is
// the id and the report's fields follow; otherwise the fields start at byte 0 and the report id
// is 0. Report byte lengths count that id byte only when ids are used.

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

enum class HidReportType { Input, Output, Feature };

using HidpStatus = uint32_t;
inline constexpr HidpStatus HIDP_STATUS_SUCCESS = 0x00110000;
inline constexpr HidpStatus HIDP_STATUS_NULL = 0x80110001;
inline constexpr HidpStatus HIDP_STATUS_INVALID_PREPARSED_DATA = 0xC0110001;
inline constexpr HidpStatus HIDP_STATUS_INVALID_REPORT_LENGTH = 0xC0110003;
inline constexpr HidpStatus HIDP_STATUS_USAGE_NOT_FOUND = 0xC0110004;
inline constexpr HidpStatus HIDP_STATUS_VALUE_OUT_OF_RANGE = 0xC0110005;
inline constexpr HidpStatus HIDP_STATUS_BAD_LOG_PHY_VALUES = 0xC0110006;
inline constexpr HidpStatus HIDP_STATUS_BUFFER_TOO_SMALL = 0xC0110007;
inline constexpr HidpStatus HIDP_STATUS_INCOMPATIBLE_REPORT_ID = 0xC011000A;

// Main item flag bits (BitField).
inline constexpr uint16_t kHidMainConstant = 0x01;
inline constexpr uint16_t kHidMainVariable = 0x02;
inline constexpr uint16_t kHidMainRelative = 0x04;
inline constexpr uint16_t kHidMainNullState = 0x40;

struct HidpCaps {
    uint16_t Usage = 0;
    uint16_t UsagePage = 0;
    uint16_t InputReportByteLength = 0;
    uint16_t OutputReportByteLength = 0;
    uint16_t FeatureReportByteLength = 0;
    uint16_t NumberLinkCollectionNodes = 0;
    uint16_t NumberInputButtonCaps = 0;
    uint16_t NumberInputValueCaps = 0;
    uint16_t NumberOutputButtonCaps = 0;
    uint16_t NumberOutputValueCaps = 0;
    uint16_t NumberFeatureButtonCaps = 0;
    uint16_t NumberFeatureValueCaps = 0;
};

// What button and value capabilities share. UsageMin and UsageMax are both the single usage
// when IsRange is false.
struct HidpUsageCaps {
    uint16_t UsagePage = 0;
    uint8_t ReportID = 0;
    uint16_t BitField = 0;
    uint16_t LinkCollection = 0;
    uint16_t LinkUsage = 0;
    uint16_t LinkUsagePage = 0;
    bool IsRange = false;
    bool IsAbsolute = true;
    uint16_t ReportCount = 0;
    uint16_t UsageMin = 0;
    uint16_t UsageMax = 0;
};

// A usage list control: an array field, or a variable field of one-bit controls.
struct HidpButtonCaps : HidpUsageCaps {};

struct HidpValueCaps : HidpUsageCaps {
    bool HasNull = false;
    uint16_t BitSize = 0;
    int32_t LogicalMin = 0;
    int32_t LogicalMax = 0;
    int32_t PhysicalMin = 0;
    int32_t PhysicalMax = 0;
    uint32_t UnitsExp = 0;
    uint32_t Units = 0;
};

class HidPreparsedData {
public:
    const HidpCaps& Caps() const { return caps_; }
    bool UsesReportIds() const { return usesReportIds_; }
    // Whether a report with this id (0 when ids are unused) carries fields of this collection.
    bool HasReport(HidReportType type, uint8_t reportId) const;
    // The report id of a report as delivered: its first byte when ids are used, else 0.
    uint8_t ReportIdOf(const uint8_t* report, size_t reportLength) const;

    // A zero filter (usagePage, linkCollection or usage) matches everything. `length` gives
    // the room in `caps` and receives the number of matching capabilities (all of them even
    // when fewer fit, with HIDP_STATUS_BUFFER_TOO_SMALL).
    HidpStatus GetSpecificButtonCaps(HidReportType type, uint16_t usagePage,
                                     uint16_t linkCollection, uint16_t usage, HidpButtonCaps* caps,
                                     uint16_t& length) const;
    HidpStatus GetSpecificValueCaps(HidReportType type, uint16_t usagePage, uint16_t linkCollection,
                                    uint16_t usage, HidpValueCaps* caps, uint16_t& length) const;

    // The most usages one report can yield for the page (0: every page).
    uint32_t MaxUsageListLength(HidReportType type, uint16_t usagePage) const;

    // Usages of the page that are on in the report. `usageLength` gives the room in
    // `usageList` and receives the number stored.
    HidpStatus GetUsages(HidReportType type, uint16_t usagePage, uint16_t linkCollection,
                         uint16_t* usageList, uint32_t& usageLength, const uint8_t* report,
                         size_t reportLength) const;
    // The raw field (the first one of a value array).
    HidpStatus GetUsageValue(HidReportType type, uint16_t usagePage, uint16_t linkCollection,
                             uint16_t usage, uint32_t& value, const uint8_t* report,
                             size_t reportLength) const;
    // The field sign-extended and scaled from the logical to the physical range.
    HidpStatus GetScaledUsageValue(HidReportType type, uint16_t usagePage, uint16_t linkCollection,
                                   uint16_t usage, int32_t& value, const uint8_t* report,
                                   size_t reportLength) const;

private:
    friend class ReportDescriptorParser;

    // Where one capability's controls sit in its report.
    struct Layout {
        uint32_t bitOffset = 0; // of the main item, after the report id byte
        uint16_t bitSize = 0;
        uint16_t fieldCount = 0; // the main item's report count
        uint16_t firstSlot = 0;  // variable items: the first field of this capability
        uint16_t slotCount = 0;  // variable items: fields belonging to this capability
        uint32_t indexBase = 0;  // array items: array index of UsageMin
        int64_t logicalMin = 0;
        int64_t logicalMax = 0;
        int64_t physicalMin = 0;
        int64_t physicalMax = 0;
        bool isArray = false;
    };
    struct PerType {
        std::vector<HidpButtonCaps> buttons;
        std::vector<Layout> buttonLayouts;
        std::vector<HidpValueCaps> values;
        std::vector<Layout> valueLayouts;
        std::array<uint32_t, 256> reportBits{}; // data bits of each report id
        std::array<bool, 256> hasReport{};
    };

    const PerType& Of(HidReportType type) const { return types_[static_cast<size_t>(type)]; }
    HidpStatus FindValue(HidReportType type, uint16_t usagePage, uint16_t linkCollection,
                         uint16_t usage, const uint8_t* report, size_t reportLength,
                         const HidpValueCaps*& cap, const Layout*& layout, uint32_t& raw) const;
    HidpStatus CheckReport(HidReportType type, const uint8_t* report, size_t reportLength) const;

    HidpCaps caps_;
    bool usesReportIds_ = false;
    std::array<PerType, 3> types_;
};

// Parses a whole report descriptor into one HidPreparsedData per top-level collection, in
// descriptor order. False (and `collections` empty) when the descriptor is malformed; the
// parser never reads past `size` bytes.
bool ParseReportDescriptor(const uint8_t* data, size_t size,
                           std::vector<HidPreparsedData>& collections);
