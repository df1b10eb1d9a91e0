// SPDX-License-Identifier: GPL-3.0-or-later
// Runs a libFuzzer entry point once on every file of the folders or files named on the command
// line, so the seed corpus doubles as a regression suite in ordinary builds.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace {

int RunOne(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "cannot read %s\n", file.c_str());
        return 1;
    }
    std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    int failures = 0;
    int inputs = 0;
    for (int i = 1; i < argc; ++i) {
        const std::filesystem::path arg(argv[i]);
        if (std::filesystem::is_directory(arg)) {
            for (const auto& entry : std::filesystem::recursive_directory_iterator(arg)) {
                if (entry.is_regular_file()) {
                    failures += RunOne(entry.path());
                    ++inputs;
                }
            }
        } else {
            failures += RunOne(arg);
            ++inputs;
        }
    }
    std::printf("replayed %d inputs\n", inputs);
    if (inputs == 0) {
        std::fprintf(stderr, "no inputs: the seed corpus is missing\n");
        return 1;
    }
    return failures == 0 ? 0 : 1;
}
