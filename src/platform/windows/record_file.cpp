#include "platform/record_file.h"

#include <windows.h>

#include <algorithm>
#include <system_error>
#include <utility>

namespace {

Failure SystemError(DWORD code)
{
    return Failure::Because(std::system_category().message(static_cast<int>(code)));
}

HANDLE HandleOf(std::intptr_t native)
{
    return reinterpret_cast<HANDLE>(native);
}

// Bytes read or written in one call: what a DWORD counts.
constexpr size_t kCallBlock = size_t{1} << 30;

}  // namespace

RecordFile::~RecordFile()
{
    if (m_native != kClosed) {
        CloseHandle(HandleOf(m_native));
    }
}

RecordFile::RecordFile(RecordFile&& other) noexcept : m_native(std::exchange(other.m_native, kClosed))
{
}

RecordFile& RecordFile::operator=(RecordFile&& other) noexcept
{
    std::swap(m_native, other.m_native);
    return *this;
}

Result<RecordFile> RecordFile::OpenToAppend(const std::filesystem::path& path)
{
    // Others may read it, but no other program may open it to write while it is appended to.
    const HANDLE file = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        const DWORD code = GetLastError();
        return code == ERROR_SHARING_VIOLATION ? Failure::Because("another program is appending to it")
                                               : SystemError(code);
    }
    return RecordFile(reinterpret_cast<std::intptr_t>(file));
}

Result<RecordFile> RecordFile::OpenToRead(const std::filesystem::path& path)
{
    const HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return SystemError(GetLastError());
    }
    return RecordFile(reinterpret_cast<std::intptr_t>(file));
}

Result<int64_t> RecordFile::Size() const
{
    LARGE_INTEGER size = {};
    if (!GetFileSizeEx(HandleOf(m_native), &size)) {
        return SystemError(GetLastError());
    }
    return static_cast<int64_t>(size.QuadPart);
}

Status RecordFile::ReadAt(int64_t offset, std::span<char> bytes) const
{
    while (!bytes.empty()) {
        OVERLAPPED at = {};
        at.Offset = static_cast<DWORD>(offset);
        at.OffsetHigh = static_cast<DWORD>(static_cast<uint64_t>(offset) >> 32);
        DWORD read = 0;
        const auto block = static_cast<DWORD>(std::min(bytes.size(), kCallBlock));
        if (!ReadFile(HandleOf(m_native), bytes.data(), block, &read, &at)) {
            const DWORD code = GetLastError();
            return code == ERROR_HANDLE_EOF ? Failure::Because("the file ends early") : SystemError(code);
        }
        if (read == 0) {
            return Failure::Because("the file ends early");
        }
        bytes = bytes.subspan(read);
        offset += read;
    }
    return {};
}

Status RecordFile::Append(std::string_view bytes)
{
    while (!bytes.empty()) {
        // An offset of all ones writes at the end of the file.
        OVERLAPPED atEnd = {};
        atEnd.Offset = 0xFFFFFFFF;
        atEnd.OffsetHigh = 0xFFFFFFFF;
        DWORD written = 0;
        const auto block = static_cast<DWORD>(std::min(bytes.size(), kCallBlock));
        if (!WriteFile(HandleOf(m_native), bytes.data(), block, &written, &atEnd)) {
            return SystemError(GetLastError());
        }
        bytes.remove_prefix(written);
    }
    return {};
}

Status RecordFile::Truncate(int64_t size)
{
    FILE_END_OF_FILE_INFO end = {};
    end.EndOfFile.QuadPart = size;
    if (!SetFileInformationByHandle(HandleOf(m_native), FileEndOfFileInfo, &end, sizeof end)) {
        return SystemError(GetLastError());
    }
    return {};
}

Status RecordFile::Sync()
{
    if (!FlushFileBuffers(HandleOf(m_native))) {
        return SystemError(GetLastError());
    }
    return {};
}
