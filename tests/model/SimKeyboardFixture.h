// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// A simulated keyboard connected as the presence thread leaves it (configuration interface
// open, model values and factory key table read), and sinks that record what the model asks
// of the windows.

#include "ModelTestSupport.h"
#include "device/CHidDevice.h"
#include "device/DeviceState.h"
#include "device/MessageSink.h"
#include "device/Protocol.h"
#include "model/KeyButtonSink.h"
#include "model/KeyboardTransfer.h"
#include "model/ProfileFile.h"
#include "platform/hid/HidBackend.h"
#include "platform/hid/sim/SimulatedKeyboard.h"
#include "support/SimulatedConnection.h"

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

struct ShownMessage {
    std::string key;
    size_t framesBefore = 0; // requests the keyboard had seen when it was shown
    std::optional<long long> argument;
};

class ModelMessages : public MessageSink {
public:
    std::function<size_t()> frameCount = [] { return size_t{0}; };
    bool answer = false;
    std::vector<ShownMessage> shown;
    std::vector<std::string> asked;

    void ShowText(std::string_view key, std::optional<long long> argument) override {
        shown.push_back({std::string(key), frameCount(), argument});
    }
    bool AskYesNo(std::string_view key, std::optional<long long>) override {
        asked.emplace_back(key);
        return answer;
    }
};

class ModelButtons : public KeyButtonSink {
public:
    std::vector<KeyCode> codes;
    std::map<KeyCode, std::pair<std::string, bool>> described;
    std::vector<int> pending;

    std::vector<KeyCode> KeyButtonCodes() const override { return codes; }
    void DescribeKeyButton(KeyCode code, std::string_view tooltip, bool assigned) override {
        described[code] = {std::string(tooltip), assigned};
    }
    void SetPendingChanges(int value) override { pending.push_back(value); }
};

class SimKeyboardTest : public ::testing::Test {
protected:
    void Connect(const SimKeyboardModel& model) {
        keyboard = ConnectSimulatedKeyboard(model);
        ASSERT_TRUE(keyboard);
        KeyTableBytes factory{};
        ASSERT_EQ(CmdReadDefaultKeyTable(factory.data()), kCmdOk);
        DeviceState().SetDefaultKeyTable(factory);
        std::array<uint8_t, kInfoBlockLength> info{};
        ASSERT_EQ(CmdReadInfoBlock(info.data()), kCmdOk);
        DeviceState().MacroCapacity.store(info[11] * 128u);
        keyboard->ClearFrameLog();
        messages.frameCount = [this] { return keyboard->RequestLog().size(); };
        std::lock_guard guard(WorkingStore().lock);
        ClearWorkingStore();
        MakeDefaultStore({}, 0, DefaultStoreTarget::WorkingStore);
    }
    void SetUp() override { Connect(kSimModel5004); }
    void TearDown() override {
        ConfigDevice().Close();
        DeviceState().Reset();
        std::lock_guard guard(WorkingStore().lock);
        ClearWorkingStore();
        MacroDeletedFlag.store(false);
        ForgetKeyboardMacroOrder();
    }

    // Sets InfoBlock byte `index` on the keyboard.
    void SetInfoByte(size_t index, uint8_t value) {
        auto info = keyboard->InfoBlock();
        info[index] = value;
        keyboard->SetInfoBlock(info);
    }
    std::vector<SimFrame> Requests() const { return keyboard->RequestLog(); }
    std::vector<uint8_t> Commands() const {
        std::vector<uint8_t> commands;
        for (const SimFrame& f : keyboard->RequestLog()) {
            commands.push_back(f.bytes[3]);
        }
        return commands;
    }
    std::vector<uint8_t> Factory() const { return keyboard->FactoryKeyTable(); }
    KeyRecordBlock& Block() { return *WorkingStore().block; }

    std::shared_ptr<SimulatedKeyboard> keyboard;
    ModelMessages messages;
    ModelButtons buttons;
};

inline uint16_t FrameOffset(const SimFrame& f) {
    return static_cast<uint16_t>(f.bytes[5] | f.bytes[6] << 8);
}
