// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/hid/ReportDescriptor.h"

#include <algorithm>
#include <limits>

namespace {

// hidraw's own report buffer limit; nothing longer can reach us.
constexpr uint32_t kMaxReportBits = 16384 * 8;
constexpr size_t kMaxCollectionDepth = 32;
constexpr size_t kMaxPushDepth = 16;
constexpr uint32_t kMaxReportCount = 0xFFFF;
constexpr uint32_t kMaxFieldBits = 32;

enum ItemType : uint8_t { kMain = 0, kGlobal = 1, kLocal = 2, kReserved = 3 };

enum MainTag : uint8_t {
    kInput = 0x8,
    kOutput = 0x9,
    kCollection = 0xA,
    kFeature = 0xB,
    kEndCollection = 0xC,
};

enum GlobalTag : uint8_t {
    kUsagePage = 0x0,
    kLogicalMin = 0x1,
    kLogicalMax = 0x2,
    kPhysicalMin = 0x3,
    kPhysicalMax = 0x4,
    kUnitExponent = 0x5,
    kUnit = 0x6,
    kReportSize = 0x7,
    kReportId = 0x8,
    kReportCount = 0x9,
    kPush = 0xA,
    kPop = 0xB,
};

enum LocalTag : uint8_t {
    kUsage = 0x0,
    kUsageMin = 0x1,
    kUsageMax = 0x2,
    kDelimiter = 0xA,
};

int64_t SignExtend(uint32_t value, size_t bytes) {
    switch (bytes) {
    case 1:
        return static_cast<int8_t>(value);
    case 2:
        return static_cast<int16_t>(value);
    case 4:
        return static_cast<int32_t>(value);
    default:
        return 0;
    }
}

// A global value whose signedness follows the minimum: a non-negative minimum makes the
// maximum unsigned, the way devices commonly write 0xFF as a one-byte maximum.
struct Extent {
    uint32_t raw = 0;
    size_t bytes = 0;
};

void ResolveRange(const Extent& minimum, const Extent& maximum, int64_t& lo, int64_t& hi) {
    lo = SignExtend(minimum.raw, minimum.bytes);
    hi = lo < 0 ? SignExtend(maximum.raw, maximum.bytes) : static_cast<int64_t>(maximum.raw);
}

struct Globals {
    uint16_t usagePage = 0;
    Extent logicalMin, logicalMax, physicalMin, physicalMax;
    uint32_t unitExp = 0;
    uint32_t unit = 0;
    uint32_t reportSize = 0;
    uint32_t reportCount = 0;
    uint8_t reportId = 0;
};

// One usage or usage range as 32-bit extended usages (page in the high half).
struct UsageEntry {
    uint32_t min = 0;
    uint32_t max = 0;
    bool range = false;
};

struct Locals {
    std::vector<UsageEntry> usages;
    bool haveMin = false;
    bool haveMax = false;
    uint32_t min = 0;
    uint32_t max = 0;
    bool inDelimiter = false;
    bool delimiterTaken = false;

    void Clear() {
        usages.clear();
        haveMin = haveMax = false;
        inDelimiter = delimiterTaken = false;
    }
};

} // namespace

class ReportDescriptorParser {
public:
    bool Run(const uint8_t* data, size_t size, std::vector<HidPreparsedData>& out);

private:
    struct Open {
        size_t collection; // index into collections_
        uint16_t link;     // link collection node inside it
    };
    struct LinkNode {
        uint16_t usagePage = 0;
        uint16_t usage = 0;
    };

    bool Item(uint8_t type, uint8_t tag, uint32_t value, size_t bytes);
    bool MainItem(uint8_t tag, uint32_t value);
    bool GlobalItem(uint8_t tag, uint32_t value, size_t bytes);
    bool LocalItem(uint8_t tag, uint32_t value, size_t bytes);
    bool DataItem(HidReportType type, uint16_t flags);

    Globals globals_;
    std::vector<Globals> pushed_;
    Locals locals_;
    std::vector<Open> open_;
    std::vector<HidPreparsedData> collections_;
    std::vector<std::vector<LinkNode>> links_; // per collection
    std::array<std::array<uint32_t, 256>, 3> bits_{};
    bool usesIds_ = false;
    bool fieldWithoutId_ = false;
};

bool ReportDescriptorParser::Run(const uint8_t* data, size_t size,
                                 std::vector<HidPreparsedData>& out) {
    out.clear();
    size_t pos = 0;
    while (pos < size) {
        const uint8_t prefix = data[pos];
        if (prefix == 0xFE) {
            // Long item: no long item tags are defined, so its data is skipped.
            if (size - pos < 3 || data[pos + 1] > size - pos - 3) {
                return false;
            }
            pos += 3 + data[pos + 1];
            continue;
        }
        const size_t bytes = (prefix & 3) == 3 ? 4 : (prefix & 3);
        if (size - pos - 1 < bytes) {
            return false;
        }
        uint32_t value = 0;
        for (size_t i = 0; i < bytes; ++i) {
            value |= static_cast<uint32_t>(data[pos + 1 + i]) << (8 * i);
        }
        if (!Item(static_cast<uint8_t>((prefix >> 2) & 3), static_cast<uint8_t>(prefix >> 4), value,
                  bytes)) {
            return false;
        }
        pos += 1 + bytes;
    }
    // With several collections, only report ids tell whose a report is.
    if (!open_.empty() || collections_.empty() || (usesIds_ && fieldWithoutId_) ||
        (collections_.size() > 1 && !usesIds_)) {
        return false;
    }
    for (size_t c = 0; c < collections_.size(); ++c) {
        HidPreparsedData& pd = collections_[c];
        pd.usesReportIds_ = usesIds_;
        pd.caps_.NumberLinkCollectionNodes = static_cast<uint16_t>(links_[c].size());
        uint16_t* lengths[3] = {&pd.caps_.InputReportByteLength, &pd.caps_.OutputReportByteLength,
                                &pd.caps_.FeatureReportByteLength};
        for (size_t t = 0; t < 3; ++t) {
            HidPreparsedData::PerType& per = pd.types_[t];
            per.reportBits = bits_[t];
            uint32_t longest = 0;
            bool any = false;
            for (size_t id = 0; id < 256; ++id) {
                if (per.hasReport[id]) {
                    any = true;
                    longest = std::max(longest, (per.reportBits[id] + 7) / 8);
                }
            }
            *lengths[t] = any ? static_cast<uint16_t>(longest + (usesIds_ ? 1 : 0)) : 0;
        }
        pd.caps_.NumberInputButtonCaps = static_cast<uint16_t>(pd.types_[0].buttons.size());
        pd.caps_.NumberInputValueCaps = static_cast<uint16_t>(pd.types_[0].values.size());
        pd.caps_.NumberOutputButtonCaps = static_cast<uint16_t>(pd.types_[1].buttons.size());
        pd.caps_.NumberOutputValueCaps = static_cast<uint16_t>(pd.types_[1].values.size());
        pd.caps_.NumberFeatureButtonCaps = static_cast<uint16_t>(pd.types_[2].buttons.size());
        pd.caps_.NumberFeatureValueCaps = static_cast<uint16_t>(pd.types_[2].values.size());
    }
    out = std::move(collections_);
    return true;
}

bool ReportDescriptorParser::Item(uint8_t type, uint8_t tag, uint32_t value, size_t bytes) {
    switch (type) {
    case kMain:
        return MainItem(tag, value);
    case kGlobal:
        return GlobalItem(tag, value, bytes);
    case kLocal:
        return LocalItem(tag, value, bytes);
    default:
        return false; // reserved item type
    }
}

bool ReportDescriptorParser::MainItem(uint8_t tag, uint32_t value) {
    if (locals_.inDelimiter || locals_.haveMin != locals_.haveMax) {
        return false; // an open delimiter set or half a usage range
    }
    bool ok = true;
    switch (tag) {
    case kInput:
        ok = DataItem(HidReportType::Input, static_cast<uint16_t>(value));
        break;
    case kOutput:
        ok = DataItem(HidReportType::Output, static_cast<uint16_t>(value));
        break;
    case kFeature:
        ok = DataItem(HidReportType::Feature, static_cast<uint16_t>(value));
        break;
    case kCollection: {
        if (open_.size() >= kMaxCollectionDepth) {
            return false;
        }
        const uint32_t usage = locals_.usages.empty() ? 0 : locals_.usages.front().min;
        const LinkNode node{static_cast<uint16_t>(usage >> 16), static_cast<uint16_t>(usage)};
        if (open_.empty()) {
            HidPreparsedData pd;
            pd.caps_.UsagePage = node.usagePage;
            pd.caps_.Usage = node.usage;
            collections_.push_back(std::move(pd));
            links_.push_back({node});
            open_.push_back({collections_.size() - 1, 0});
        } else {
            auto& links = links_[open_.back().collection];
            if (links.size() >= 0xFFFF) {
                return false;
            }
            links.push_back(node);
            open_.push_back({open_.back().collection, static_cast<uint16_t>(links.size() - 1)});
        }
        break;
    }
    case kEndCollection:
        if (open_.empty()) {
            return false;
        }
        open_.pop_back();
        break;
    default:
        return false; // reserved main item
    }
    locals_.Clear();
    return ok;
}

bool ReportDescriptorParser::GlobalItem(uint8_t tag, uint32_t value, size_t bytes) {
    switch (tag) {
    case kUsagePage:
        globals_.usagePage = static_cast<uint16_t>(value);
        break;
    case kLogicalMin:
        globals_.logicalMin = {value, bytes};
        break;
    case kLogicalMax:
        globals_.logicalMax = {value, bytes};
        break;
    case kPhysicalMin:
        globals_.physicalMin = {value, bytes};
        break;
    case kPhysicalMax:
        globals_.physicalMax = {value, bytes};
        break;
    case kUnitExponent:
        globals_.unitExp = value;
        break;
    case kUnit:
        globals_.unit = value;
        break;
    case kReportSize:
        globals_.reportSize = value;
        break;
    case kReportId:
        if (value == 0 || value > 0xFF) {
            return false;
        }
        globals_.reportId = static_cast<uint8_t>(value);
        usesIds_ = true;
        break;
    case kReportCount:
        globals_.reportCount = value;
        break;
    case kPush:
        if (pushed_.size() >= kMaxPushDepth) {
            return false;
        }
        pushed_.push_back(globals_);
        break;
    case kPop:
        if (pushed_.empty()) {
            return false;
        }
        globals_ = pushed_.back();
        pushed_.pop_back();
        break;
    default:
        break; // reserved global tags carry nothing we use
    }
    return true;
}

bool ReportDescriptorParser::LocalItem(uint8_t tag, uint32_t value, size_t bytes) {
    // A one- or two-byte usage takes the usage page in effect; four bytes carry their own.
    const uint32_t extended =
        bytes == 4 ? value : (static_cast<uint32_t>(globals_.usagePage) << 16) | (value & 0xFFFF);
    // Inside a delimiter set only the first usage (or range) counts; the rest are aliases.
    const bool ignored = locals_.inDelimiter && locals_.delimiterTaken;
    switch (tag) {
    case kUsage:
        if (!ignored) {
            locals_.usages.push_back({extended, extended, false});
            locals_.delimiterTaken = locals_.inDelimiter;
        }
        break;
    case kUsageMin:
    case kUsageMax:
        if (ignored) {
            break;
        }
        if (tag == kUsageMin) {
            locals_.haveMin = true;
            locals_.min = extended;
        } else {
            locals_.haveMax = true;
            locals_.max = extended;
        }
        if (locals_.haveMin && locals_.haveMax) {
            if ((locals_.min >> 16) != (locals_.max >> 16) || locals_.min > locals_.max) {
                return false;
            }
            locals_.usages.push_back({locals_.min, locals_.max, true});
            locals_.haveMin = locals_.haveMax = false;
            locals_.delimiterTaken = locals_.inDelimiter;
        }
        break;
    case kDelimiter:
        if (value == 1) {
            if (locals_.inDelimiter) {
                return false; // delimiter sets do not nest
            }
            locals_.inDelimiter = true;
            locals_.delimiterTaken = false;
        } else if (value == 0) {
            if (!locals_.inDelimiter) {
                return false;
            }
            locals_.inDelimiter = false;
        } else {
            return false;
        }
        break;
    default:
        break; // designators and strings are not used
    }
    return true;
}

bool ReportDescriptorParser::DataItem(HidReportType type, uint16_t flags) {
    if (open_.empty()) {
        return false; // data outside every top-level collection
    }
    const bool constant = (flags & kHidMainConstant) != 0;
    const uint32_t size = globals_.reportSize;
    const uint32_t count = globals_.reportCount;
    if (count > kMaxReportCount || (!constant && size > kMaxFieldBits) || size > 0xFFFF) {
        return false;
    }
    const uint8_t id = globals_.reportId;
    uint32_t& reportBits = bits_[static_cast<size_t>(type)][id];
    const uint64_t itemBits = static_cast<uint64_t>(size) * count;
    if (itemBits > kMaxReportBits - reportBits) {
        return false;
    }
    const uint32_t offset = reportBits;
    reportBits += static_cast<uint32_t>(itemBits);
    if (id == 0) {
        fieldWithoutId_ = true;
    }

    const Open where = open_.back();
    HidPreparsedData& pd = collections_[where.collection];
    HidPreparsedData::PerType& per = pd.types_[static_cast<size_t>(type)];
    per.hasReport[id] = true;
    if (constant || itemBits == 0 || locals_.usages.empty()) {
        return true; // padding, or a field nothing can name
    }

    HidPreparsedData::Layout layout;
    layout.bitOffset = offset;
    layout.bitSize = static_cast<uint16_t>(size);
    layout.fieldCount = static_cast<uint16_t>(count);
    layout.isArray = (flags & kHidMainVariable) == 0;
    ResolveRange(globals_.logicalMin, globals_.logicalMax, layout.logicalMin, layout.logicalMax);
    ResolveRange(globals_.physicalMin, globals_.physicalMax, layout.physicalMin,
                 layout.physicalMax);
    const bool button = layout.isArray || size == 1;

    HidpUsageCaps common;
    common.ReportID = id;
    common.BitField = flags;
    common.LinkCollection = where.link;
    const auto& node = links_[where.collection][where.link];
    common.LinkUsage = node.usage;
    common.LinkUsagePage = node.usagePage;
    common.IsAbsolute = (flags & kHidMainRelative) == 0;

    uint32_t slot = 0;
    uint32_t indexBase = 0;
    const auto& usages = locals_.usages;
    for (size_t i = 0; i < usages.size(); ++i) {
        const UsageEntry& entry = usages[i];
        const uint32_t span = entry.max - entry.min + 1;
        HidpUsageCaps cap = common;
        cap.UsagePage = static_cast<uint16_t>(entry.min >> 16);
        cap.IsRange = entry.range;
        cap.UsageMin = static_cast<uint16_t>(entry.min);
        cap.UsageMax = static_cast<uint16_t>(entry.max);
        if (layout.isArray) {
            // Every usage of an array names one possible value of each field.
            cap.ReportCount = static_cast<uint16_t>(count);
            layout.indexBase = indexBase;
            indexBase += span;
        } else {
            if (slot >= count) {
                break; // more usages than fields
            }
            uint32_t taken = std::min(span, count - slot);
            if (i + 1 == usages.size() && !entry.range) {
                taken = count - slot; // the last usage names the remaining fields
            }
            if (entry.range) {
                cap.UsageMax = static_cast<uint16_t>(cap.UsageMin + taken - 1);
            }
            cap.ReportCount = static_cast<uint16_t>(taken);
            layout.firstSlot = static_cast<uint16_t>(slot);
            layout.slotCount = static_cast<uint16_t>(taken);
            slot += taken;
        }
        if (button) {
            if (per.buttons.size() >= 0xFFFF) {
                return false;
            }
            HidpButtonCaps b;
            static_cast<HidpUsageCaps&>(b) = cap;
            per.buttons.push_back(b);
            per.buttonLayouts.push_back(layout);
        } else {
            if (per.values.size() >= 0xFFFF) {
                return false;
            }
            HidpValueCaps v;
            static_cast<HidpUsageCaps&>(v) = cap;
            v.HasNull = (flags & kHidMainNullState) != 0;
            v.BitSize = static_cast<uint16_t>(size);
            v.LogicalMin = static_cast<int32_t>(layout.logicalMin);
            v.LogicalMax = static_cast<int32_t>(layout.logicalMax);
            v.PhysicalMin = static_cast<int32_t>(layout.physicalMin);
            v.PhysicalMax = static_cast<int32_t>(layout.physicalMax);
            v.UnitsExp = globals_.unitExp;
            v.Units = globals_.unit;
            per.values.push_back(v);
            per.valueLayouts.push_back(layout);
        }
    }
    return true;
}

bool ParseReportDescriptor(const uint8_t* data, size_t size,
                           std::vector<HidPreparsedData>& collections) {
    collections.clear();
    if (data == nullptr || size == 0) {
        return false;
    }
    ReportDescriptorParser parser;
    return parser.Run(data, size, collections);
}
