// SPDX-License-Identifier: GPL-3.0-or-later
// Keys typed on the simulated keyboard reach readers of its ordinary keyboard interface as
// boot keyboard reports that our descriptor parser decodes.

#include "platform/hid/ReportDescriptor.h"
#include "platform/hid/sim/SimulatedKeyboard.h"

#include <algorithm>
#include <array>
#include <gtest/gtest.h>
#include <vector>

namespace {

constexpr uint16_t kKeyboardPage = 0x07;

using Report = std::array<uint8_t, 8>;

class SimulatedKeyboardKeys : public ::testing::Test {
protected:
    void SetUp() override {
        HidOpenError error = HidOpenError::None;
        HidOpenFlags flags;
        flags.read = true;
        handle_ = keyboard_.Open(keyboard_.KeyboardPath(), flags, error);
        ASSERT_NE(handle_, nullptr);
        const auto& descriptor = handle_->ReportDescriptorBytes();
        ASSERT_TRUE(ParseReportDescriptor(descriptor.data(), descriptor.size(), collections_));
        ASSERT_EQ(collections_.size(), 1u);
    }

    // The next report, or all 0xEE when none comes.
    Report Next() {
        Report report;
        report.fill(0xEE);
        size_t got = 0;
        if (handle_->Read(report.data(), report.size(), got, 200) != HidTransferResult::Ok ||
            got != report.size()) {
            report.fill(0xEE);
        }
        return report;
    }

    std::vector<uint16_t> Usages(const Report& report) {
        std::array<uint16_t, 16> usages{};
        uint32_t count = usages.size();
        EXPECT_EQ(collections_[0].GetUsages(HidReportType::Input, kKeyboardPage, 0, usages.data(),
                                            count, report.data(), report.size()),
                  HIDP_STATUS_SUCCESS);
        std::vector<uint16_t> out(usages.begin(), usages.begin() + count);
        std::sort(out.begin(), out.end());
        return out;
    }

    SimulatedKeyboard keyboard_;
    std::unique_ptr<HidInterface> handle_;
    std::vector<HidPreparsedData> collections_;
};

TEST_F(SimulatedKeyboardKeys, ATypedKeyIsAPressReportThenAnEmptyOne) {
    EXPECT_EQ(keyboard_.TypeKey(0xE3), 1); // left Win: a modifier bit
    const Report press = Next();
    EXPECT_EQ(press, (Report{0x08, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(Usages(press), std::vector<uint16_t>{0xE3});
    EXPECT_EQ(Next(), Report{});
    EXPECT_TRUE(Usages(Report{}).empty());

    EXPECT_EQ(keyboard_.TypeKey(0x65), 1); // Applications: a key slot
    const Report apps = Next();
    EXPECT_EQ(apps, (Report{0, 0, 0x65, 0, 0, 0, 0, 0}));
    EXPECT_EQ(Usages(apps), std::vector<uint16_t>{0x65});
    EXPECT_EQ(Next(), Report{});
}

TEST_F(SimulatedKeyboardKeys, HeldKeysShareAReportAndTooManyGiveTheRolloverError) {
    EXPECT_EQ(keyboard_.SendKeyboardReport({0xE7, 0x04, 0xE0}), 1);
    const Report held = Next();
    EXPECT_EQ(held, (Report{0x81, 0, 0x04, 0, 0, 0, 0, 0}));
    EXPECT_EQ(Usages(held), (std::vector<uint16_t>{0x04, 0xE0, 0xE7}));
    keyboard_.SendKeyboardReport({0xE1, 4, 5, 6, 7, 8, 9, 10});
    EXPECT_EQ(Next(), (Report{0x02, 0, 1, 1, 1, 1, 1, 1}));
}

TEST_F(SimulatedKeyboardKeys, NobodyHearsAnUnpluggedKeyboard) {
    keyboard_.Unplug();
    EXPECT_EQ(keyboard_.TypeKey(0x04), 0);
    keyboard_.Replug();
    handle_.reset();
    EXPECT_EQ(keyboard_.TypeKey(0x04), 0);
}

} // namespace
