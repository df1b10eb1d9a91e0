// SPDX-License-Identifier: GPL-3.0-or-later
#include "model/PreviewSpreadingLight.h"

#include "model/PreviewColourTables.h"
#include "model/PreviewEffects.h"

namespace {

constexpr uint8_t kAllRows = (1u << kPreviewRows) - 1;

// Where the waves of 13 and 16 start: the middle of the letters and the Esc corner.
constexpr PreviewCell kWave13Start{7, 3}; // H
constexpr PreviewCell kWave16Start{2, 0}; // Esc

// Effect 15 drops fall from the top row, this many columns apart.
constexpr int kFallingDropsPerTick = 3;
constexpr int kDropColumnStep = 3;

// Effect 14: anti-diagonals from the top-left corner, then pairs of middle keys from the
// centre outwards (4 rows x 4 distances), then a wave from P that ends when left Ctrl lights.
constexpr int kSweepSteps = 20;
constexpr int kPairSteps = 16;
constexpr int kPairRows = 4;
constexpr int kPairFirstRow = 1;
constexpr int kPairLeftColumn = 7;
constexpr int kPairRightColumn = 8;
constexpr uint8_t kScriptColourStep = 11;
constexpr uint8_t kColourIndexCount = 255;
constexpr PreviewCell kScriptWaveStart{11, 2}; // P
constexpr PreviewCell kScriptWaveTarget{0, 5}; // left Ctrl

// The ring entry of the key in a cell; nullptr for empty cells and keys outside the ring.
const RingKey* RingKeyAt(PreviewCell cell) {
    const PreviewLayout& layout = PreviewLayoutTable();
    const int key = layout.grid[cell.column][cell.row];
    for (const RingKey& ring : layout.ring) {
        if (ring.key == key) {
            return &ring;
        }
    }
    return nullptr;
}

uint8_t ScriptTargetBrightness(const GlowKeys& glow) {
    return glow.brightness[RingKeyAt(kScriptWaveTarget)->stateIndex];
}

} // namespace

void GlowKeys::Fade(const FadeRule& rule) {
    for (uint8_t& b : brightness) {
        b = Faded(b, rule);
    }
}

void GlowKeys::Show(PreviewFrame& frame, bool multicolour, uint32_t base) const {
    for (const RingKey& ring : PreviewLayoutTable().ring) {
        const uint32_t colour =
            multicolour ? PackedColour(kHueWheel255[colourIndex[ring.stateIndex]]) : base;
        frame[ring.key] = ScaleColour(colour, brightness[ring.stateIndex]);
    }
}

void WaveMasks::Set(Direction d, PreviewCell cell) {
    masks_[d][cell.column] |= static_cast<uint8_t>(1u << cell.row);
}

bool WaveMasks::IsSet(PreviewCell cell) const {
    const uint8_t bit = static_cast<uint8_t>(1u << cell.row);
    for (const auto& mask : masks_) {
        if ((mask[cell.column] & bit) != 0) {
            return true;
        }
    }
    return false;
}

bool WaveMasks::Empty() const {
    for (const auto& mask : masks_) {
        for (uint8_t column : mask) {
            if (column != 0) {
                return false;
            }
        }
    }
    return true;
}

void WaveMasks::Spread() {
    auto& left = masks_[Left];
    auto& right = masks_[Right];
    for (int c = 0; c + 1 < kPreviewColumns; ++c) {
        left[static_cast<size_t>(c)] = left[static_cast<size_t>(c + 1)];
    }
    left[kPreviewColumns - 1] = 0;
    for (int c = kPreviewColumns - 1; c > 0; --c) {
        right[static_cast<size_t>(c)] = right[static_cast<size_t>(c - 1)];
    }
    right[0] = 0;
    for (uint8_t& column : masks_[Up]) {
        column = static_cast<uint8_t>(column >> 1);
    }
    for (uint8_t& column : masks_[Down]) {
        column = static_cast<uint8_t>((column << 1) & kAllRows);
    }
}

void SpreadingLight::Restart() {
    masks_.Clear();
    dropColumn_ = 0;
    stage_ = ScriptStage::Sweep;
    scriptStep_ = 0;
    scriptColour_ = 0;
}

void SpreadingLight::Step(uint8_t effect, bool multicolour, PreviewRandom& random, GlowKeys& glow) {
    Seed(effect, glow);
    for (const RingKey& ring : PreviewLayoutTable().ring) {
        bool covered = false;
        for (const PreviewCell& cell : ring.cells) {
            covered = covered || masks_.IsSet(cell);
        }
        if (!covered) {
            continue;
        }
        if (multicolour) {
            glow.Light(ring.stateIndex, random.ColourIndex());
        } else {
            glow.Light(ring.stateIndex);
        }
    }
    if (stage_ == ScriptStage::WaveRunning && ScriptTargetBrightness(glow) == kFullBrightness) {
        stage_ = ScriptStage::WaitForFade;
    }
    masks_.Spread();
}

void SpreadingLight::Seed(uint8_t effect, GlowKeys& glow) {
    switch (effect) {
    case PreviewEffect::SpreadFromMiddle:
        if (masks_.Empty()) {
            SeedWave(kWave13Start);
        }
        break;
    case PreviewEffect::SpreadFromCorner:
        if (masks_.Empty()) {
            SeedWave(kWave16Start);
        }
        break;
    case PreviewEffect::FallingDrops:
        for (int i = 0; i < kFallingDropsPerTick; ++i) {
            masks_.Set(WaveMasks::Down, {static_cast<uint8_t>(dropColumn_), 0});
            dropColumn_ = (dropColumn_ + kDropColumnStep) % kPreviewColumns;
        }
        break;
    case PreviewEffect::Demonstration:
        StepScript(glow);
        break;
    default:
        break;
    }
}

void SpreadingLight::StepScript(GlowKeys& glow) {
    if (stage_ == ScriptStage::WaitForFade && ScriptTargetBrightness(glow) == 0) {
        stage_ = ScriptStage::Sweep;
        scriptStep_ = 0;
        scriptColour_ = 0;
    }
    switch (stage_) {
    case ScriptStage::Sweep:
        for (uint8_t column = 0; column < kPreviewColumns; ++column) {
            const int row = scriptStep_ - column;
            if (row >= 0 && row < kPreviewRows) {
                LightCell({column, static_cast<uint8_t>(row)}, glow);
            }
        }
        if (++scriptStep_ == kSweepSteps) {
            stage_ = ScriptStage::Pairs;
            scriptStep_ = 0;
        }
        break;
    case ScriptStage::Pairs: {
        const int distance = scriptStep_ / kPairRows;
        const auto row = static_cast<uint8_t>(kPairFirstRow + scriptStep_ % kPairRows);
        LightCell({static_cast<uint8_t>(kPairLeftColumn - distance), row}, glow);
        LightCell({static_cast<uint8_t>(kPairRightColumn + distance), row}, glow);
        if (++scriptStep_ == kPairSteps) {
            stage_ = ScriptStage::Wave;
        }
        break;
    }
    case ScriptStage::Wave:
        SeedWave(kScriptWaveStart);
        stage_ = ScriptStage::WaveRunning;
        break;
    case ScriptStage::WaveRunning:
    case ScriptStage::WaitForFade:
        break;
    }
}

void SpreadingLight::SeedWave(PreviewCell cell) {
    for (uint8_t row = 0; row < kPreviewRows; ++row) {
        masks_.Set(WaveMasks::Left, {cell.column, row});
        masks_.Set(WaveMasks::Right, {cell.column, row});
    }
    masks_.Set(WaveMasks::Up, cell);
    masks_.Set(WaveMasks::Down, cell);
}

// Only ring keys glow; the script's colour index advances with every key it lights.
void SpreadingLight::LightCell(PreviewCell cell, GlowKeys& glow) {
    const RingKey* ring = RingKeyAt(cell);
    if (ring == nullptr) {
        return;
    }
    glow.Light(ring->stateIndex, scriptColour_);
    scriptColour_ = static_cast<uint8_t>((scriptColour_ + kScriptColourStep) % kColourIndexCount);
}
