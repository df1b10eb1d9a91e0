// SPDX-License-Identifier: GPL-3.0-or-later
#include "model/Lighting.h"

#include "SimKeyboardFixture.h"

#include <gtest/gtest.h>

namespace {

struct Write {
    uint16_t offset;
    std::vector<uint8_t> bytes;
    bool operator==(const Write&) const = default;
};

class LightingTest : public SimKeyboardTest {
protected:
    void SetUp() override {
        SimKeyboardTest::SetUp();
        Lighting() = LightingModel{};
    }
    // The light or colour writes sent, checked to lie inside one session bracket.
    std::vector<Write> Writes(uint8_t command = CmdCode::WriteLightData) const {
        std::vector<Write> writes;
        const auto requests = Requests();
        EXPECT_GE(requests.size(), 2u);
        if (requests.size() < 2) {
            return writes;
        }
        EXPECT_EQ(requests.front().bytes[3], CmdCode::BeginSession);
        EXPECT_EQ(requests.back().bytes[3], CmdCode::EndSession);
        for (size_t i = 1; i + 1 < requests.size(); ++i) {
            const SimFrame& f = requests[i];
            EXPECT_EQ(f.bytes[3], command);
            writes.push_back(
                {FrameOffset(f), {f.bytes.begin() + 8, f.bytes.begin() + 8 + f.bytes[4]}});
        }
        return writes;
    }
};

TEST(EffectTableTest, ListsTheNonzeroSlotsInOrder) {
    std::array<uint8_t, 44> info{};
    EXPECT_TRUE(BuildEffectTable(info).entries.empty());
    EXPECT_FALSE(BuildEffectTable(info).UserColoursAvailable());
    info[12] = 5;
    info[13] = 0;
    info[14] = 20;
    info[43] = 5;
    const EffectTable table = BuildEffectTable(info);
    ASSERT_EQ(table.entries.size(), 3u);
    EXPECT_EQ(table.CodeAt(0), 5);
    EXPECT_EQ(table.CodeAt(1), 20);
    EXPECT_EQ(table.CodeAt(3), 0);
    EXPECT_EQ(table.PositionOf(20), 1);
    EXPECT_EQ(table.PositionOf(5), 0); // the first match
    EXPECT_EQ(table.PositionOf(7), -1);
    EXPECT_TRUE(table.UserColoursAvailable());
}

TEST(EffectOptionsTest, DecideControlsAndWrites) {
    EXPECT_EQ(OptionsOfEffect(3).direction, DirectionPair::LeftRight);
    EXPECT_EQ(OptionsOfEffect(12).direction, DirectionPair::UpDown);
    EXPECT_EQ(OptionsOfEffect(18).direction, DirectionPair::DiffuseConverge);
    EXPECT_FALSE(OptionsOfEffect(18).speed);
    EXPECT_TRUE(OptionsOfEffect(10).colourGroup);
    EXPECT_FALSE(OptionsOfEffect(10).writesMulticolour);
    EXPECT_TRUE(OptionsOfEffect(16).reactionColourGroup);
    EXPECT_TRUE(OptionsOfEffect(17).fourColour);
    EXPECT_TRUE(OptionsOfEffect(20).userColours);
    int writing = 0;
    for (int code = 0; code < 256; ++code) {
        writing += OptionsOfEffect(static_cast<uint8_t>(code)).writesMulticolour;
    }
    EXPECT_EQ(writing, 10);
    EXPECT_FALSE(OptionsOfEffect(19).known);
    EXPECT_FALSE(OptionsOfEffect(21).known);
    EXPECT_FALSE(OptionsOfEffect(0).known);
}

TEST(LightingStateTest, TakesTheRecordsFieldsByTheirRules) {
    LightRecord r{};
    r[0] = 7;
    r[1] = 4;
    r[2] = 1;
    r[3] = 0xFF;
    r[4] = 9;
    r[5] = 0x10;
    r[6] = 0x20;
    r[7] = 0x30;
    r[15] = 9;
    r[17] = 2;
    r[18] = 2;
    r[19] = 5;
    r[25] = 1;
    r[28] = 1;
    r[32] = 0xAB;
    LightingState s;
    s.reactionMulticolour = 1;
    s.triggerMode = 1;
    DeriveLightingState(r, s);
    EXPECT_EQ(s.colour[0], 0x302010u);
    EXPECT_EQ(s.colour[2], 0x302010u);
    EXPECT_EQ(s.reportRate, 3);
    EXPECT_EQ(s.reactionMulticolour, 1); // 2 is not a value it takes
    EXPECT_EQ(s.triggerMode, 1);
    EXPECT_TRUE(s.multicolour);
    EXPECT_EQ(s.secondColour, 1u);
    EXPECT_TRUE(s.secondMulticolour);
    EXPECT_EQ(s.thirdColour, 0xAB0000u);
    EXPECT_FALSE(s.thirdMulticolour);
    r[18] = 0;
    r[19] = 0;
    DeriveLightingState(r, s);
    EXPECT_EQ(s.reactionMulticolour, 0);
    EXPECT_EQ(s.triggerMode, 0);
    r[0] = 6;
    r[18] = 1;
    DeriveLightingState(r, s);
    EXPECT_EQ(s.reactionMulticolour, 0); // only read for effect 7
}

TEST_F(LightingTest, ReloadReadsTheEffectsAndTheRecordOfTheCurrentProfile) {
    auto area = keyboard->LightArea();
    area[42 * 2 + 0] = 13;
    area[42 * 2 + 15] = 9;
    area[42 * 2 + 5] = 0x10;
    keyboard->SetLightArea(area);
    DeviceState().CurrentProfile.store(2);
    EXPECT_EQ(ReloadLighting(), 0);
    EXPECT_EQ(Lighting().records[2][0], 13);
    EXPECT_EQ(Lighting().state.effect, 13);
    EXPECT_EQ(Lighting().state.reportRate, 3);
    EXPECT_EQ(Lighting().state.colour[1] & 0xFF, 0x10u);
    const auto info = keyboard->InfoBlock();
    EXPECT_EQ(Lighting().effects.entries.size(),
              static_cast<size_t>(
                  std::count_if(info.begin() + 12, info.end(), [](uint8_t b) { return b != 0; })));
    EXPECT_TRUE(Lighting().effects.UserColoursAvailable());
    std::vector<uint16_t> offsets;
    for (const SimFrame& f : Requests()) {
        if (f.bytes[3] == CmdCode::ReadLightData) {
            offsets.push_back(FrameOffset(f));
            EXPECT_EQ(f.bytes[4], 56);
        }
    }
    EXPECT_EQ(offsets, (std::vector<uint16_t>{0, 42, 84}));

    // A failed info block read: no effects, records and state as they were.
    DeviceState().DeviceOpen.store(0);
    EXPECT_EQ(ReloadLighting(), -1);
    EXPECT_TRUE(Lighting().effects.entries.empty());
    EXPECT_EQ(Lighting().state.effect, 13);
    EXPECT_EQ(Lighting().records[2][0], 13);
}

TEST_F(LightingTest, FieldWritesGoToTheCurrentProfilesRecord) {
    DeviceState().CurrentProfile.store(2);
    WriteLightByte(LightField::Brightness, 3);
    EXPECT_EQ(Writes(), (std::vector<Write>{{85, {3}}}));
    EXPECT_EQ(keyboard->LightRecord(2)[1], 3);

    keyboard->ClearFrameLog();
    DeviceState().CurrentProfile.store(1);
    WriteEffect(12);
    EXPECT_EQ(Writes(), (std::vector<Write>{{42, {12}}}));
    keyboard->ClearFrameLog();
    Lighting().state.multicolour = true;
    WriteEffect(1);
    EXPECT_EQ(Writes(), (std::vector<Write>{{42, {1}}, {46, {1}}}));
    keyboard->ClearFrameLog();
    WriteEffect(19);
    WriteEffect(33);
    EXPECT_TRUE(Requests().empty());

    WriteColour(1, 2, 3);
    EXPECT_EQ(Writes(), (std::vector<Write>{{46, {0}}, {47, {1, 2, 3}}}));
    keyboard->ClearFrameLog();
    DeviceState().CurrentProfile.store(0);
    WriteDefaultRecord();
    const auto writes = Writes();
    ASSERT_EQ(writes.size(), 1u);
    EXPECT_EQ(writes[0].offset, 0);
    EXPECT_EQ(writes[0].bytes,
              std::vector<uint8_t>(kDefaultLightRecord.begin(), kDefaultLightRecord.end()));
}

TEST_F(LightingTest, EveryFieldGoesToItsOwnByteOfTheRecord) {
    // The record's layout, written out: a field one byte off would change another setting.
    struct Field {
        int field;
        size_t byte;
    };
    const Field fields[] = {
        {LightField::Effect, 0},      {LightField::Brightness, 1},  {LightField::Speed, 2},
        {LightField::Direction, 3},   {LightField::Multicolour, 4}, {LightField::ReportRate, 15},
        {LightField::FourColour, 17},
    };
    for (int p = 0; p < 3; ++p) {
        DeviceState().CurrentProfile.store(p);
        const size_t record = 42 * static_cast<size_t>(p);
        for (const Field& f : fields) {
            keyboard->SetLightArea({});
            keyboard->ClearFrameLog();
            EXPECT_EQ(WriteLightByte(f.field, 0xA5), kCmdOk);
            EXPECT_EQ(Writes(),
                      (std::vector<Write>{{static_cast<uint16_t>(record + f.byte), {0xA5}}}))
                << "field " << f.field << ", profile " << p;
            auto expected = std::array<uint8_t, 126>{};
            expected[record + f.byte] = 0xA5;
            EXPECT_EQ(keyboard->LightArea(), expected) << "field " << f.field << ", profile " << p;
        }

        // The writes of more than one byte.
        keyboard->ClearFrameLog();
        Lighting().state.multicolour = true;
        WriteEffect(5);
        EXPECT_EQ(Writes(), (std::vector<Write>{{static_cast<uint16_t>(record), {5}},
                                                {static_cast<uint16_t>(record + 4), {1}}}));
        keyboard->ClearFrameLog();
        WriteColour(0x10, 0x20, 0x30);
        EXPECT_EQ(Writes(),
                  (std::vector<Write>{{static_cast<uint16_t>(record + 4), {0}},
                                      {static_cast<uint16_t>(record + 5), {0x10, 0x20, 0x30}}}));
        keyboard->ClearFrameLog();
        WriteDefaultRecord();
        std::vector<uint8_t> defaults(35, 0);
        defaults[0] = 1;
        defaults[1] = 4;
        defaults[2] = 2;
        defaults[4] = defaults[5] = defaults[6] = defaults[7] = 0xFF;
        EXPECT_EQ(Writes(), (std::vector<Write>{{static_cast<uint16_t>(record), defaults}}));
    }
}

TEST_F(LightingTest, KeyColoursGoInEightPiecesOfEighteenKeys) {
    for (const SimKeyboardModel model : {kSimModel5004, kSimModel5000}) {
        ConfigDevice().Close();
        Connect(model);
        DeviceState().CurrentProfile.store(1);
        auto& bank = Lighting().keyColourBanks[1];
        for (size_t i = 0; i < bank.size(); ++i) {
            bank[i] = static_cast<uint8_t>(i * 13);
        }
        UploadKeyColours();
        const auto writes = Writes(CmdCode::WriteKeyColours);
        ASSERT_EQ(writes.size(), 8u);
        for (size_t i = 0; i < 8; ++i) {
            EXPECT_EQ(writes[i].offset, 512 + 54 * i);
            EXPECT_EQ(writes[i].bytes.size(), 54u);
        }
        const auto sent = keyboard->KeyColourBank(1);
        EXPECT_TRUE(std::equal(bank.begin(), bank.begin() + 432, sent.begin()));
    }
}

TEST_F(LightingTest, OneKeyColourStaysInsideItsBank) {
    DeviceState().CurrentProfile.store(2);
    EXPECT_EQ(WriteKeyColour(125, 9, 8, 7), kCmdOk);
    EXPECT_EQ(Writes(CmdCode::WriteKeyColours), (std::vector<Write>{{1024 + 375, {9, 8, 7}}}));
    EXPECT_EQ(Lighting().keyColourBanks[2][375], 9);
    keyboard->ClearFrameLog();
    EXPECT_EQ(WriteKeyColour(171, 1, 1, 1), kCmdWriteFailed); // would reach into the next bank
    EXPECT_EQ(WriteKeyColour(-1, 1, 1, 1), kCmdWriteFailed);
    EXPECT_TRUE(Requests().empty());
}

TEST_F(LightingTest, WritesTellWhatTheKeyboardAnswered) {
    DeviceState().CurrentProfile.store(1);
    EXPECT_EQ(WriteLightByte(LightField::Brightness, 3), kCmdOk);
    EXPECT_EQ(WriteEffect(1), kCmdOk);
    EXPECT_EQ(WriteColour(1, 2, 3), kCmdOk);
    EXPECT_EQ(WriteDefaultRecord(), kCmdOk);
    EXPECT_EQ(UploadKeyColours(), kCmdOk);

    // A refused bracket opening is the result, though the writes still go out.
    keyboard->ClearFrameLog();
    keyboard->AnswerWithStatus(0xFF);
    EXPECT_EQ(WriteLightByte(LightField::Brightness, 2), kCmdStatusFF);
    EXPECT_EQ(Requests().size(), 3u);
    keyboard->AnswerWithStatus(0xFE, 4);
    EXPECT_EQ(WriteColour(1, 2, 3), kCmdStatusFE);
    keyboard->FailWrites(kSimForever);
    EXPECT_EQ(UploadKeyColours(), kCmdWriteFailed);
    EXPECT_EQ(WriteKeyColour(3, 1, 1, 1), kCmdWriteFailed);
    EXPECT_EQ(WriteDefaultRecord(), kCmdWriteFailed);
    keyboard->FailWrites(0);

    // Nothing to send: no profile, a field outside the record, a code without options.
    keyboard->ClearFrameLog();
    EXPECT_EQ(WriteLightByte(42, 1), kCmdWriteFailed);
    EXPECT_EQ(WriteEffect(19), kCmdWriteFailed);
    DeviceState().CurrentProfile.store(3);
    EXPECT_EQ(WriteLightByte(LightField::Brightness, 1), kCmdBadProfile);
    EXPECT_EQ(WriteEffect(1), kCmdBadProfile);
    EXPECT_EQ(WriteColour(1, 2, 3), kCmdBadProfile);
    EXPECT_EQ(WriteDefaultRecord(), kCmdBadProfile);
    EXPECT_EQ(UploadKeyColours(), kCmdBadProfile);
    EXPECT_EQ(WriteKeyColour(0, 1, 1, 1), kCmdBadProfile);
    EXPECT_TRUE(Requests().empty());
}

TEST(SliderLevelsTest, SpeedIsStoredReversedAndClamped) {
    EXPECT_EQ(SpeedValueFromSlider(0), 5);
    EXPECT_EQ(SpeedValueFromSlider(4), 1);
    EXPECT_EQ(SpeedValueFromSlider(9), 0);
    EXPECT_EQ(SliderFromSpeedValue(2), 3);
    EXPECT_EQ(SliderFromSpeedValue(200), 0);
    EXPECT_TRUE(IsFirstDirection(0xFF));
    EXPECT_FALSE(IsFirstDirection(1));
}

TEST(PresetColoursTest, AreTheEightPanelColours) {
    EXPECT_EQ(PackColour(kPresetColours[0].red, kPresetColours[0].green, kPresetColours[0].blue),
              PackColour(235, 99, 30));
    EXPECT_EQ(kPresetColours[7].blue, 255);
    EXPECT_EQ(kDefaultLightRecord[4], 0xFF);
    EXPECT_EQ(kDefaultLightRecord[8], 0);
}

} // namespace
