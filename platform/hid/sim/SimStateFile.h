// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The state file of a simulated keyboard: its memory on disk.
//
// File layout (little-endian, version 1):
//   0   8  magic "KSIMKBD\x1A"
//   8   2  format version (1)
//   10  2  vendor id        12  2  product id
//   14  2  key table length 16  2  macro area length (bytes)
//   18  2  reserved, 0
//   20  ... info block (44), lighting area (126), three key tables (3 x key table length),
//           three key colour banks (3 x 512), macro area (macro area length)
//   end-4   4  CRC-32 (IEEE) of every byte before it
// The factory key table is not stored: it belongs to the model.

#include "platform/hid/sim/SimKeyboardMemory.h"

#include <filesystem>
#include <string>
#include <string_view>

enum class SimStateError {
    None,
    CannotRead,         // the file could not be opened or read
    CannotWrite,        // the file could not be written (the previous file is unchanged)
    NotAStateFile,      // wrong magic: some other file
    UnsupportedVersion, // a state file of a format version we do not know
    Truncated,          // shorter (or longer) than its header says
    BadChecksum,        // the bytes were changed or damaged
    UnknownModel,       // the ids name no supported keyboard, or its lengths do not match it
    WrongModel,         // a valid file of the other model than the one asked for
    BadContent,         // fields that contradict each other (macro area length and capacity)
};

// A short English sentence for messages on the terminal.
const char* SimStateErrorText(SimStateError error);

std::string SerializeSimKeyboardMemory(const SimKeyboardMemory& memory);
// Never reads past `bytes`; `memory` is changed only on success.
SimStateError ParseSimKeyboardMemory(std::string_view bytes, SimKeyboardMemory& memory);

SimStateError LoadSimStateFile(const std::filesystem::path& file, SimKeyboardMemory& memory);
// Written atomically: a crash leaves the previous file or the new one, never a mix.
SimStateError SaveSimStateFile(const std::filesystem::path& file, const SimKeyboardMemory& memory);
