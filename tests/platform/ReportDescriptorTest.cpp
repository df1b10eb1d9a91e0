// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/hid/ReportDescriptor.h"

#include "support/HidTestDescriptors.h"

#include <gtest/gtest.h>

namespace {

HidPreparsedData ParseOne(const std::vector<uint8_t>& descriptor) {
    std::vector<HidPreparsedData> collections;
    EXPECT_TRUE(ParseReportDescriptor(descriptor.data(), descriptor.size(), collections));
    EXPECT_EQ(collections.size(), 1u);
    return collections.empty() ? HidPreparsedData{} : collections.front();
}

bool Parses(const std::vector<uint8_t>& descriptor) {
    std::vector<HidPreparsedData> collections;
    return ParseReportDescriptor(descriptor.data(), descriptor.size(), collections);
}

std::vector<uint16_t> Usages(const HidPreparsedData& pd, uint16_t page,
                             const std::vector<uint8_t>& report, HidpStatus* status = nullptr) {
    std::vector<uint16_t> list(16, 0xFFFF);
    uint32_t length = static_cast<uint32_t>(list.size());
    const HidpStatus s = pd.GetUsages(HidReportType::Input, page, 0, list.data(), length,
                                      report.data(), report.size());
    if (status) {
        *status = s;
    }
    list.resize(length);
    return list;
}

} // namespace

TEST(ReportDescriptor, ConfigurationInterfaceCaps) {
    const HidPreparsedData pd = ParseOne(kConfigDescriptor);
    const HidpCaps& caps = pd.Caps();
    EXPECT_EQ(caps.UsagePage, 0xFF1C);
    EXPECT_EQ(caps.Usage, 0x92);
    EXPECT_EQ(caps.InputReportByteLength, 64); // 63 bytes and the id byte
    EXPECT_EQ(caps.OutputReportByteLength, 64);
    EXPECT_EQ(caps.FeatureReportByteLength, 0);
    EXPECT_EQ(caps.NumberInputButtonCaps, 0);
    EXPECT_EQ(caps.NumberInputValueCaps, 1);
    EXPECT_TRUE(pd.UsesReportIds());
    EXPECT_TRUE(pd.HasReport(HidReportType::Input, 4));
    EXPECT_FALSE(pd.HasReport(HidReportType::Input, 3));

    HidpValueCaps value;
    uint16_t n = 1;
    ASSERT_EQ(pd.GetSpecificValueCaps(HidReportType::Input, 0, 0, 0, &value, n),
              HIDP_STATUS_SUCCESS);
    EXPECT_EQ(value.ReportID, 4);
    EXPECT_EQ(value.ReportCount, 63); // one usage names all the bytes
    EXPECT_EQ(value.BitSize, 8);
    EXPECT_EQ(value.LogicalMax, 255);
}

TEST(ReportDescriptor, KeyboardButtonsAndArrays) {
    const HidPreparsedData pd = ParseOne(kKeyboardDescriptor);
    EXPECT_EQ(pd.Caps().UsagePage, 1);
    EXPECT_EQ(pd.Caps().Usage, 6);
    EXPECT_EQ(pd.Caps().InputReportByteLength, 8); // no id byte
    EXPECT_EQ(pd.Caps().OutputReportByteLength, 1);
    ASSERT_EQ(pd.Caps().NumberInputButtonCaps, 2);
    HidpButtonCaps caps[2];
    uint16_t n = 2;
    ASSERT_EQ(pd.GetSpecificButtonCaps(HidReportType::Input, 0, 0, 0, caps, n),
              HIDP_STATUS_SUCCESS);
    EXPECT_TRUE(caps[0].IsRange);
    EXPECT_EQ(caps[0].UsageMin, 0xE0);
    EXPECT_EQ(caps[0].UsageMax, 0xE7);
    EXPECT_NE(caps[0].BitField & kHidMainVariable, 0);
    EXPECT_EQ(caps[1].UsageMax, 0x65);
    EXPECT_EQ(caps[1].BitField & kHidMainVariable, 0);
    EXPECT_EQ(pd.MaxUsageListLength(HidReportType::Input, 7), 8u + 6u);

    // Left shift, right alt, then 'a' and 'b' in the key slots; key slot value 0 is empty.
    const std::vector<uint8_t> report = {0x42, 0x00, 0x04, 0x00, 0x05, 0x00, 0x00, 0x00};
    EXPECT_EQ(Usages(pd, 7, report), (std::vector<uint16_t>{0xE1, 0xE6, 0x04, 0x05}));
    // A key slot value beyond the logical maximum names no key.
    EXPECT_TRUE(Usages(pd, 7, {0, 0, 0x66, 0, 0, 0, 0, 0}).empty());
}

TEST(ReportDescriptor, ConsumerArrayAndFilters) {
    const HidPreparsedData pd = ParseOne(kConsumerDescriptor);
    EXPECT_EQ(pd.Caps().UsagePage, 0x0C);
    EXPECT_EQ(pd.Caps().Usage, 0x01);
    EXPECT_EQ(pd.Caps().InputReportByteLength, 3);
    EXPECT_EQ(pd.MaxUsageListLength(HidReportType::Input, 0x0C), 1u);
    EXPECT_EQ(Usages(pd, 0x0C, {0x03, 0x01, 0x04}), std::vector<uint16_t>{0x0401});
    EXPECT_EQ(Usages(pd, 0x0C, {0x03, 0x11, 0x18}), std::vector<uint16_t>{0x1811});
    EXPECT_TRUE(Usages(pd, 0x0C, {0x03, 0x00, 0x00}).empty()); // all released

    HidpStatus status = 0;
    Usages(pd, 0x0C, {0x05, 0x01, 0x04}, &status);
    EXPECT_EQ(status, HIDP_STATUS_INCOMPATIBLE_REPORT_ID);
    Usages(pd, 0x07, {0x03, 0x01, 0x04}, &status);
    EXPECT_EQ(status, HIDP_STATUS_USAGE_NOT_FOUND);
    Usages(pd, 0x0C, {0x03, 0x01}, &status); // one byte short
    EXPECT_EQ(status, HIDP_STATUS_INVALID_REPORT_LENGTH);

    uint16_t one = 0;
    uint32_t room = 0;
    const std::vector<uint8_t> pressed = {0x03, 0x02, 0x04};
    EXPECT_EQ(pd.GetUsages(HidReportType::Input, 0x0C, 0, &one, room, pressed.data(), 3),
              HIDP_STATUS_BUFFER_TOO_SMALL);
    EXPECT_EQ(room, 0u);

    uint16_t n = 0;
    EXPECT_EQ(pd.GetSpecificButtonCaps(HidReportType::Input, 0x0C, 0, 0x0401, nullptr, n),
              HIDP_STATUS_BUFFER_TOO_SMALL);
    EXPECT_EQ(n, 1);
    EXPECT_EQ(pd.GetSpecificButtonCaps(HidReportType::Input, 0x0C, 0, 0x7000, nullptr, n),
              HIDP_STATUS_USAGE_NOT_FOUND);
}

TEST(ReportDescriptor, MouseValuesLinkCollectionsAndScaling) {
    const HidPreparsedData pd = ParseOne(kMouseDescriptor);
    EXPECT_EQ(pd.Caps().Usage, 2);
    EXPECT_EQ(pd.Caps().InputReportByteLength, 4);
    EXPECT_EQ(pd.Caps().NumberLinkCollectionNodes, 2);
    ASSERT_EQ(pd.Caps().NumberInputValueCaps, 3);
    HidpValueCaps values[3];
    uint16_t n = 3;
    pd.GetSpecificValueCaps(HidReportType::Input, 0, 0, 0, values, n);
    EXPECT_EQ(values[0].UsageMin, 0x30);
    EXPECT_EQ(values[2].UsageMin, 0x38);
    EXPECT_EQ(values[0].LinkCollection, 1);
    EXPECT_EQ(values[0].LinkUsage, 1); // the pointer collection
    EXPECT_FALSE(values[0].IsAbsolute);
    EXPECT_EQ(values[0].LogicalMin, -127);

    const std::vector<uint8_t> report = {0x05, 0xFE, 0x10, 0x81};
    uint32_t raw = 0;
    int32_t scaled = 0;
    ASSERT_EQ(pd.GetUsageValue(HidReportType::Input, 1, 0, 0x30, raw, report.data(), 4),
              HIDP_STATUS_SUCCESS);
    EXPECT_EQ(raw, 0xFEu); // raw, not sign-extended
    ASSERT_EQ(pd.GetScaledUsageValue(HidReportType::Input, 1, 0, 0x30, scaled, report.data(), 4),
              HIDP_STATUS_SUCCESS);
    EXPECT_EQ(scaled, -2);
    pd.GetScaledUsageValue(HidReportType::Input, 1, 0, 0x38, scaled, report.data(), 4);
    EXPECT_EQ(scaled, -127);
    EXPECT_EQ(pd.GetScaledUsageValue(HidReportType::Input, 1, 0, 0x32, scaled, report.data(), 4),
              HIDP_STATUS_USAGE_NOT_FOUND);
    // 0x80 is -128, outside -127..127, and the field has no null state.
    const std::vector<uint8_t> outside = {0x00, 0x80, 0x00, 0x00};
    EXPECT_EQ(pd.GetScaledUsageValue(HidReportType::Input, 1, 0, 0x30, scaled, outside.data(), 4),
              HIDP_STATUS_VALUE_OUT_OF_RANGE);
    // Buttons 1 and 3 in the first three bits; the padding bits are not buttons.
    EXPECT_EQ(Usages(pd, 9, report), (std::vector<uint16_t>{1, 3}));
    HidpButtonCaps button;
    n = 1;
    EXPECT_EQ(pd.GetSpecificButtonCaps(HidReportType::Input, 9, 2, 0, &button, n),
              HIDP_STATUS_USAGE_NOT_FOUND); // no such link collection
}

TEST(ReportDescriptor, PhysicalRangeScalesWideFields) {
    // A 32-bit field 0..0xFFFFFFFF scaled to -1000..1000, and a null-state value.
    const std::vector<uint8_t> d = {
        0x05, 0x01, 0x09, 0x04, 0xA1, 0x01, 0x09, 0x30, 0x15, 0x00, 0x27, 0xFF, 0xFF, 0xFF, 0xFF,
        0x36, 0x18, 0xFC, 0x46, 0xE8, 0x03, 0x75, 0x20, 0x95, 0x01, 0x81, 0x02, 0x09, 0x39, 0x15,
        0x00, 0x25, 0x07, 0x35, 0x00, 0x46, 0x3B, 0x01, 0x75, 0x08, 0x81, 0x42, 0xC0};
    const HidPreparsedData pd = ParseOne(d);
    EXPECT_EQ(pd.Caps().InputReportByteLength, 5);
    int32_t scaled = 0;
    const std::vector<uint8_t> top = {0xFF, 0xFF, 0xFF, 0xFF, 0x02};
    ASSERT_EQ(pd.GetScaledUsageValue(HidReportType::Input, 1, 0, 0x30, scaled, top.data(), 5),
              HIDP_STATUS_SUCCESS);
    EXPECT_EQ(scaled, 1000);
    const std::vector<uint8_t> bottom = {0, 0, 0, 0, 0x08};
    pd.GetScaledUsageValue(HidReportType::Input, 1, 0, 0x30, scaled, bottom.data(), 5);
    EXPECT_EQ(scaled, -1000);
    EXPECT_EQ(pd.GetScaledUsageValue(HidReportType::Input, 1, 0, 0x39, scaled, top.data(), 5),
              HIDP_STATUS_SUCCESS);
    EXPECT_EQ(scaled, 90); // hat position 2 of 0..7 over 0..315 degrees
    EXPECT_EQ(pd.GetScaledUsageValue(HidReportType::Input, 1, 0, 0x39, scaled, bottom.data(), 5),
              HIDP_STATUS_NULL);
}

TEST(ReportDescriptor, SeveralTopLevelCollectionsShareReportIds) {
    const std::vector<uint8_t> d = Concat(kConsumerDescriptor, kConfigDescriptor);
    std::vector<HidPreparsedData> collections;
    ASSERT_TRUE(ParseReportDescriptor(d.data(), d.size(), collections));
    ASSERT_EQ(collections.size(), 2u);
    EXPECT_EQ(collections[0].Caps().UsagePage, 0x0C);
    EXPECT_EQ(collections[0].Caps().InputReportByteLength, 3);
    EXPECT_EQ(collections[1].Caps().UsagePage, 0xFF1C);
    EXPECT_EQ(collections[1].Caps().InputReportByteLength, 64);
    EXPECT_FALSE(collections[1].HasReport(HidReportType::Input, 3));
    EXPECT_TRUE(collections[0].HasReport(HidReportType::Input, 3));

    // Without report ids, nothing tells whose a report is.
    EXPECT_FALSE(Parses(Concat(kKeyboardDescriptor, kMouseDescriptor)));
    // Once ids are used, every field needs one.
    EXPECT_FALSE(Parses(Concat(kKeyboardDescriptor, kConfigDescriptor)));
}

TEST(ReportDescriptor, PushPopLongItemsAndDelimiters) {
    // Push, change the usage page and report size, pop: the second field uses the restored
    // page 0x0C and size 8. A long item (3 data bytes) sits between.
    const std::vector<uint8_t> d = {
        0x05, 0x0C, 0x09, 0x01, 0xA1, 0x01, 0x75, 0x08, 0x95, 0x01, 0x15, 0x00, 0x26, 0xFF,
        0x00, 0xA4, 0x05, 0x01, 0x75, 0x10, 0x09, 0x30, 0x81, 0x02, 0xB4, 0xFE, 0x03, 0x10,
        0xAA, 0xBB, 0xCC, 0xA9, 0x01, 0x09, 0xE9, 0x09, 0xEA, 0xA9, 0x00, 0x81, 0x02, 0xC0};
    const HidPreparsedData pd = ParseOne(d);
    EXPECT_EQ(pd.Caps().InputReportByteLength, 3);
    ASSERT_EQ(pd.Caps().NumberInputValueCaps, 2);
    HidpValueCaps values[2];
    uint16_t n = 2;
    pd.GetSpecificValueCaps(HidReportType::Input, 0, 0, 0, values, n);
    EXPECT_EQ(values[0].UsagePage, 1);
    EXPECT_EQ(values[0].BitSize, 16);
    EXPECT_EQ(values[1].UsagePage, 0x0C);
    EXPECT_EQ(values[1].BitSize, 8);
    EXPECT_EQ(values[1].UsageMin, 0xE9); // the alias 0xEA of the delimiter set is dropped
}

TEST(ReportDescriptor, ExtendedUsagesAndVariableRanges) {
    // A four-byte usage carries its own page; a range longer than the fields is cut.
    const std::vector<uint8_t> d = {0x05, 0x01, 0x09, 0x06, 0xA1, 0x01, 0x1B, 0x01,
                                    0x00, 0x09, 0x00, 0x2B, 0x10, 0x00, 0x09, 0x00,
                                    0x15, 0x00, 0x25, 0x01, 0x75, 0x01, 0x95, 0x04,
                                    0x81, 0x02, 0x95, 0x04, 0x81, 0x03, 0xC0};
    const HidPreparsedData pd = ParseOne(d);
    HidpButtonCaps cap;
    uint16_t n = 1;
    ASSERT_EQ(pd.GetSpecificButtonCaps(HidReportType::Input, 0, 0, 0, &cap, n),
              HIDP_STATUS_SUCCESS);
    EXPECT_EQ(cap.UsagePage, 9);
    EXPECT_EQ(cap.UsageMin, 1);
    EXPECT_EQ(cap.UsageMax, 4);
    EXPECT_EQ(Usages(pd, 9, {0x0A}), (std::vector<uint16_t>{2, 4}));
}

TEST(ReportDescriptor, RejectsMalformedDescriptors) {
    const std::vector<std::vector<uint8_t>> bad = {
        {},                                         // nothing
        {0x05},                                     // item cut short
        {0x06, 0x1C},                               // two-byte item cut short
        {0xFE, 0x05, 0x00, 0x01},                   // long item cut short
        {0xFE},                                     // long item header cut short
        {0x05, 0x01, 0x09, 0x06},                   // no collection at all
        {0xA1, 0x01},                               // collection never closed
        {0xA1, 0x01, 0xC0, 0xC0},                   // one end too many
        {0x75, 0x08, 0x95, 0x01, 0x81, 0x02},       // data outside every collection
        {0xA1, 0x01, 0xB4, 0xC0},                   // pop without push
        {0xA1, 0x01, 0x85, 0x00, 0xC0},             // report id 0
        {0xA1, 0x01, 0x0C, 0xC0},                   // reserved item type
        {0xA1, 0x01, 0xD0, 0xC0},                   // reserved main item
        {0xA1, 0x01, 0x19, 0x01, 0x81, 0x02, 0xC0}, // usage minimum without maximum
        {0xA1, 0x01, 0x19, 0x05, 0x29, 0x01, 0xC0}, // range minimum above maximum
        {0xA1, 0x01, 0xA9, 0x01, 0xA9, 0x01, 0xC0}, // nested delimiters
        {0xA1, 0x01, 0x75, 0x21, 0x95, 0x01, 0x09, 0x01, 0x81, 0x02, 0xC0}, // 33-bit field
        // more bits than any report can hold
        {0xA1, 0x01, 0x75, 0x20, 0x96, 0xFF, 0xFF, 0x09, 0x01, 0x81, 0x02, 0xC0},
        // a field without report id in a descriptor that uses ids
        {0xA1, 0x01, 0x75, 0x08, 0x95, 0x01, 0x09, 0x01, 0x81, 0x02, 0x85, 0x01, 0x81, 0x02, 0xC0},
    };
    for (size_t i = 0; i < bad.size(); ++i) {
        EXPECT_FALSE(Parses(bad[i])) << "case " << i;
    }
    std::vector<uint8_t> deep;
    for (int i = 0; i < 40; ++i) {
        deep.insert(deep.end(), {0xA1, 0x00});
    }
    deep.insert(deep.end(), 40, 0xC0);
    EXPECT_FALSE(Parses(deep));
}

TEST(ReportDescriptor, DecodingNeverReadsPastTheReport) {
    const HidPreparsedData pd = ParseOne(kConfigDescriptor);
    const std::vector<uint8_t> shortReport(10, 4);
    uint32_t value = 0;
    EXPECT_EQ(pd.GetUsageValue(HidReportType::Input, 0xFF1C, 0, 1, value, shortReport.data(),
                               shortReport.size()),
              HIDP_STATUS_INVALID_REPORT_LENGTH);
    EXPECT_EQ(pd.GetUsageValue(HidReportType::Input, 0xFF1C, 0, 1, value, nullptr, 0),
              HIDP_STATUS_INVALID_REPORT_LENGTH);
    std::vector<uint8_t> full(64, 0);
    full[0] = 4;
    full[1] = 0x5A;
    ASSERT_EQ(pd.GetUsageValue(HidReportType::Input, 0xFF1C, 0, 1, value, full.data(), 64),
              HIDP_STATUS_SUCCESS);
    EXPECT_EQ(value, 0x5Au);
}
