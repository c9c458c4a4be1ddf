// A file that a program keeps records in across runs, on every system: appended to by one
// program at a time, read at any place, its torn end cut off.
#pragma once

#include "platform/result.h"

#include <cstdint>
#include <filesystem>
#include <span>
#include <string_view>

class RecordFile {
public:
    ~RecordFile();
    RecordFile(RecordFile&& other) noexcept;
    RecordFile& operator=(RecordFile&& other) noexcept;

    // The file, made empty when missing, to append to: a failure when another program has it
    // open to append to as well.
    static Result<RecordFile> OpenToAppend(const std::filesystem::path& path);
    // An existing file to read.
    static Result<RecordFile> OpenToRead(const std::filesystem::path& path);

    Result<int64_t> Size() const;
    // Reads every byte of `bytes` from `offset` on; a failure where the file ends before.
    Status ReadAt(int64_t offset, std::span<char> bytes) const;
    // Writes every byte at the end of the file; an interrupt does not stop it halfway.
    Status Append(std::string_view bytes);
    // Cuts the file to its first `size` bytes.
    Status Truncate(int64_t size);
    // Makes what was appended durable.
    Status Sync();

private:
    // A file descriptor, or the value of a Windows handle: -1 is neither.
    using Native = std::intptr_t;
    static constexpr Native kClosed = -1;

    explicit RecordFile(Native native) : m_native(native) {}

    Native m_native = kClosed;
};
