// SPDX-License-Identifier: GPL-3.0-or-later
#include "model/StoreDiff.h"
#include "tools/kestrowctl/CtlCommands.h"
#include "tools/kestrowctl/ExitCodes.h"
#include "tools/kestrowctl/JsonText.h"
#include "tools/kestrowctl/TerminalSink.h"

#include <cstdio>
#include <memory>

namespace {

// diff's own codes, as diff(1) has them: 1 is "they differ", so trouble is 2.
constexpr int kExitSame = 0;
constexpr int kExitDifferent = 1;
constexpr int kExitTrouble = 2;

std::string SideText(const std::optional<MacroSide>& side) {
    if (!side) {
        return "(none)";
    }
    return "played " + std::to_string(side->repeat) + "x: " + side->steps;
}

std::string SideJson(const std::optional<MacroSide>& side) {
    if (!side) {
        return "null";
    }
    return "{\"repeat\":" + std::to_string(side->repeat) + ",\"steps\":" + JsonString(side->steps) +
           "}";
}

void PrintText(const StoreDifferences& d, const std::string& a, const std::string& b) {
    std::string out;
    for (const KeyDifference& key : d.keys) {
        out += "profile " + std::to_string(key.profile) + " " + key.name + ": " + key.first +
               " | " + key.second + "\n";
    }
    for (const MacroDifference& macro : d.macros) {
        if (!macro.second) {
            out += "macro '" + macro.name + "': only in " + a + "\n";
        } else if (!macro.first) {
            out += "macro '" + macro.name + "': only in " + b + "\n";
        } else {
            out += "macro '" + macro.name + "': " + SideText(macro.first) + " | " +
                   SideText(macro.second) + "\n";
        }
    }
    std::fputs(out.c_str(), stdout);
}

void PrintJson(const StoreDifferences& d) {
    std::string out = std::string("{\"same\":") + (d.Empty() ? "true" : "false") + ",\"keys\":[";
    for (size_t i = 0; i < d.keys.size(); ++i) {
        const KeyDifference& key = d.keys[i];
        out += (i == 0 ? "" : ",") + std::string("{\"profile\":") + std::to_string(key.profile) +
               ",\"key\":" + JsonString(key.name) + ",\"first\":" + JsonString(key.first) +
               ",\"second\":" + JsonString(key.second) + "}";
    }
    out += "],\"macros\":[";
    for (size_t i = 0; i < d.macros.size(); ++i) {
        const MacroDifference& macro = d.macros[i];
        out += (i == 0 ? "" : ",") + std::string("{\"name\":") + JsonString(macro.name) +
               ",\"first\":" + SideJson(macro.first) + ",\"second\":" + SideJson(macro.second) +
               "}";
    }
    std::printf("%s]}\n", out.c_str());
}

} // namespace

int RunDiff(const CtlOptions& options, TerminalSink& sink) {
    const std::string& a = options.arguments[0];
    const std::string& b = options.arguments[1];
    auto first = std::make_unique<ProfileStore>();
    auto second = std::make_unique<ProfileStore>();
    if (!ReadProfileFileForUser(a, sink, *first) || !ReadProfileFileForUser(b, sink, *second)) {
        return kExitTrouble;
    }
    const StoreDifferences differences = CompareStores(*first, *second);
    if (options.json) {
        PrintJson(differences);
    } else {
        PrintText(differences, a, b);
    }
    return differences.Empty() ? kExitSame : kExitDifferent;
}
