// SPDX-License-Identifier: GPL-3.0-or-later
// Profile files on arbitrary bytes: the check and the loader never read outside the file or
// the pool, and a loaded store saves and loads back to the same block, macros and strings.
#include "model/ProfileFile.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

namespace {

void Require(bool condition, const char* what) {
    if (!condition) {
        std::fprintf(stderr, "profile file invariant broken: %s\n", what);
        std::abort();
    }
}

const std::filesystem::path& ScratchFile() {
    static const std::filesystem::path file = [] {
        const char* base = std::getenv("TMPDIR");
        return std::filesystem::path(base && *base ? base : "/tmp") /
               ("kestrow-profile-fuzz-" + std::to_string(::getpid()));
    }();
    return file;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // Inputs below a block are only a header away from the interesting cases: pad them with
    // zeros so that the header of a short input is what gets checked.
    std::string bytes(reinterpret_cast<const char*>(data), size);
    if (!bytes.empty() && bytes.size() < kKeyRecordBlockSize && (bytes[0] & 1)) {
        bytes.resize(kKeyRecordBlockSize, '\0');
    }
    {
        std::ofstream out(ScratchFile(), std::ios::binary | std::ios::trunc);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    }
    const int check = CheckProfileFile(ScratchFile(), nullptr);
    Require(check == 0 || check == 1, "check result");

    ProfileStore& store = WorkingStore();
    std::lock_guard guard(store.lock);
    ClearWorkingStore();
    if (LoadProfileFile(ScratchFile())) {
        Require(store.block != nullptr, "loaded without block");
        Require(store.macros.size() <= kMaxMacros, "macro count");
        uint32_t total = 0;
        for (const StringEntry& entry : store.strings.entries) {
            Require(entry.size == 0 || entry.size == (entry.text.size() + 1) * 2, "string size");
            total += entry.size;
        }
        Require(total == store.strings.totalBytes, "string total");
        const std::string first = BuildProfileFileImage(store);
        ProfileStore again;
        Require(ParseProfileFileImage(first, again), "a saved image loads");
        Require(std::memcmp(again.block.get(), store.block.get(), sizeof(KeyRecordBlock)) == 0,
                "block survives");
        Require(again.macros.size() == store.macros.size() &&
                    (store.macros.empty() ||
                     std::memcmp(again.macros.data(), store.macros.data(),
                                 store.macros.size() * sizeof(MacroRecord)) == 0),
                "macros survive");
        for (int i = 0; i < kRecordCount; ++i) {
            const StringEntry& before = store.strings.entries[static_cast<size_t>(i)];
            if (before.size != 0) {
                Require(again.strings.entries[static_cast<size_t>(i)].text == before.text,
                        "strings survive");
            }
        }
    }
    ClearWorkingStore();
    return 0;
}
