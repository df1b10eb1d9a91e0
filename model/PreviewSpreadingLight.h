// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The glowing keys of the drop and spreading-light effects (10, 13-16): per-key brightness and
// colour index, the fade rules, the four wavefront masks, and the seeds of each effect,
// effect 14's demonstration script among them.

#include "model/PreviewLayout.h"

#include <array>
#include <cstdint>
#include <random>

// Brightness taken off per tick in the bands b >= 128, 64..127, 32..63, 17..31 and 1..16.
struct FadeRule {
    std::array<uint8_t, 5> steps;
};
inline constexpr FadeRule kFadeRuleA{{20, 16, 10, 5, 1}}; // effects 10, 15, 16
inline constexpr FadeRule kFadeRule13{{80, 50, 20, 5, 1}};
inline constexpr FadeRule kFadeRule14{{30, 20, 10, 5, 1}};

constexpr uint8_t Faded(uint8_t b, const FadeRule& rule) {
    const int band = b >= 128 ? 0 : b >= 64 ? 1 : b >= 32 ? 2 : b >= 17 ? 3 : 4;
    return b == 0 ? 0 : static_cast<uint8_t>(b - rule.steps[static_cast<size_t>(band)]);
}

inline constexpr uint8_t kFullBrightness = 255;

// Random colour indexes 0..254, the same sequence after every restart.
class PreviewRandom {
public:
    void Restart() { engine_.seed(kStartSeed); }
    uint8_t ColourIndex() { return static_cast<uint8_t>(engine_() % kRandomColourCount); }

private:
    static constexpr std::minstd_rand::result_type kStartSeed = 20;
    static constexpr unsigned kRandomColourCount = 255;
    std::minstd_rand engine_{kStartSeed};
};

// By state index, so that the two backslash positions glow and fade as one key.
struct GlowKeys {
    std::array<uint8_t, kStateIndexCount> brightness{};
    std::array<uint8_t, kStateIndexCount> colourIndex{};

    void Light(uint8_t stateIndex) { brightness[stateIndex] = kFullBrightness; }
    void Light(uint8_t stateIndex, uint8_t index) {
        Light(stateIndex);
        colourIndex[stateIndex] = index;
    }
    void Fade(const FadeRule& rule);
    // Every ring key: (multicolour ? its hue : base) scaled by its brightness.
    void Show(PreviewFrame& frame, bool multicolour, uint32_t base) const;
};

// Wavefronts: per column one byte per direction, bit r = row r.
class WaveMasks {
public:
    enum Direction { Left, Right, Up, Down, DirectionCount };

    void Clear() { masks_ = {}; }
    void Set(Direction d, PreviewCell cell);
    bool IsSet(PreviewCell cell) const;
    bool Empty() const;
    // Left and right one column their way, up and down one row; what leaves the grid is gone.
    void Spread();

private:
    std::array<std::array<uint8_t, kPreviewColumns>, DirectionCount> masks_{};
};

// Effects 13-16. Each tick: seed, light what the masks cover, spread, fade.
class SpreadingLight {
public:
    void Restart();
    void Step(uint8_t effect, bool multicolour, PreviewRandom& random, GlowKeys& glow);

private:
    enum class ScriptStage { Sweep, Pairs, Wave, WaveRunning, WaitForFade };

    void Seed(uint8_t effect, GlowKeys& glow);
    void StepScript(GlowKeys& glow);
    // A ripple: the cell's column moves left and right, the cell itself up and down.
    void SeedWave(PreviewCell cell);
    void LightCell(PreviewCell cell, GlowKeys& glow);

    WaveMasks masks_;
    int dropColumn_ = 0; // effect 15
    ScriptStage stage_ = ScriptStage::Sweep;
    int scriptStep_ = 0;
    uint8_t scriptColour_ = 0;
};
