// SPDX-License-Identifier: GPL-3.0-or-later
// Key tables read from a keyboard, against a factory table that is outside data too, on
// arbitrary bytes: decoding touches only the target area, and encoding and decoding settle
// on one table.
#include "model/KeyTableCodec.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>

namespace {

void Require(bool condition, const char* what) {
    if (!condition) {
        std::fprintf(stderr, "key table invariant broken: %s\n", what);
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) {
        return 0;
    }
    // First byte: the model and the area; then the factory table, then the table read.
    const bool large = data[0] & 1;
    const int area = (data[0] >> 1) % kProfileCount;
    const size_t length = large ? 512 : 378;
    const size_t rest = size - 1;
    const size_t defaultsSize = std::min(rest / 2, length);
    std::span<const uint8_t> defaults(data + 1, defaultsSize);
    std::span<const uint8_t> table(data + 1 + defaultsSize, std::min(rest - defaultsSize, length));
    const KeyTableLayout layout{defaults, large ? 128 : 126};

    auto block = std::make_unique<KeyRecordBlock>();
    for (auto& r : block->records) {
        r.reserved = 0xA5A5A5A5;
    }
    DecodeKeyTableInto(table, layout, *block, area);
    for (int p = 0; p < kRecordAreaCount; ++p) {
        for (int r = 0; r < kRecordsPerArea; ++r) {
            const KeyAssignment& rec = block->Record(p, r);
            if (p != area) {
                Require(rec.reserved == 0xA5A5A5A5, "other areas untouched");
            } else if (r >= 274) {
                Require(rec == KeyAssignment{}, "records of no key stay zero");
            }
        }
    }
    std::vector<MacroRecord> macros(3);
    for (size_t i = 0; i < macros.size(); ++i) {
        macros[i].id = static_cast<uint16_t>(i + 1);
    }
    auto indexOf = [&](uint32_t id) { return MacroPositionIn(macros, id); };
    std::array<uint8_t, kKeyTableBufferSize> first{};
    EncodeKeyTableWith(*block, area, layout, indexOf, first);
    DecodeKeyTableInto(first, layout, *block, area);
    std::array<uint8_t, kKeyTableBufferSize> second{};
    EncodeKeyTableWith(*block, area, layout, indexOf, second);
    // Keys without a keyboard usage are sent as 02 02 00, which reads back as disabled: from
    // the second round on the table stays what it is.
    DecodeKeyTableInto(second, layout, *block, area);
    std::array<uint8_t, kKeyTableBufferSize> third{};
    EncodeKeyTableWith(*block, area, layout, indexOf, third);
    Require(second == third, "encode and decode reach a fixed point");
    return 0;
}
