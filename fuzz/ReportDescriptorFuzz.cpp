// SPDX-License-Identifier: GPL-3.0-or-later
// Parses the input as a report descriptor and, when it parses, decodes the same bytes as
// reports of every capability, whole and cut short.
#include "platform/hid/ReportDescriptor.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace {

void Decode(const HidPreparsedData& pd, HidReportType type, const std::vector<uint8_t>& report,
            size_t length) {
    uint16_t buttonCount = 64;
    HidpButtonCaps buttons[64];
    pd.GetSpecificButtonCaps(type, 0, 0, 0, buttons, buttonCount);
    uint16_t valueCount = 64;
    HidpValueCaps values[64];
    pd.GetSpecificValueCaps(type, 0, 0, 0, values, valueCount);

    uint16_t usages[32];
    for (uint16_t i = 0; i < std::min<uint16_t>(buttonCount, 64); ++i) {
        uint32_t room = sizeof usages / sizeof usages[0];
        pd.GetUsages(type, buttons[i].UsagePage, buttons[i].LinkCollection, usages, room,
                     report.data(), length);
        pd.MaxUsageListLength(type, buttons[i].UsagePage);
    }
    for (uint16_t i = 0; i < std::min<uint16_t>(valueCount, 64); ++i) {
        for (uint16_t usage : {values[i].UsageMin, values[i].UsageMax}) {
            uint32_t raw = 0;
            int32_t scaled = 0;
            pd.GetUsageValue(type, values[i].UsagePage, 0, usage, raw, report.data(), length);
            pd.GetScaledUsageValue(type, values[i].UsagePage, 0, usage, scaled, report.data(),
                                   length);
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<HidPreparsedData> collections;
    if (!ParseReportDescriptor(data, size, collections)) {
        return 0;
    }
    for (const HidPreparsedData& pd : collections) {
        const HidpCaps& caps = pd.Caps();
        const uint16_t lengths[] = {caps.InputReportByteLength, caps.OutputReportByteLength,
                                    caps.FeatureReportByteLength};
        for (size_t t = 0; t < 3; ++t) {
            const auto type = static_cast<HidReportType>(t);
            if (lengths[t] == 0) {
                continue;
            }
            // The descriptor's own bytes stand in for report contents.
            std::vector<uint8_t> report(lengths[t]);
            for (size_t i = 0; i < report.size(); ++i) {
                report[i] = data[i % size];
            }
            for (int id = 0; id < 256; ++id) {
                if (!pd.HasReport(type, static_cast<uint8_t>(id))) {
                    continue;
                }
                if (pd.UsesReportIds()) {
                    report[0] = static_cast<uint8_t>(id);
                }
                Decode(pd, type, report, report.size());
                Decode(pd, type, report, report.size() / 2);
            }
        }
    }
    return 0;
}
