// SPDX-License-Identifier: GPL-3.0-or-later
#include "model/ProfileFile.h"

#include "platform/AtomicFile.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <new>
#include <sys/stat.h>
#include <unistd.h>

const std::array<uint8_t, 32> kProfileInfoBlock = {
    0x4B, 0x48, 0x20, 0x00, 0x20, 0x80, 0x00, 0x00, 0x04, 0x00, 0x00, 0x02, 0x00, 0x00, 0x00, 0x00,
    0x45, 0x0C, 0x04, 0x50, 0x4F, 0x1C, 0x0E, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00};

namespace {

constexpr size_t kHeaderSize = 32;
constexpr size_t kFlagOffset = 30;
constexpr size_t kChecksumOffset = 31;

uint16_t ReadU16(const uint8_t* p) {
    return static_cast<uint16_t>(p[0] | p[1] << 8);
}
uint32_t ReadU32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0] | p[1] << 8 | p[2] << 16 | static_cast<uint32_t>(p[3]) << 24);
}
void WriteU16(uint8_t* p, uint32_t v) {
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
}
void WriteU32(uint8_t* p, uint32_t v) {
    WriteU16(p, v);
    WriteU16(p + 2, v >> 16);
}

uint32_t FileSizeField(uint32_t count, uint32_t pool) {
    return kKeyRecordBlockSize + count * kMacroRecordSize + pool;
}

// The same sum without 32-bit wrap-around: a huge pool must not make a header look consistent.
uint64_t DescribedFileSize(uint32_t count, uint32_t pool) {
    return uint64_t{kKeyRecordBlockSize} + uint64_t{count} * kMacroRecordSize + pool;
}

// Opens for reading only: checking and loading never write, and a backup kept read-only (or on
// read-only media) must still check and load.
class ProfileReader {
public:
    explicit ProfileReader(const std::filesystem::path& path)
        : fd_(::open(path.c_str(), O_RDONLY | O_CLOEXEC)) {}
    ~ProfileReader() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    ProfileReader(const ProfileReader&) = delete;
    ProfileReader& operator=(const ProfileReader&) = delete;

    bool IsOpen() const { return fd_ >= 0; }
    // -1 when it cannot be told.
    long long Size() const {
        struct stat st {};
        return ::fstat(fd_, &st) == 0 && S_ISREG(st.st_mode) ? st.st_size : -1;
    }
    // Up to size bytes from the start; fewer when the file is shorter.
    bool Read(std::string& bytes, size_t size) const {
        bytes.resize(size);
        size_t done = 0;
        while (done < size) {
            const ssize_t n =
                ::pread(fd_, bytes.data() + done, size - done, static_cast<off_t>(done));
            if (n < 0 && errno == EINTR) {
                continue;
            }
            if (n < 0) {
                return false;
            }
            if (n == 0) {
                break;
            }
            done += static_cast<size_t>(n);
        }
        bytes.resize(done);
        return true;
    }

private:
    int fd_;
};

bool Exists(const std::filesystem::path& path) {
    std::error_code error;
    return std::filesystem::is_regular_file(path, error);
}

} // namespace

uint8_t HeaderChecksum(std::span<const uint8_t, 32> header) {
    unsigned sum = 0;
    for (size_t i = 0; i < kChecksumOffset; ++i) {
        sum += header[i];
    }
    return static_cast<uint8_t>(sum);
}

void StampHeader(std::span<uint8_t, 32> header, uint32_t count, uint32_t pool, uint8_t flag) {
    count &= 0xFFFF;
    std::fill(header.begin(), header.end(), uint8_t{0});
    WriteU16(&header[0], kProfileFileMagic);
    WriteU16(&header[2], 0x0020);
    WriteU16(&header[4], 3);
    WriteU16(&header[6], 1);
    WriteU32(&header[8], FileSizeField(count, pool));
    WriteU16(&header[12], kProfileFileRecordCount);
    WriteU16(&header[14], count);
    WriteU32(&header[16], pool);
    header[kFlagOffset] = flag;
    header[kChecksumOffset] = HeaderChecksum(header);
}

bool ProfileHeaderValid(std::span<const uint8_t, 32> header) {
    const uint8_t* h = header.data();
    const uint32_t size = ReadU32(h + 8);
    const uint16_t count = ReadU16(h + 14);
    return ReadU16(h) == kProfileFileMagic && ReadU16(h + 2) == 0x20 && ReadU16(h + 4) == 3 &&
           ReadU16(h + 6) == 1 && size >= kKeyRecordBlockSize &&
           ReadU16(h + 12) == kProfileFileRecordCount && count <= kMaxMacros &&
           h[kFlagOffset] <= 1 && size == DescribedFileSize(count, ReadU32(h + 16)) &&
           h[kChecksumOffset] == HeaderChecksum(header);
}

std::unique_ptr<KeyRecordBlock> MakeDefaultBlock(uint8_t flag) {
    auto block = std::make_unique<KeyRecordBlock>();
    StampHeader(*block, 0, 0, flag);
    block->info = kProfileInfoBlock;
    ResetArea(*block, 0);
    return block;
}

bool MakeDefaultStore(const std::filesystem::path& path, uint8_t flag, DefaultStoreTarget target) {
    std::unique_ptr<KeyRecordBlock> block;
    try {
        block = MakeDefaultBlock(flag);
    } catch (const std::bad_alloc&) {
        return false;
    }
    if (target == DefaultStoreTarget::WorkingStore) {
        WorkingStore().block = std::move(block);
        return true;
    }
    return WriteFileAtomically(
        path, std::string_view(reinterpret_cast<const char*>(block.get()), sizeof(KeyRecordBlock)));
}

std::string BuildProfileFileImage(ProfileStore& store) {
    KeyRecordBlock& block = *store.block;
    const uint32_t count = static_cast<uint32_t>(std::min<size_t>(store.macros.size(), kMaxMacros));
    const uint32_t pool = store.strings.totalBytes;
    StampHeader(block, count, pool, 0);

    std::string image(FileSizeField(count, pool), '\0');
    char* poolStart = image.data() + kKeyRecordBlockSize + count * kMacroRecordSize;
    uint32_t offset = 0;
    for (int i = 0; i < kRecordCount; ++i) {
        const StringEntry& entry = store.strings.entries[static_cast<size_t>(i)];
        KeyAssignment& record = block.records[static_cast<size_t>(i)];
        if (entry.size == 0 || offset + entry.size > pool ||
            (record.type != AssignmentType::kProgram && record.type != AssignmentType::kText)) {
            continue;
        }
        const size_t units = std::min<size_t>(entry.text.size(), entry.size / 2 - 1);
        std::memcpy(poolStart + offset, entry.text.data(), units * 2); // terminator: zero fill
        record.value = offset;
        offset += entry.size;
    }
    std::memcpy(image.data(), &block, sizeof(KeyRecordBlock));
    if (count > 0) {
        std::memcpy(image.data() + kKeyRecordBlockSize, store.macros.data(),
                    count * size_t{kMacroRecordSize});
    }
    return image;
}

bool ParseProfileFileImage(std::string_view bytes, ProfileStore& store) {
    if (bytes.size() < kKeyRecordBlockSize) {
        return false;
    }
    const auto* data = reinterpret_cast<const uint8_t*>(bytes.data());
    const uint32_t count = ReadU16(data + 14);
    const uint32_t pool = ReadU32(data + 16);
    if (count > kMaxMacros) {
        return false;
    }
    const size_t poolAt = kKeyRecordBlockSize + size_t{count} * kMacroRecordSize;
    if (bytes.size() < poolAt || bytes.size() - poolAt < pool) {
        return false;
    }
    auto block = std::make_unique<KeyRecordBlock>();
    std::memcpy(block.get(), data, sizeof(KeyRecordBlock));
    std::vector<MacroRecord> macros(count);
    if (count > 0) {
        std::memcpy(macros.data(), data + kKeyRecordBlockSize, count * size_t{kMacroRecordSize});
    }
    StringTable strings;
    const uint8_t* poolData = data + poolAt;
    for (int i = 0; i < kRecordCount; ++i) {
        const KeyAssignment& record = block->records[static_cast<size_t>(i)];
        if (record.type != AssignmentType::kProgram && record.type != AssignmentType::kText) {
            continue;
        }
        const size_t start = record.value & ~1u;
        if (start >= pool) {
            continue; // no string inside the pool
        }
        std::u16string text;
        for (size_t at = start; at + 1 < pool; at += 2) {
            const char16_t unit = static_cast<char16_t>(ReadU16(poolData + at));
            if (unit == 0) {
                break;
            }
            text.push_back(unit);
        }
        strings.Set(i, std::move(text));
    }
    store.block = std::move(block);
    store.macros = std::move(macros);
    store.strings = std::move(strings);
    return true;
}

bool WriteProfileFile(StoreLock lock, const std::filesystem::path& path) {
    ProfileStore& store = WorkingStore();
    std::unique_lock guard(store.lock, std::defer_lock);
    if (lock == StoreLock::Take) {
        guard.lock();
    }
    if (!store.block) {
        return false;
    }
    std::string image;
    try {
        image = BuildProfileFileImage(store);
    } catch (const std::bad_alloc&) {
        return false;
    }
    // An export or a working file written by a run that was killed left its temporary file.
    RemoveStaleTemporaries(path);
    return WriteFileAtomically(path, image);
}

bool LoadProfileFile(const std::filesystem::path& path) {
    if (!Exists(path)) {
        return false;
    }
    ProfileReader file(path);
    if (!file.IsOpen()) {
        return false;
    }
    const long long size = file.Size();
    std::string bytes;
    if (size < kKeyRecordBlockSize || !file.Read(bytes, kHeaderSize) ||
        bytes.size() != kHeaderSize) {
        return false;
    }
    // Only what the header describes is read; anything after it is not part of the profile.
    const auto* header = reinterpret_cast<const uint8_t*>(bytes.data());
    const unsigned long long described =
        kKeyRecordBlockSize + ReadU16(header + 14) * 1ull * kMacroRecordSize + ReadU32(header + 16);
    ProfileStore& store = WorkingStore();
    std::lock_guard guard(store.lock);
    try {
        if (!file.Read(bytes, static_cast<size_t>(std::min<unsigned long long>(described, size)))) {
            return false;
        }
        if (!ParseProfileFileImage(bytes, store)) {
            return false;
        }
        store.standIn = false;
        return true;
    } catch (const std::bad_alloc&) {
        return false;
    }
}

int CheckProfileFile(const std::filesystem::path& path, FileMessageSink* sink) {
    if (!Exists(path)) {
        return kProfileFileInvalid;
    }
    ProfileReader file(path);
    if (!file.IsOpen()) {
        return kProfileFileCannotOpen;
    }
    const long long size = file.Size();
    if (size < 0 || size >= (1LL << 32) || size < kKeyRecordBlockSize) {
        return kProfileFileInvalid;
    }
    // Only the header decides; the rest of the file is not read.
    std::string header;
    if (!file.Read(header, kHeaderSize) || header.size() != kHeaderSize) {
        return kProfileFileInvalid;
    }
    if (ProfileHeaderValid(std::span<const uint8_t, 32>(
            reinterpret_cast<const uint8_t*>(header.data()), kHeaderSize))) {
        return kProfileFileValid;
    }
    if (sink) {
        sink->ShowPathText("PROFILE_FORMAT_ERROR", path);
    }
    return kProfileFileInvalid;
}

void ClearWorkingStore() {
    ProfileStore& store = WorkingStore();
    std::lock_guard guard(store.lock);
    store.strings.ClearAll();
    store.macros.clear();
    store.macros.shrink_to_fit();
    store.block.reset();
    store.standIn = false;
}
