// SPDX-License-Identifier: GPL-3.0-or-later
// kestrowctl in this process, on a simulated keyboard told to refuse: a write the keyboard does
// not take ends light and colours with exit status 1.

#include "device/DeviceState.h"
#include "device/Presence.h"
#include "device/Protocol.h"
#include "model/Lighting.h"
#include "model/UserColourFile.h"
#include "platform/hid/HidBackend.h"
#include "platform/hid/sim/SimulatedKeyboard.h"
#include "tools/kestrowctl/CtlCommands.h"
#include "tools/kestrowctl/ExitCodes.h"
#include "tools/kestrowctl/TerminalSink.h"

#include <cstdio>
#include <gtest/gtest.h>

namespace {

class KestrowctlWriteResultTest : public ::testing::Test {
protected:
    void SetUp() override {
        keyboard = std::make_shared<SimulatedKeyboard>(kSimModel5004);
        SetCurrentHidBackend(keyboard);
        DeviceState().Reset();
        Lighting() = LightingModel{};
        ASSERT_EQ(ConnectKeyboard(), 1);
        notes = std::tmpfile();
        ASSERT_NE(notes, nullptr);
        sink = std::make_unique<TerminalSink>(true, stdin, notes);
    }
    void TearDown() override {
        keyboard->FailWrites(0);
        DisconnectKeyboard();
        DeviceState().Reset();
        sink.reset();
        std::fclose(notes);
    }
    std::string Notes() {
        std::fflush(notes);
        std::rewind(notes);
        std::string text;
        for (int c; (c = std::fgetc(notes)) != EOF;) {
            text.push_back(static_cast<char>(c));
        }
        return text;
    }
    size_t LightWrites() const {
        size_t n = 0;
        for (const SimFrame& f : keyboard->RequestLog()) {
            n += f.bytes[3] == CmdCode::WriteLightData ? 1 : 0;
        }
        return n;
    }

    std::shared_ptr<SimulatedKeyboard> keyboard;
    std::FILE* notes = nullptr;
    std::unique_ptr<TerminalSink> sink;
};

LightChange Change(LightChange::Field field, int value) {
    LightChange change;
    change.field = field;
    change.value = value;
    return change;
}

} // namespace

TEST_F(KestrowctlWriteResultTest, ARefusedLightWriteFailsAndStopsTheChangesAfterIt) {
    DeviceState().CurrentProfile.store(0);
    ASSERT_EQ(ReloadLighting(), 0);
    const std::vector<LightChange> changes = {Change(LightChange::Field::Brightness, 1),
                                              Change(LightChange::Field::ReportRate, 2)};
    keyboard->ClearFrameLog();
    keyboard->AnswerWithStatus(0xFF, 3); // the whole bracket of the brightness
    EXPECT_EQ(ApplyLightChanges(changes, 0, *sink), kExitFailed);
    EXPECT_NE(Notes().find("did not take the brightness (result -102)"), std::string::npos)
        << Notes();
    EXPECT_EQ(LightWrites(), 1u); // the report rate was not sent

    keyboard->FailWrites(kSimForever);
    EXPECT_EQ(ApplyLightChanges({Change(LightChange::Field::Defaults, 0)}, 0, *sink), kExitFailed);
    keyboard->FailWrites(0);

    // Taken: the keyboard holds both.
    keyboard->ClearFrameLog();
    EXPECT_EQ(ApplyLightChanges({Change(LightChange::Field::Brightness, 2),
                                 Change(LightChange::Field::ReportRate, 2)},
                                0, *sink),
              kExitOk);
    EXPECT_EQ(LightWrites(), 2u);
    EXPECT_EQ(keyboard->LightArea()[1], 2);
    EXPECT_EQ(keyboard->LightArea()[15], 2);
}

TEST_F(KestrowctlWriteResultTest, ColoursTheKeyboardDoesNotTakeFail) {
    CtlOptions options;
    options.profile = 1;
    const UserColourFile file = UserColourFile::FromBytes("[Mode0]\n0=1,2,3,0\n");
    keyboard->FailWrites(kSimForever);
    EXPECT_EQ(RunColours(options, *sink, file, 0), kExitFailed);
    EXPECT_NE(Notes().find("did not take the colours"), std::string::npos) << Notes();
    EXPECT_EQ(keyboard->KeyColourBank(1)[0], 0);

    keyboard->FailWrites(0);
    EXPECT_EQ(RunColours(options, *sink, file, 0), kExitOk);
    EXPECT_EQ(keyboard->KeyColourBank(1)[2], 3);
}

TEST_F(KestrowctlWriteResultTest, EachLightOptionWritesItsByteOfTheProfilesRecord) {
    // Profile 1's record starts at 42; the bytes are the record's layout, written out.
    struct Expected {
        LightChange change;
        std::vector<std::pair<uint16_t, std::vector<uint8_t>>> writes;
    };
    LightChange colour = Change(LightChange::Field::Colour, 0);
    colour.rgb[0] = 0x10;
    colour.rgb[1] = 0x20;
    colour.rgb[2] = 0x30;
    const Expected expected[] = {
        {Change(LightChange::Field::Effect, 12), {{42, {12}}}},
        {Change(LightChange::Field::Brightness, 3), {{43, {3}}}},
        {Change(LightChange::Field::Speed, 1), {{44, {4}}}}, // stored reversed
        {Change(LightChange::Field::Direction, 0xFF), {{45, {0xFF}}}},
        {Change(LightChange::Field::Multicolour, 1), {{46, {1}}}},
        {colour, {{46, {0}}, {47, {0x10, 0x20, 0x30}}}},
        {Change(LightChange::Field::Effect, 1), {{42, {1}}, {46, {0}}}},
        {Change(LightChange::Field::ReportRate, 2), {{57, {2}}}},
        {Change(LightChange::Field::FourColour, 3), {{59, {3}}}},
    };
    DeviceState().CurrentProfile.store(1);
    ASSERT_EQ(ReloadLighting(), 0);
    for (const Expected& e : expected) {
        keyboard->ClearFrameLog();
        const auto before = keyboard->LightArea();
        ASSERT_EQ(ApplyLightChanges({e.change}, 1, *sink), kExitOk) << Notes();
        std::vector<std::pair<uint16_t, std::vector<uint8_t>>> writes;
        auto after = before;
        for (const SimFrame& f : keyboard->RequestLog()) {
            if (f.bytes[3] == CmdCode::WriteLightData) {
                const uint16_t offset = static_cast<uint16_t>(f.bytes[5] | f.bytes[6] << 8);
                writes.push_back({offset, {f.bytes.begin() + 8, f.bytes.begin() + 8 + f.bytes[4]}});
                std::copy_n(f.bytes.begin() + 8, f.bytes[4], after.begin() + offset);
            }
        }
        const int field = static_cast<int>(e.change.field);
        EXPECT_EQ(writes, e.writes) << "field " << field;
        EXPECT_EQ(keyboard->LightArea(), after) << "field " << field << ": nothing else changed";
    }
}
