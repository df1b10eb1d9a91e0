// SPDX-License-Identifier: GPL-3.0-or-later
#include "model/KeyAssignment.h"

const std::array<MediaEntry, kMediaCount> MediaTable = {{
    {0x16D, 0x0183},
    {0x122, 0x00CD},
    {0x124, 0x00B7},
    {0x110, 0x00B6},
    {0x119, 0x00B5},
    {0x12E, 0x00EA},
    {0x130, 0x00E9},
    {0x120, 0x00E2},
    {0x132, 0x0223},
    {0x167, 0x0227},
    {0x168, 0x0226},
    {0x16A, 0x0224},
    {0x169, 0x0225},
    {0x166, 0x022A},
    {0x165, 0x0221},
    {0x16B, 0x0194},
    {0x121, 0x0192},
    {0x16C, 0x018A},
}};

int MediaIndexOfUsage(uint16_t usage) {
    for (int i = 0; i < kMediaCount; ++i) {
        if (MediaTable[static_cast<size_t>(i)].usage == usage) {
            return i;
        }
    }
    return -1;
}

void ResetArea(KeyRecordBlock& block, int area) {
    for (int r = 0; r < kRecordsPerArea; ++r) {
        block.Record(area, r) = KeyAssignment{};
    }
    for (int n = 1; n <= kGKeyCount; ++n) {
        block.Record(area, 255 + n).param = GKeyParam(n);
    }
}
