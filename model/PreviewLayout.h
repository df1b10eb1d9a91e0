// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Where the lighting preview puts its colours: the grid of key cells, the ring of keys the
// ring-based effects walk, the twelve diagonals, and the order of effect 10's drops. Every key
// of the grid is a preview key with an index 0..105; the preview's frames are addressed by it,
// and each preview key names its button by key code.

#include "model/KeyCodeTables.h"

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

inline constexpr int kPreviewColumns = 23;
inline constexpr int kPreviewRows = 6;
inline constexpr int kPreviewKeyCount = 106;
inline constexpr int kRingKeyCount = 90;
inline constexpr int kDiagonalCount = 12;
// Per-key arrays of the preview are indexed by a ring key's state index, its colour slot.
inline constexpr int kStateIndexCount = 126;

// Fn has no scan code; the preview names it by this code, outside every KeyCode range.
inline constexpr KeyCode kPreviewFnCode = 0x0FF;
inline constexpr int8_t kEmptyCell = -1;

struct PreviewKey {
    KeyCode code;
    uint8_t slot; // colour slot in the per-key colour bank; also the state index
};

struct PreviewCell {
    uint8_t column, row;
};

struct RingKey {
    uint8_t key;        // preview key index
    uint8_t stateIndex; // the key's slot: both backslash positions share one
    std::vector<PreviewCell> cells;
};

struct PreviewLayout {
    // In the order of first appearance, reading the grid row by row.
    std::array<PreviewKey, kPreviewKeyCount> keys{};
    // Preview key index of every cell, kEmptyCell for none; wide keys fill two cells.
    std::array<std::array<int8_t, kPreviewRows>, kPreviewColumns> grid{};
    std::array<RingKey, kRingKeyCount> ring{};
    // Preview key indexes, from the top-left corner towards the bottom-right.
    std::array<std::vector<uint8_t>, kDiagonalCount> diagonals{};
    // Ring indexes in the fixed shuffled order of effect 10's drops.
    std::array<uint8_t, kRingKeyCount> dropOrder{};
};

const PreviewLayout& PreviewLayoutTable();

// The preview key index of a key code (kPreviewFnCode for Fn); -1 for keys the preview does
// not show.
int PreviewKeyIndex(KeyCode code);

// A colour per preview key (red in the low byte), or none: the key shows no colour frame.
using PreviewFrame = std::array<std::optional<uint32_t>, kPreviewKeyCount>;
