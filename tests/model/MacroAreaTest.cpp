// SPDX-License-Identifier: GPL-3.0-or-later
#include "ModelTestSupport.h"
#include "model/MacroRecord.h"

#include <cstring>
#include <gtest/gtest.h>
#include <random>

namespace {

MacroRecord Macro(int steps, int nameChars, uint16_t id = 1) {
    MacroRecord m;
    m.id = id;
    m.stepCount = static_cast<uint16_t>(steps);
    for (int s = 0; s < steps; ++s) {
        m.steps[s] = {static_cast<uint32_t>(10 * s), 0x01E, static_cast<uint16_t>(s % 2)};
    }
    SetMacroName(m, std::u16string(static_cast<size_t>(nameChars), u'n'));
    return m;
}

uint16_t U16(const std::vector<uint8_t>& b, size_t at) {
    return static_cast<uint16_t>(b[at] | b[at + 1] << 8);
}

std::vector<uint8_t> Encode(const std::vector<MacroRecord>& list, bool names) {
    const MacroAreaSize sizes = MacroAreaSizes(list);
    std::vector<uint8_t> image(names ? sizes.full : sizes.compact, 0xCC);
    EXPECT_TRUE(EncodeMacroArea(list, image, image.size(), names));
    return image;
}

TEST(MacroArea, SizesOfThreeMacrosWithNames) {
    const std::vector<MacroRecord> list = {Macro(2, 10), Macro(0, 20), Macro(5, 40)};
    EXPECT_EQ(MacroAreaSizes(list), (MacroAreaSize{62, 202}));
    const auto image = Encode(list, true);
    EXPECT_EQ(U16(image, 0), 0x55AA);
    EXPECT_EQ(U16(image, 2), 202);
    EXPECT_EQ(U16(image, 4), 3);
    EXPECT_EQ(U16(image, 6), 1);
    for (size_t i = 8; i < 16; ++i) {
        EXPECT_EQ(image[i], 0);
    }
    // Records back to back: 22, 22 + 4 + 8 + 20, then + 4 + 40.
    EXPECT_EQ(U16(image, 16), 22);
    EXPECT_EQ(U16(image, 18), 54);
    EXPECT_EQ(U16(image, 20), 98);
    EXPECT_EQ(image[98 + 3], 40);
    const auto compact = Encode(list, false);
    EXPECT_EQ(compact.size(), 62u);
    EXPECT_EQ(U16(compact, 6), 0);
    EXPECT_EQ(compact[22 + 3], 0);
    EXPECT_EQ(U16(compact, 20), 22 + 12 + 4);
    // A buffer too small for the image is refused untouched.
    std::vector<uint8_t> small(61, 0xCC);
    EXPECT_FALSE(EncodeMacroArea(list, small, 62, false));
    EXPECT_EQ(small[0], 0xCC);
}

TEST(MacroArea, AnImageBeyondSixteenBitOffsetsIsRefused) {
    // 17 macros of 1000 steps need 68 KB: their offsets would wrap and name the wrong records.
    const std::vector<MacroRecord> list(17, Macro(1000, 0));
    const MacroAreaSize sizes = MacroAreaSizes(list);
    ASSERT_GT(sizes.compact, kMaxMacroAreaImage);
    std::vector<uint8_t> image(sizes.compact, 0xCC);
    EXPECT_FALSE(EncodeMacroArea(list, image, image.size(), false));
    EXPECT_EQ(image[0], 0xCC);
    // The largest image that 16 bits address is still written.
    std::vector<MacroRecord> fits(16, Macro(1000, 0));
    fits.push_back(Macro(static_cast<int>((kMaxMacroAreaImage - MacroAreaSizes(fits).compact - 6) / 4), 0));
    ASSERT_LE(MacroAreaSizes(fits).compact, kMaxMacroAreaImage);
    const auto written = Encode(fits, false);
    EXPECT_EQ(DecodeMacroArea(written).back().stepCount, fits.back().stepCount);
}

TEST(MacroArea, EmptyMacroTakesFourBytesPlusItsName) {
    EXPECT_EQ(MacroAreaSizes(std::vector{Macro(0, 0)}), (MacroAreaSize{22, 22}));
    EXPECT_EQ(MacroAreaSizes(std::vector{Macro(0, 3)}), (MacroAreaSize{22, 28}));
}

TEST(MacroArea, StepWordsCarryDelayCategoryAndDirection) {
    EXPECT_EQ(EncodeMacroStep({12345, 0x02A, MacroAction::kPress}),
              (std::array<uint8_t, 4>{0xD2, 0xA4, 0x01, 0x02})); // 1234 | 2 << 12 | 0x8000
    EXPECT_EQ(EncodeMacroStep({12345, 0x02A, MacroAction::kRelease}),
              (std::array<uint8_t, 4>{0xD2, 0x24, 0x01, 0x02}));
    const auto word = EncodeMacroStep({12345, 0x02A, MacroAction::kPress});
    EXPECT_EQ(DecodeMacroStep(word.data()), (MacroAction{12340, 0x02A, MacroAction::kPress}));
    EXPECT_EQ(EncodeMacroStep({0, 0x01E, 0}), (std::array<uint8_t, 4>{0, 0xA0, 2, 0x04}));
    EXPECT_EQ(EncodeMacroStep({0, 0x15F, 1}), (std::array<uint8_t, 4>{0, 0x40, 0x82, 0}));
    EXPECT_EQ(EncodeMacroStep({0, kWheelDown, 1}), (std::array<uint8_t, 4>{0, 0x10, 5, 0xFF}));
    EXPECT_EQ(EncodeMacroStep({0, kMouseMiddle, 0}), (std::array<uint8_t, 4>{0, 0x90, 1, 4}));
    EXPECT_EQ(EncodeMacroStep({0, 0x054, 0}), (std::array<uint8_t, 4>{0, 0x80, 0, 0}));
    // Beyond 40950 ms the longest delay the field holds, never a wrapped short one.
    EXPECT_EQ(EncodeMacroStep({41000, 0x01E, 1})[0], 0xFF);
    EXPECT_EQ(EncodeMacroStep({41000, 0x01E, 1})[1] & 0x0F, 0x0F);
    EXPECT_EQ(EncodeMacroStep({40950, 0x01E, 1})[0], 0xFF);
}

TEST(MacroArea, DecodeNumbersTheMacrosAndNamesUnnamedOnes) {
    std::vector<MacroRecord> list = {Macro(3, 5, 40), Macro(1, 0, 7)};
    list[0].repeat = 9;
    list[1].steps[0] = {12345, kMouseRight, MacroAction::kRelease};
    const auto decoded = DecodeMacroArea(Encode(list, true));
    ASSERT_EQ(decoded.size(), 2u);
    EXPECT_EQ(decoded[0].id, 1);
    EXPECT_EQ(decoded[1].id, 2);
    EXPECT_EQ(decoded[0].repeat, 9);
    EXPECT_EQ(decoded[0].stepCount, 3);
    EXPECT_EQ(decoded[0].steps[2], list[0].steps[2]);
    EXPECT_EQ(MacroName(decoded[0]), u"nnnnn");
    EXPECT_EQ(decoded[1].steps[0], (MacroAction{12340, kMouseRight, MacroAction::kRelease}));
    EXPECT_EQ(MacroNameUtf8(decoded[1]), "Macro 2");
    // Without names every macro is named after its position.
    EXPECT_EQ(MacroNameUtf8(DecodeMacroArea(Encode(list, false))[0]), "Macro 1");
    // Another magic: no macros.
    auto image = Encode(list, true);
    image[0] = 0xAB;
    EXPECT_TRUE(DecodeMacroArea(image).empty());
}

TEST(MacroArea, DecodingStaysInsideTheImage) {
    std::vector<uint8_t> image(16 + 2 * 120, 0);
    image[0] = 0xAA;
    image[1] = 0x55;
    image[4] = 0xFF; // 65535 macros: only the first 100 count
    image[5] = 0xFF;
    image[16 + 2 * 99] = 0xFF; // macro 100 lies beyond the image
    auto decoded = DecodeMacroArea(image);
    ASSERT_EQ(decoded.size(), 100u);
    EXPECT_EQ(decoded[99].id, 100);
    EXPECT_EQ(decoded[99].stepCount, 0);
    EXPECT_EQ(MacroNameUtf8(decoded[99]), "Macro 100");
    // With only three offset entries there are only three macros.
    image.resize(16 + 6);
    EXPECT_EQ(DecodeMacroArea(image).size(), 3u);

    // One macro claiming 65535 steps and a 255-character name, with 3 steps present.
    image.assign(16 + 2 + 4 + 12, 0);
    image[0] = 0xAA;
    image[1] = 0x55;
    image[4] = 1;
    image[16] = 18;
    image[18] = 0xFF;
    image[19] = 0xFF;
    image[21] = 255;
    decoded = DecodeMacroArea(image);
    ASSERT_EQ(decoded.size(), 1u);
    EXPECT_EQ(decoded[0].stepCount, 3);
    EXPECT_EQ(MacroNameUtf8(decoded[0]), "Macro 1");

    // A 255-character name is cut to 249.
    std::vector<MacroRecord> list = {Macro(0, 0)};
    auto named = Encode(list, true);
    named[16 + 2 + 3] = 255;
    named.resize(named.size() + 510, 'x');
    decoded = DecodeMacroArea(named);
    EXPECT_EQ(MacroNameLength(decoded[0]), 249);
    // More than 4000 steps present: only 4000 kept.
    list[0].stepCount = 4000;
    auto big = Encode(list, false);
    big[16 + 2] = 0xA1; // 4001 steps claimed
    big[16 + 3] = 0x0F;
    big.resize(big.size() + 4, 0);
    EXPECT_EQ(DecodeMacroArea(big)[0].stepCount, 4000);
}

TEST(MacroArea, DecodingIntoAUsedListGivesWhatAFreshDecodeGives) {
    // A list of long named macros first, then a smaller area without names into the same list:
    // nothing of the first may show through.
    std::vector<MacroRecord> big = {Macro(40, 30), Macro(25, 12), Macro(3, 249)};
    std::vector<MacroRecord> list;
    EXPECT_EQ(DecodeMacroArea(Encode(big, true), list), 3u);
    const std::vector<uint8_t> small = Encode({Macro(2, 0), Macro(0, 0)}, false);
    EXPECT_EQ(DecodeMacroArea(small, list), 2u);
    const std::vector<MacroRecord> fresh = DecodeMacroArea(small);
    ASSERT_EQ(list.size(), fresh.size());
    for (size_t i = 0; i < fresh.size(); ++i) {
        EXPECT_EQ(std::memcmp(&list[i], &fresh[i], sizeof(MacroRecord)), 0) << i;
    }
    EXPECT_EQ(DecodeMacroArea(std::vector<uint8_t>(16, 0), list), 0u);
    EXPECT_TRUE(list.empty());
}

TEST(MacroNames, AreCutTo249CharactersWithoutSplittingAPair) {
    MacroRecord m;
    SetMacroName(m, std::u16string(300, u'a'));
    EXPECT_EQ(MacroNameLength(m), 249);
    EXPECT_EQ(m.name[249], 0);
    std::u16string pairAtEnd(248, u'a');
    pairAtEnd += u"\U0001F600";
    SetMacroName(m, pairAtEnd);
    EXPECT_EQ(MacroNameLength(m), 248);
    SetMacroName(m, std::string_view("Caf\xC3\xA9"));
    EXPECT_EQ(MacroName(m), u"Caf\u00E9");
    // A record from a file without any terminator reads as 249 characters.
    m.name.fill(u'z');
    EXPECT_EQ(MacroNameLength(m), 249);
    EXPECT_EQ(MacroAreaSizes(std::vector{m}).full, 22u + 498u);
}

TEST(MacroArea, RandomListsSurviveEncodeDecodeEncode) {
    std::mt19937 random(7);
    const KeyCode keys[] = {0x01E, 0x02A, 0x15C, kMouseLeft, kWheelUp, 0x163, 0x130, 0x148};
    for (int round = 0; round < 20; ++round) {
        std::vector<MacroRecord> list(1 + random() % 6);
        for (size_t i = 0; i < list.size(); ++i) {
            MacroRecord& m = list[i];
            m.id = static_cast<uint16_t>(i + 1);
            m.repeat = static_cast<uint8_t>(1 + random() % 255);
            m.stepCount = static_cast<uint16_t>(random() % 300);
            for (int s = 0; s < m.stepCount; ++s) {
                m.steps[s] = {static_cast<uint32_t>(10 * (random() % 4096)),
                              keys[random() % std::size(keys)],
                              static_cast<uint16_t>(random() % 2)};
            }
            SetMacroName(m, std::u16string(1 + random() % 249, u'm'));
        }
        const auto first = Encode(list, true);
        const auto second = Encode(DecodeMacroArea(first), true);
        ASSERT_EQ(first, second) << round;
    }
}

} // namespace
