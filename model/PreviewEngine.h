// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The lighting preview: while lighting mode is on, the keyboard picture imitates the selected
// effect, one step per 50 ms tick. It is computed here from the stored lighting state and never
// sent to the keyboard. The window resets the engine when an effect is selected (after clearing
// the key frames), ticks it, and repaints the keys the tick changed.

#include "model/Lighting.h"
#include "model/PreviewLayout.h"
#include "model/PreviewSpreadingLight.h"

#include <array>
#include <cstdint>
#include <span>

enum class StepDirection { Backward, Forward };

// A phase moved by step and kept within 0..modulus - 1.
int Step(int phase, int step, int modulus, StepDirection direction);
// The first choice of a direction pair (0xFF) runs forward, the second backward.
StepDirection DirectionOf(uint8_t directionByte);

// What the preview reads of the lighting state.
struct PreviewInput {
    uint8_t effect = 0;
    uint8_t direction = kDirectionSecond;
    bool multicolour = false;
    uint32_t baseColour = 0;
    // The per-key colours effect 20 shows; nullptr for none.
    const std::array<uint8_t, kKeyColourBankSize>* userColours = nullptr;
};
// The state of the lighting panel with the bank copy of `profile` (none outside 0..2).
PreviewInput PreviewInputOf(const LightingModel& model, int profile);

class PreviewEngine {
public:
    // The effect was selected and the key frames cleared: the next tick starts afresh.
    void Reset();
    // One step of the input's effect. A tick whose effect differs from the last one's starts
    // that effect afresh too.
    void Tick(const PreviewInput& input);

    // A colour or none per preview key, as the last tick left it.
    const PreviewFrame& Frame() const { return frame_; }
    // The preview keys whose colour the last tick changed, ascending.
    std::span<const uint8_t> ChangedKeys() const { return {changed_.data(), changedCount_}; }

private:
    static constexpr int kEffectCodeLimit = 21; // codes 0..20 keep a phase

    void Restart(uint8_t effect);
    int& PhaseOf(uint8_t effect) { return phase_[effect]; }

    void StepColumnWave(const PreviewInput& in, PreviewFrame& next);         // 1
    void StepFlashWave(const PreviewInput& in, PreviewFrame& next);          // 2
    void StepRingWave(const PreviewInput& in, PreviewFrame& next);           // 3
    void StepHueCycle(const PreviewInput& in, PreviewFrame& next);           // 4
    void StepColumnPulse(const PreviewInput& in, PreviewFrame& next);        // 5
    static void ShowDiagonals(const PreviewInput& in, PreviewFrame& next);   // 6
    void StepDrops(const PreviewInput& in, PreviewFrame& next);              // 10
    void StepRingHues(PreviewFrame& next);                                   // 11
    void StepRowWave(const PreviewInput& in, PreviewFrame& next);            // 12
    void StepSpreadingLight(const PreviewInput& in, PreviewFrame& next);     // 13-16
    void StepDiagonalWave(const PreviewInput& in, PreviewFrame& next);       // 18
    static void ShowUserColours(const PreviewInput& in, PreviewFrame& next); // 20

    bool initialised_ = false;
    uint8_t effect_ = 0;
    std::array<int, kEffectCodeLimit> phase_{};
    GlowKeys glow_;
    PreviewRandom random_;
    int dropIndex_ = 0;
    SpreadingLight spreading_;
    // Effect 11's hues per ring index, given their start once and carried on from there.
    std::array<uint8_t, kRingKeyCount> ringHue_{};
    bool ringHuesStarted_ = false;

    PreviewFrame frame_{};
    std::array<uint8_t, kPreviewKeyCount> changed_{};
    size_t changedCount_ = 0;
};
