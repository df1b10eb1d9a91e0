// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The constant colour tables of the lighting preview: the hue wheel the multicolour effects
// walk, the pulse curves of the breathing effects and the flash curve of effect 2.

#include <array>
#include <cstddef>
#include <cstdint>

struct PreviewRgb {
    uint8_t red, green, blue;
    bool operator==(const PreviewRgb&) const = default;
};

inline constexpr size_t kHueWheelSize = 192;
inline constexpr size_t kRandomHueWheelSize = 255;
inline constexpr size_t kPulse96Size = 96;
inline constexpr size_t kPulse128Size = 128;
inline constexpr size_t kFlashSize = 129; // read at indices 0..128

// Full hue circle red -> yellow -> green -> cyan -> blue -> magenta -> red, 32 entries a sixth;
// each sixth ramps one channel along the same curve.
extern const std::array<PreviewRgb, kHueWheelSize> kHueWheel192;
// Entry i is kHueWheel192[i mod 192]; random colour indexes 0..254 pick from it.
extern const std::array<PreviewRgb, kRandomHueWheelSize> kHueWheel255;
// 22 rising to 255 at index 47, then falling back symmetrically.
extern const std::array<uint8_t, kPulse96Size> kPulse96;
// 3 rising to 255 at index 63, then falling back symmetrically.
extern const std::array<uint8_t, kPulse128Size> kPulse128;
// 0 rising to 255 at index 16, decayed to 0 by index 80 and 0 afterwards.
extern const std::array<uint8_t, kFlashSize> kFlash128;

// Packed as the program holds colours: red in the low byte.
constexpr uint32_t PackedColour(PreviewRgb c) {
    return c.red | static_cast<uint32_t>(c.green) << 8 | static_cast<uint32_t>(c.blue) << 16;
}

// Each channel of a packed colour x level / 255, truncated.
constexpr uint32_t ScaleColour(uint32_t colour, uint8_t level) {
    uint32_t scaled = 0;
    for (int shift = 0; shift < 24; shift += 8) {
        const uint32_t channel = (colour >> shift) & 0xFFu;
        scaled |= (channel * level / 255u) << shift;
    }
    return scaled;
}
