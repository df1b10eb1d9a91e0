// SPDX-License-Identifier: GPL-3.0-or-later
#include "model/PreviewEngine.h"

#include "model/PreviewColourTables.h"
#include "model/PreviewEffects.h"


namespace {

constexpr int kHueModulus = static_cast<int>(kHueWheelSize);
constexpr int kPulse96Modulus = static_cast<int>(kPulse96Size);
constexpr int kPulse128Modulus = static_cast<int>(kPulse128Size);

// Effect 2's column index runs over the flash table's 0..128 and wraps by this at either end.
constexpr int kFlashLastIndex = static_cast<int>(kFlashSize) - 1;
constexpr int kFlashWrap = 123;

constexpr int kDropsPerTick = 3;
constexpr int kRingHueStart = 33;
constexpr int kRingHueStep = 3;

uint32_t Hue(int index) {
    return PackedColour(kHueWheel192[static_cast<size_t>(index % kHueModulus)]);
}

void PaintColumn(PreviewFrame& frame, int column, uint32_t colour) {
    for (int8_t key : PreviewLayoutTable().grid[static_cast<size_t>(column)]) {
        if (key != kEmptyCell) {
            frame[static_cast<size_t>(key)] = colour;
        }
    }
}

void PaintRow(PreviewFrame& frame, int row, uint32_t colour) {
    for (const auto& column : PreviewLayoutTable().grid) {
        const int8_t key = column[static_cast<size_t>(row)];
        if (key != kEmptyCell) {
            frame[static_cast<size_t>(key)] = colour;
        }
    }
}

void PaintDiagonal(PreviewFrame& frame, int diagonal, uint32_t colour) {
    for (uint8_t key : PreviewLayoutTable().diagonals[static_cast<size_t>(diagonal)]) {
        frame[key] = colour;
    }
}

void PaintGrid(PreviewFrame& frame, uint32_t colour) {
    for (int column = 0; column < kPreviewColumns; ++column) {
        PaintColumn(frame, column, colour);
    }
}

} // namespace

int Step(int phase, int step, int modulus, StepDirection direction) {
    // The modulo keeps a phase left by a larger modulus (multicolour switched) in range.
    const int moved = direction == StepDirection::Forward ? phase + step : phase - step;
    return (moved % modulus + modulus) % modulus;
}

StepDirection DirectionOf(uint8_t directionByte) {
    return IsFirstDirection(directionByte) ? StepDirection::Forward : StepDirection::Backward;
}

PreviewInput PreviewInputOf(const LightingModel& model, int profile) {
    PreviewInput input;
    input.effect = model.state.effect;
    input.direction = model.state.direction;
    input.multicolour = model.state.multicolour;
    input.baseColour = model.state.colour[0];
    if (profile >= 0 && profile < static_cast<int>(model.keyColourBanks.size())) {
        input.userColours = &model.keyColourBanks[static_cast<size_t>(profile)];
    }
    return input;
}

void PreviewEngine::Reset() {
    initialised_ = false;
    frame_.fill(std::nullopt);
    changedCount_ = 0;
}

void PreviewEngine::Restart(uint8_t effect) {
    effect_ = effect;
    phase_.fill(0);
    glow_ = {};
    random_.Restart();
    dropIndex_ = 0;
    spreading_.Restart();
    initialised_ = true;
}

void PreviewEngine::Tick(const PreviewInput& in) {
    if (!initialised_ || in.effect != effect_) {
        Restart(in.effect);
    }
    PreviewFrame next{};
    switch (in.effect) {
    case PreviewEffect::ColumnWave:
        StepColumnWave(in, next);
        break;
    case PreviewEffect::FlashWave:
        StepFlashWave(in, next);
        break;
    case PreviewEffect::RingWave:
        StepRingWave(in, next);
        break;
    case PreviewEffect::HueCycle:
        StepHueCycle(in, next);
        break;
    case PreviewEffect::ColumnPulse:
        StepColumnPulse(in, next);
        break;
    case PreviewEffect::Diagonals:
        ShowDiagonals(in, next);
        break;
    case PreviewEffect::Drops:
        StepDrops(in, next);
        break;
    case PreviewEffect::RingHues:
        StepRingHues(next);
        break;
    case PreviewEffect::RowWave:
        StepRowWave(in, next);
        break;
    case PreviewEffect::SpreadFromMiddle:
    case PreviewEffect::Demonstration:
    case PreviewEffect::FallingDrops:
    case PreviewEffect::SpreadFromCorner:
        StepSpreadingLight(in, next);
        break;
    case PreviewEffect::DiagonalWave:
        StepDiagonalWave(in, next);
        break;
    case PreviewEffect::UserColours:
        ShowUserColours(in, next);
        break;
    default: // 7, 8, 9, 17 and codes without an effect show nothing
        break;
    }
    changedCount_ = 0;
    for (size_t key = 0; key < next.size(); ++key) {
        if (next[key] != frame_[key]) {
            changed_[changedCount_++] = static_cast<uint8_t>(key);
        }
    }
    frame_ = next;
}

void PreviewEngine::StepColumnWave(const PreviewInput& in, PreviewFrame& next) {
    int& phase = PhaseOf(PreviewEffect::ColumnWave);
    const StepDirection direction = DirectionOf(in.direction);
    constexpr int kStep = 9;
    constexpr int kPulseStep = 7;
    if (in.multicolour) {
        phase = Step(phase, kStep, kHueModulus, direction);
        for (int k = 0; k < kPreviewColumns; ++k) {
            PaintColumn(next, k, Hue(phase + kStep * k));
        }
        return;
    }
    phase = Step(phase, kPulseStep, kPulse96Modulus, direction);
    for (int k = 0; k < kPreviewColumns; ++k) {
        const uint8_t level =
            kPulse96[static_cast<size_t>((phase + kPulseStep * k) % kPulse96Modulus)];
        PaintColumn(next, k, ScaleColour(in.baseColour, level));
    }
}

void PreviewEngine::StepFlashWave(const PreviewInput& in, PreviewFrame& next) {
    int& phase = PhaseOf(PreviewEffect::FlashWave);
    const StepDirection direction = DirectionOf(in.direction);
    constexpr int kStep = 4;
    constexpr int kColumnStep = 5;
    if (in.multicolour) {
        phase = Step(phase, kStep, kHueModulus, direction);
        for (int k = 0; k < kPreviewColumns; ++k) {
            PaintColumn(next, k, Hue(phase + kColumnStep * k));
        }
        return;
    }
    phase = Step(phase, kStep, kPulse128Modulus, StepDirection::Forward);
    int v = phase;
    for (int k = 0; k < kPreviewColumns; ++k) {
        v += direction == StepDirection::Forward ? kColumnStep : -kColumnStep;
        if (v > kFlashLastIndex) {
            v -= kFlashWrap;
        } else if (v < 0) {
            v += kFlashWrap;
        }
        PaintColumn(next, k, ScaleColour(in.baseColour, kFlash128[static_cast<size_t>(v)]));
    }
}

void PreviewEngine::StepRingWave(const PreviewInput& in, PreviewFrame& next) {
    int& phase = PhaseOf(PreviewEffect::RingWave);
    const StepDirection direction = DirectionOf(in.direction);
    constexpr int kStep = 4;
    constexpr int kRingStep = 5;
    const auto& ring = PreviewLayoutTable().ring;
    if (in.multicolour) {
        phase = Step(phase, kStep, kHueModulus, direction);
    } else {
        phase = Step(phase, kStep, kPulse96Modulus, direction);
    }
    for (size_t i = 0; i < ring.size(); ++i) {
        const int at = phase + kRingStep * static_cast<int>(i);
        next[ring[i].key] =
            in.multicolour
                ? Hue(at)
                : ScaleColour(in.baseColour, kPulse96[static_cast<size_t>(at % kPulse96Modulus)]);
    }
}

void PreviewEngine::StepHueCycle(const PreviewInput& in, PreviewFrame& next) {
    int& phase = PhaseOf(PreviewEffect::HueCycle);
    phase = Step(phase, 2, kHueModulus, DirectionOf(in.direction));
    PaintGrid(next, Hue(phase));
}

void PreviewEngine::StepColumnPulse(const PreviewInput& in, PreviewFrame& next) {
    int& phase = PhaseOf(PreviewEffect::ColumnPulse);
    phase = Step(phase, 2, kPulse128Modulus, StepDirection::Forward);
    constexpr int kColumnHueStep = 7;
    const uint8_t level = kPulse128[static_cast<size_t>(phase)];
    for (int k = 0; k < kPreviewColumns; ++k) {
        const uint32_t colour = in.multicolour ? Hue(kColumnHueStep * k) : in.baseColour;
        PaintColumn(next, k, ScaleColour(colour, level));
    }
}

void PreviewEngine::ShowDiagonals(const PreviewInput& in, PreviewFrame& next) {
    if (!in.multicolour) {
        PaintGrid(next, in.baseColour);
        return;
    }
    constexpr int kFirstHue = 131;
    constexpr int kDiagonalHueStep = 11;
    for (int d = 0; d < kDiagonalCount; ++d) {
        PaintDiagonal(next, d, Hue(kFirstHue - kDiagonalHueStep * d));
    }
}

void PreviewEngine::StepDrops(const PreviewInput& in, PreviewFrame& next) {
    const PreviewLayout& layout = PreviewLayoutTable();
    for (int i = 0; i < kDropsPerTick; ++i) {
        const RingKey& ring = layout.ring[layout.dropOrder[static_cast<size_t>(dropIndex_)]];
        glow_.Light(ring.stateIndex, random_.ColourIndex());
        dropIndex_ = (dropIndex_ + 1) % kRingKeyCount;
    }
    glow_.Fade(kFadeRuleA);
    glow_.Show(next, in.multicolour, in.baseColour);
}

void PreviewEngine::StepRingHues(PreviewFrame& next) {
    if (!ringHuesStarted_) {
        // Each start hue 33 on from the one before; wrapping on reaching 192 keeps every hue
        // on the wheel.
        int hue = kRingHueStart;
        for (uint8_t& start : ringHue_) {
            start = static_cast<uint8_t>(hue);
            hue = (hue + kRingHueStart) % kHueModulus;
        }
        ringHuesStarted_ = true;
    }
    const auto& ring = PreviewLayoutTable().ring;
    for (size_t i = 0; i < ring.size(); ++i) {
        const int hue = ringHue_[i] + kRingHueStep;
        ringHue_[i] = static_cast<uint8_t>(hue >= kHueModulus ? 0 : hue);
        next[ring[i].key] = Hue(ringHue_[i]);
    }
}

void PreviewEngine::StepRowWave(const PreviewInput& in, PreviewFrame& next) {
    int& phase = PhaseOf(PreviewEffect::RowWave);
    phase = Step(phase, 3, kHueModulus, DirectionOf(in.direction));
    constexpr int kRowHueStep = 32;
    for (int r = 0; r < kPreviewRows; ++r) {
        PaintRow(next, r, Hue(phase + kRowHueStep * r));
    }
}

void PreviewEngine::StepSpreadingLight(const PreviewInput& in, PreviewFrame& next) {
    spreading_.Step(in.effect, in.multicolour, random_, glow_);
    switch (in.effect) {
    case PreviewEffect::SpreadFromMiddle:
        glow_.Fade(kFadeRule13);
        break;
    case PreviewEffect::Demonstration:
        glow_.Fade(kFadeRule14);
        break;
    default:
        glow_.Fade(kFadeRuleA);
        break;
    }
    glow_.Show(next, in.multicolour, in.baseColour);
}

void PreviewEngine::StepDiagonalWave(const PreviewInput& in, PreviewFrame& next) {
    int& phase = PhaseOf(PreviewEffect::DiagonalWave);
    phase = Step(phase, 2, kHueModulus, DirectionOf(in.direction));
    constexpr int kDiagonalHueStep = 21;
    for (int d = 0; d < kDiagonalCount; ++d) {
        PaintDiagonal(next, d, Hue(phase + kDiagonalHueStep * (d + 1)));
    }
}

void PreviewEngine::ShowUserColours(const PreviewInput& in, PreviewFrame& next) {
    if (in.userColours == nullptr) {
        return;
    }
    const auto& bank = *in.userColours;
    const auto& keys = PreviewLayoutTable().keys;
    for (size_t key = 0; key < keys.size(); ++key) {
        const size_t at = 3u * keys[key].slot;
        next[key] = PackColour(bank[at], bank[at + 1], bank[at + 2]);
    }
}
