// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/hid/ReportDescriptor.h"

#include <algorithm>

// Reading reports with a parsed descriptor: which report a buffer holds, the capabilities of
// a usage page, and the buttons and values a report carries.

namespace {

int64_t SignExtendBits(uint32_t raw, uint16_t bits) {
    if (bits == 0 || bits >= 32) {
        return static_cast<int32_t>(raw);
    }
    const uint32_t sign = 1u << (bits - 1);
    return static_cast<int64_t>(raw ^ sign) - static_cast<int64_t>(sign);
}

// Bits [offset, offset + bits) of `data`, least significant bit first; 0 when out of range.
uint32_t ExtractBits(const uint8_t* data, size_t size, uint64_t offset, uint16_t bits) {
    if (bits == 0 || bits > 32) {
        return 0;
    }
    const uint64_t first = offset / 8;
    const unsigned shift = static_cast<unsigned>(offset % 8);
    const uint64_t bytes = (shift + bits + 7u) / 8u;
    if (first > size || bytes > size - first) {
        return 0;
    }
    uint64_t acc = 0;
    for (uint64_t i = 0; i < bytes; ++i) {
        acc |= static_cast<uint64_t>(data[first + i]) << (8 * i);
    }
    acc >>= shift;
    if (bits < 32) {
        acc &= (uint64_t{1} << bits) - 1;
    }
    return static_cast<uint32_t>(acc);
}

bool MatchesLink(const HidpUsageCaps& cap, uint16_t linkCollection) {
    return linkCollection == 0 || cap.LinkCollection == linkCollection;
}

bool ContainsUsage(const HidpUsageCaps& cap, uint16_t usage) {
    return usage >= cap.UsageMin && usage <= cap.UsageMax;
}

template <typename Caps>
HidpStatus CopyMatching(const std::vector<Caps>& all, uint16_t usagePage, uint16_t linkCollection,
                        uint16_t usage, Caps* out, uint16_t& length) {
    const uint16_t room = out ? length : 0;
    uint16_t found = 0;
    for (const Caps& cap : all) {
        if ((usagePage != 0 && cap.UsagePage != usagePage) || !MatchesLink(cap, linkCollection) ||
            (usage != 0 && !ContainsUsage(cap, usage))) {
            continue;
        }
        if (found < room) {
            out[found] = cap;
        }
        ++found;
    }
    length = found;
    if (found == 0) {
        return HIDP_STATUS_USAGE_NOT_FOUND;
    }
    return found > room ? HIDP_STATUS_BUFFER_TOO_SMALL : HIDP_STATUS_SUCCESS;
}

} // namespace

bool HidPreparsedData::HasReport(HidReportType type, uint8_t reportId) const {
    return Of(type).hasReport[reportId];
}

uint8_t HidPreparsedData::ReportIdOf(const uint8_t* report, size_t reportLength) const {
    return usesReportIds_ && report != nullptr && reportLength > 0 ? report[0] : 0;
}

HidpStatus HidPreparsedData::GetSpecificButtonCaps(HidReportType type, uint16_t usagePage,
                                                   uint16_t linkCollection, uint16_t usage,
                                                   HidpButtonCaps* caps, uint16_t& length) const {
    return CopyMatching(Of(type).buttons, usagePage, linkCollection, usage, caps, length);
}

HidpStatus HidPreparsedData::GetSpecificValueCaps(HidReportType type, uint16_t usagePage,
                                                  uint16_t linkCollection, uint16_t usage,
                                                  HidpValueCaps* caps, uint16_t& length) const {
    return CopyMatching(Of(type).values, usagePage, linkCollection, usage, caps, length);
}

uint32_t HidPreparsedData::MaxUsageListLength(HidReportType type, uint16_t usagePage) const {
    const PerType& per = Of(type);
    uint32_t total = 0;
    for (size_t i = 0; i < per.buttons.size(); ++i) {
        if (usagePage == 0 || per.buttons[i].UsagePage == usagePage) {
            const Layout& l = per.buttonLayouts[i];
            total += l.isArray ? l.fieldCount : l.slotCount;
        }
    }
    return total;
}

HidpStatus HidPreparsedData::CheckReport(HidReportType type, const uint8_t* report,
                                         size_t reportLength) const {
    if (report == nullptr || reportLength == 0) {
        return HIDP_STATUS_INVALID_REPORT_LENGTH;
    }
    const PerType& per = Of(type);
    const uint8_t id = ReportIdOf(report, reportLength);
    if (!per.hasReport[id]) {
        return HIDP_STATUS_INCOMPATIBLE_REPORT_ID;
    }
    const size_t needed = (usesReportIds_ ? 1u : 0u) + (per.reportBits[id] + 7u) / 8u;
    return reportLength < needed ? HIDP_STATUS_INVALID_REPORT_LENGTH : HIDP_STATUS_SUCCESS;
}

HidpStatus HidPreparsedData::GetUsages(HidReportType type, uint16_t usagePage,
                                       uint16_t linkCollection, uint16_t* usageList,
                                       uint32_t& usageLength, const uint8_t* report,
                                       size_t reportLength) const {
    const uint32_t room = usageList ? usageLength : 0;
    usageLength = 0;
    const PerType& per = Of(type);
    bool pageKnown = false;
    for (const HidpButtonCaps& cap : per.buttons) {
        pageKnown = pageKnown || (cap.UsagePage == usagePage && MatchesLink(cap, linkCollection));
    }
    if (!pageKnown) {
        return HIDP_STATUS_USAGE_NOT_FOUND;
    }
    const HidpStatus check = CheckReport(type, report, reportLength);
    if (check != HIDP_STATUS_SUCCESS) {
        return check;
    }
    const uint8_t id = ReportIdOf(report, reportLength);
    const size_t header = usesReportIds_ ? 1 : 0;
    const uint8_t* fields = report + header;
    const size_t fieldBytes = reportLength - header;

    bool inReport = false;
    bool overflow = false;
    auto add = [&](uint16_t usage) {
        if (usage == 0) {
            return; // usage 0 names no control
        }
        if (usageLength < room) {
            usageList[usageLength++] = usage;
        } else {
            overflow = true;
        }
    };
    for (size_t i = 0; i < per.buttons.size(); ++i) {
        const HidpButtonCaps& cap = per.buttons[i];
        if (cap.UsagePage != usagePage || cap.ReportID != id || !MatchesLink(cap, linkCollection)) {
            continue;
        }
        inReport = true;
        const Layout& l = per.buttonLayouts[i];
        if (l.isArray) {
            const uint32_t span = static_cast<uint32_t>(cap.UsageMax - cap.UsageMin) + 1;
            for (uint32_t s = 0; s < l.fieldCount; ++s) {
                const uint32_t raw = ExtractBits(fields, fieldBytes,
                                                 l.bitOffset + uint64_t{s} * l.bitSize, l.bitSize);
                const int64_t v =
                    l.logicalMin < 0 ? SignExtendBits(raw, l.bitSize) : static_cast<int64_t>(raw);
                if (v < l.logicalMin || v > l.logicalMax) {
                    continue; // out of range: no control in this field
                }
                const int64_t index = v - l.logicalMin - l.indexBase;
                if (index >= 0 && index < span) {
                    add(static_cast<uint16_t>(cap.UsageMin + index));
                }
            }
        } else {
            bool single = false;
            for (uint32_t s = 0; s < l.slotCount; ++s) {
                const uint64_t bit = l.bitOffset + uint64_t{l.firstSlot + s} * l.bitSize;
                if (ExtractBits(fields, fieldBytes, bit, l.bitSize) == 0) {
                    continue;
                }
                if (cap.IsRange) {
                    add(static_cast<uint16_t>(cap.UsageMin + s));
                } else if (!single) {
                    single = true; // several fields of one usage report it once
                    add(cap.UsageMin);
                }
            }
        }
    }
    if (!inReport) {
        return HIDP_STATUS_INCOMPATIBLE_REPORT_ID;
    }
    return overflow ? HIDP_STATUS_BUFFER_TOO_SMALL : HIDP_STATUS_SUCCESS;
}

HidpStatus HidPreparsedData::FindValue(HidReportType type, uint16_t usagePage,
                                       uint16_t linkCollection, uint16_t usage,
                                       const uint8_t* report, size_t reportLength,
                                       const HidpValueCaps*& cap, const Layout*& layout,
                                       uint32_t& raw) const {
    const PerType& per = Of(type);
    auto matches = [&](const HidpValueCaps& c) {
        return c.UsagePage == usagePage && ContainsUsage(c, usage) &&
               MatchesLink(c, linkCollection);
    };
    if (std::none_of(per.values.begin(), per.values.end(), matches)) {
        return HIDP_STATUS_USAGE_NOT_FOUND;
    }
    const HidpStatus check = CheckReport(type, report, reportLength);
    if (check != HIDP_STATUS_SUCCESS) {
        return check;
    }
    const uint8_t id = ReportIdOf(report, reportLength);
    for (size_t i = 0; i < per.values.size(); ++i) {
        if (per.values[i].ReportID != id || !matches(per.values[i])) {
            continue;
        }
        cap = &per.values[i];
        layout = &per.valueLayouts[i];
        const uint32_t slot = layout->firstSlot + (cap->IsRange ? usage - cap->UsageMin : 0u);
        const size_t header = usesReportIds_ ? 1 : 0;
        raw = ExtractBits(report + header, reportLength - header,
                          layout->bitOffset + uint64_t{slot} * layout->bitSize, layout->bitSize);
        return HIDP_STATUS_SUCCESS;
    }
    return HIDP_STATUS_INCOMPATIBLE_REPORT_ID;
}

HidpStatus HidPreparsedData::GetUsageValue(HidReportType type, uint16_t usagePage,
                                           uint16_t linkCollection, uint16_t usage, uint32_t& value,
                                           const uint8_t* report, size_t reportLength) const {
    const HidpValueCaps* cap = nullptr;
    const Layout* layout = nullptr;
    uint32_t raw = 0;
    const HidpStatus status =
        FindValue(type, usagePage, linkCollection, usage, report, reportLength, cap, layout, raw);
    if (status == HIDP_STATUS_SUCCESS) {
        value = raw;
    }
    return status;
}

HidpStatus HidPreparsedData::GetScaledUsageValue(HidReportType type, uint16_t usagePage,
                                                 uint16_t linkCollection, uint16_t usage,
                                                 int32_t& value, const uint8_t* report,
                                                 size_t reportLength) const {
    const HidpValueCaps* cap = nullptr;
    const Layout* l = nullptr;
    uint32_t raw = 0;
    const HidpStatus status =
        FindValue(type, usagePage, linkCollection, usage, report, reportLength, cap, l, raw);
    if (status != HIDP_STATUS_SUCCESS) {
        return status;
    }
    value = 0;
    int64_t pmin = l->physicalMin;
    int64_t pmax = l->physicalMax;
    if (pmin == 0 && pmax == 0) {
        pmin = l->logicalMin; // no physical extent: it is the logical one
        pmax = l->logicalMax;
    }
    if (l->logicalMin >= l->logicalMax || pmin >= pmax) {
        return HIDP_STATUS_BAD_LOG_PHY_VALUES;
    }
    const int64_t v =
        l->logicalMin < 0 ? SignExtendBits(raw, l->bitSize) : static_cast<int64_t>(raw);
    if (v < l->logicalMin || v > l->logicalMax) {
        return cap->HasNull ? HIDP_STATUS_NULL : HIDP_STATUS_VALUE_OUT_OF_RANGE;
    }
    // Both spans fit in 32 bits; splitting the product keeps it within 64 bits.
    const auto offset = static_cast<uint64_t>(v - l->logicalMin);
    const auto logicalSpan = static_cast<uint64_t>(l->logicalMax - l->logicalMin);
    const auto physicalSpan = static_cast<uint64_t>(pmax - pmin);
    const uint64_t whole = physicalSpan / logicalSpan;
    const uint64_t rest = physicalSpan % logicalSpan;
    const uint64_t scaled = offset * whole + (offset * rest) / logicalSpan;
    value = static_cast<int32_t>(pmin + static_cast<int64_t>(scaled));
    return HIDP_STATUS_SUCCESS;
}
