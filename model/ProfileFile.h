// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Profile files: the working file of each on-board profile and the ".fwc" backups. Layout:
// 32-byte header, 32-byte info block, 2048 key records, count macro records, string pool.

#include "model/ProfileStore.h"

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <string_view>

// Tells the user about a file: the language text textKey with the path filled into its "%s"
// (FormatLangText). The main window shows a message box, the command-line tool prints it.
class FileMessageSink {
public:
    virtual ~FileMessageSink() = default;
    virtual void ShowPathText(std::string_view textKey, const std::filesystem::path& path) = 0;
};

inline constexpr uint32_t kKeyRecordBlockSize = 0x8040;
inline constexpr uint32_t kMacroRecordSize = 0x7F00;
inline constexpr uint16_t kProfileFileMagic = 0x4446;
inline constexpr uint16_t kProfileFileRecordCount = 0x0800;

// The filter of the file dialogs that choose profile files: description and pattern pairs.
inline constexpr const char* kProfileFileFilter = "(*.fwc)|*.fwc|(*.*)|*.*||";

// The fixed info block every writer that builds a block from scratch puts at offset 32.
extern const std::array<uint8_t, 32> kProfileInfoBlock;

// Writes every header field into header (the block's first 32 bytes): count taken as 16 bits,
// pool size, flag, then the checksum (low byte of the sum of bytes 0..30).
void StampHeader(std::span<uint8_t, 32> header, uint32_t count, uint32_t pool, uint8_t flag);
inline void StampHeader(KeyRecordBlock& block, uint32_t count, uint32_t pool, uint8_t flag) {
    StampHeader(std::span<uint8_t, 32>(block.header), count, pool, flag);
}
uint8_t HeaderChecksum(std::span<const uint8_t, 32> header);

// The header tests of the file check, in their order: magic, fixed words, size field at least
// a block, record count, at most 100 macros, flag 0 or 1, consistent size field, checksum.
bool ProfileHeaderValid(std::span<const uint8_t, 32> header);

// A block as MakeDefaultStore builds it: header for no macros and no pool, the fixed info
// block, every record zero except the G-key codes in records 256..273 of area 0.
std::unique_ptr<KeyRecordBlock> MakeDefaultBlock(uint8_t flag);

// Where MakeDefaultStore puts its block.
enum class DefaultStoreTarget { File, WorkingStore };

// WorkingStore: the block becomes the working store's (the caller holds the lock and has
// released the old contents; path is not used). File: the block alone is written to path.
// False when the file cannot be written.
bool MakeDefaultStore(const std::filesystem::path& path, uint8_t flag, DefaultStoreTarget target);

// The bytes of the store as a profile file: stamps the block's header (macro count, string
// byte total, flag 0) and sets the value of every record whose string is packed to its pool
// offset, as a save does. The caller holds the store's lock; the store has a block.
std::string BuildProfileFileImage(ProfileStore& store);

// Parses the bytes of a profile file into store (replacing its block, macros and strings).
// False, with store untouched, when the bytes are shorter than the header says, or hold more
// than 100 macros. Strings are taken only from inside the pool: an offset outside it gives no
// string, a string running to the pool's end is cut there.
bool ParseProfileFileImage(std::string_view bytes, ProfileStore& store);

// Writes the working store to path (under its lock as `lock` says) as one whole
// replacement: a failure leaves any previous file as it was. False when there is no store to
// write or the file cannot be written.
bool WriteProfileFile(StoreLock lock, const std::filesystem::path& path);

// Replaces the working store with the file's contents (no longer a stand-in); false (working
// store untouched) when the file is missing, cannot be opened for reading, or is truncated.
bool LoadProfileFile(const std::filesystem::path& path);

inline constexpr int kProfileFileValid = 1;
inline constexpr int kProfileFileInvalid = 0;
inline constexpr int kProfileFileCannotOpen = -2;
inline constexpr int kProfileFileNoMemory = -3;

// 1 valid; 0 missing, too small (below 0x8040 bytes), 4 GiB or more, or invalid; -2 cannot be
// opened for reading (a read-only file is fine). An invalid file is reported through sink (when
// given) with "PROFILE_FORMAT_ERROR" and the path. The file's length is not compared with its size
// field.
int CheckProfileFile(const std::filesystem::path& path, FileMessageSink* sink);

// Releases the working store's strings, macros and block (and its stand-in mark). The caller
// holds its lock.
void ClearWorkingStore();
