// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/AtomicFile.h"
#include "platform/ProfileString.h"
#include "platform/SettingsHive.h"
#include "support/TempDir.h"

#include <atomic>
#include <gtest/gtest.h>
#include <string>
#include <thread>
#include <vector>

namespace {

constexpr int kThreads = 4;
constexpr int kWritesPerThread = 25;

template <typename Body> void RunThreads(Body body) {
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back(body, t);
    }
    for (auto& thread : threads) {
        thread.join();
    }
}

} // namespace

TEST(ConcurrentWrites, ProfileWritesToOneFileLoseNoUpdate) {
    TempDir dir;
    const auto file = dir / "shared.ini";
    RunThreads([&](int t) {
        for (int i = 0; i < kWritesPerThread; ++i) {
            WritePrivateProfileString("T" + std::to_string(t), "K" + std::to_string(i),
                                      std::to_string(t * 1000 + i), file);
            GetPrivateProfileString("T0", "K0", "", file);
        }
    });
    for (int t = 0; t < kThreads; ++t) {
        for (int i = 0; i < kWritesPerThread; ++i) {
            EXPECT_EQ(GetPrivateProfileString("T" + std::to_string(t), "K" + std::to_string(i),
                                              "missing", file),
                      std::to_string(t * 1000 + i));
        }
    }
}

TEST(ConcurrentWrites, OneHiveFromManyThreads) {
    TempDir dir;
    SettingsHive hive(dir / "registry.ini");
    RunThreads([&](int t) {
        for (int i = 0; i < kWritesPerThread; ++i) {
            const std::string name = "V" + std::to_string(t) + "_" + std::to_string(i);
            hive.WriteDword("Software\\Halvex  KB01", name, static_cast<uint32_t>(t * 1000 + i));
            hive.ReadDword("Software\\Halvex  KB01", "V0_0");
            hive.ValueNames("Software\\Halvex  KB01");
        }
    });
    SettingsHive fromFile(dir / "registry.ini");
    EXPECT_EQ(fromFile.ValueNames("Software\\Halvex  KB01").size(),
              static_cast<size_t>(kThreads * kWritesPerThread));
    EXPECT_EQ(fromFile.ReadDword("Software\\Halvex  KB01", "V3_24"), 3024u);
}

TEST(ConcurrentWrites, ACleanerNeverTakesATemporaryFromALiveWriter) {
    TempDir dir;
    const auto file = dir / "wskb.ini";
    std::atomic<bool> writing{true};
    std::thread cleaner([&] {
        while (writing.load()) {
            RemoveStaleTemporaries(file);
        }
    });
    int failed = 0;
    for (int i = 0; i < kThreads * kWritesPerThread; ++i) {
        failed += WriteFileAtomically(file, "write " + std::to_string(i)) ? 0 : 1;
    }
    writing = false;
    cleaner.join();
    EXPECT_EQ(failed, 0);
    EXPECT_EQ(ReadFileBytes(file), "write " + std::to_string(kThreads * kWritesPerThread - 1));
    int entries = 0;
    for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(dir.path())) {
        ++entries;
    }
    EXPECT_EQ(entries, 1);
}
