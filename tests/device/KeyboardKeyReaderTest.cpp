// SPDX-License-Identifier: GPL-3.0-or-later
// The reader of the keyboard's own boot-keyboard interface, on the simulated keyboard.

#include "device/KeyboardKeyReader.h"

#include "platform/hid/sim/SimulatedKeyboard.h"
#include "support/ThreadWait.h"

#include <gtest/gtest.h>
#include <mutex>
#include <thread>
#include <vector>

namespace {

using Usages = std::vector<uint16_t>;

class KeyboardKeyReaderTest : public ::testing::Test {
protected:
    std::vector<Usages> Reports() {
        std::lock_guard guard(lock_);
        return reports_;
    }

    std::shared_ptr<SimulatedKeyboard> keyboard_ = std::make_shared<SimulatedKeyboard>();
    std::mutex lock_;
    std::vector<Usages> reports_;
    KeyboardKeyReader reader_{[this](std::span<const uint16_t> usages) {
                                  std::lock_guard guard(lock_);
                                  reports_.emplace_back(usages.begin(), usages.end());
                              },
                              keyboard_};
};

TEST_F(KeyboardKeyReaderTest, HandsOnTheKeysOfEveryReportOfTheKeyboardInterfaceOnly) {
    ASSERT_TRUE(reader_.Start());
    EXPECT_FALSE(reader_.Start());
    ASSERT_TRUE(WaitUntil([&] { return reader_.Reading(); }));
    EXPECT_EQ(keyboard_->OpenHandleCount(SimInterface::Keyboard), 1);
    EXPECT_EQ(keyboard_->OpenHandleCount(SimInterface::Configuration), 0);

    keyboard_->PushConsumerNotice(kSimNoticeProfileChanged);
    keyboard_->TypeKey(0xE3);
    keyboard_->SendKeyboardReport({0xE7, 0x65});
    ASSERT_TRUE(WaitUntil([&] { return Reports().size() == 3; }));
    const std::vector<Usages> reports = Reports();
    EXPECT_EQ(reports[0], Usages{0xE3});
    EXPECT_EQ(reports[1], Usages{});
    ASSERT_EQ(reports[2].size(), 2u);

    reader_.Stop();
    EXPECT_FALSE(reader_.Reading());
    EXPECT_EQ(keyboard_->OpenHandleCount(SimInterface::Keyboard), 0);
    keyboard_->TypeKey(0x04);
    EXPECT_EQ(Reports().size(), 3u);
}

TEST_F(KeyboardKeyReaderTest, FindsTheKeyboardAgainAfterItWasUnplugged) {
    keyboard_->Unplug();
    ASSERT_TRUE(reader_.Start());
    keyboard_->Replug();
    ASSERT_TRUE(WaitUntil([&] { return reader_.Reading(); }));
    keyboard_->Unplug();
    ASSERT_TRUE(WaitUntil([&] { return !reader_.Reading(); }));
    keyboard_->Replug();
    ASSERT_TRUE(WaitUntil([&] { return reader_.Reading(); }));
    keyboard_->TypeKey(0x65);
    ASSERT_TRUE(WaitUntil([&] { return Reports().size() == 2; }));
    EXPECT_EQ(Reports()[0], Usages{0x65});
    // A second run after a stop.
    reader_.Stop();
    ASSERT_TRUE(reader_.Start());
    ASSERT_TRUE(WaitUntil([&] { return reader_.Reading(); }));
}

} // namespace
