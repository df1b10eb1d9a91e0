// SPDX-License-Identifier: GPL-3.0-or-later
// The simulated keyboard's state file parser on arbitrary bytes: it never reads past its input,
// a refused file leaves the memory as it was, and an accepted one loads into a keyboard and
// writes back as the same file (the reserved header word aside).
#include "platform/hid/sim/SimulatedKeyboard.h"
#include "platform/hid/sim/SimStateFile.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

void Require(bool condition, const char* what) {
    if (!condition) {
        std::fprintf(stderr, "state file invariant broken: %s\n", what);
        std::abort();
    }
}

constexpr size_t kReservedAt = 18;

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const SimKeyboardMemory factory = FactorySimKeyboardMemory(kSimModel5004);
    SimKeyboardMemory memory = factory;
    const SimStateError error = ParseSimKeyboardMemory(input, memory);
    if (error != SimStateError::None) {
        Require(memory == factory, "a refused file changed the memory");
        Require(SimStateErrorText(error)[0] != '\0', "an error without a text");
        return 0;
    }
    Require(memory.keyTables.size() == 3u * memory.model.keyTableLength, "key table length");
    Require(memory.macroArea.size() == memory.infoBlock[11] * kSimMacroUnit, "macro length");

    SimulatedKeyboard keyboard(memory.model);
    Require(keyboard.SetMemory(memory) && keyboard.Memory() == memory,
            "the keyboard did not take the memory");

    const std::string written = SerializeSimKeyboardMemory(keyboard.Memory());
    Require(written.size() == size, "written back at another length");
    Require(written.compare(0, kReservedAt, input.substr(0, kReservedAt)) == 0 &&
                written.compare(kReservedAt + 2, size - kReservedAt - 6,
                                input.substr(kReservedAt + 2, size - kReservedAt - 6)) == 0,
            "written back with other bytes");
    SimKeyboardMemory again;
    Require(ParseSimKeyboardMemory(written, again) == SimStateError::None && again == memory,
            "the written file does not read back");
    return 0;
}
