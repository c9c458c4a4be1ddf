#include "platform/file_io.h"

#include "file_names.h"
#include "platform/interrupt.h"

#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <optional>
#include <utility>
#include <system_error>

namespace {

// The system's sentence for an error code.
Failure SystemError(DWORD code)
{
    return Failure::Because(std::system_category().message(static_cast<int>(code)));
}

HANDLE HandleOf(std::intptr_t native)
{
    return reinterpret_cast<HANDLE>(native);
}

std::intptr_t NativeOf(HANDLE handle)
{
    return reinterpret_cast<std::intptr_t>(handle);
}

// The volume and index that tell an open file from every other, or nothing for a handle that has
// none (a pipe, a console).
std::optional<std::pair<DWORD, uint64_t>> IdentityOf(HANDLE file)
{
    BY_HANDLE_FILE_INFORMATION information = {};
    if (file == INVALID_HANDLE_VALUE || !GetFileInformationByHandle(file, &information)) {
        return std::nullopt;
    }
    return std::pair{information.dwVolumeSerialNumber,
                     (uint64_t{information.nFileIndexHigh} << 32) | information.nFileIndexLow};
}

}  // namespace

bool IsSameName(const std::filesystem::path& a, const std::filesystem::path& b)
{
    return CompareStringOrdinal(a.c_str(), -1, b.c_str(), -1, TRUE) == CSTR_EQUAL;
}

bool IsStandardOutput(const std::filesystem::path& path)
{
    const std::optional<std::pair<DWORD, uint64_t>> output = IdentityOf(GetStdHandle(STD_OUTPUT_HANDLE));
    if (!output) {
        return false;
    }
    const HANDLE file = CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                    nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    const bool same = IdentityOf(file) == output;
    if (file != INVALID_HANDLE_VALUE) {
        CloseHandle(file);
    }
    return same;
}

Result<FileKind> KindOf(const std::filesystem::path& path)
{
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        return FileKind::Folder;
    }
    const HANDLE file = CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                    nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        const DWORD code = GetLastError();
        if (code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND) {
            return FileKind::Missing;
        }
        return SystemError(code);
    }
    const DWORD type = GetFileType(file);
    CloseHandle(file);
    return type == FILE_TYPE_DISK ? FileKind::Regular : FileKind::Stream;
}

Status CheckReplaceable(const std::filesystem::path& path)
{
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0) {
        return Failure::Because("the file is read-only");
    }
    return {};
}

WriteHandle WriteHandle::StandardOutput()
{
    return WriteHandle(NativeOf(GetStdHandle(STD_OUTPUT_HANDLE)), false);
}

Result<WriteHandle> WriteHandle::CreateNew(const std::filesystem::path& path, bool& taken)
{
    const HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        const DWORD code = GetLastError();
        taken = code == ERROR_FILE_EXISTS || code == ERROR_ALREADY_EXISTS;
        return SystemError(code);
    }
    return WriteHandle(NativeOf(file), true);
}

Result<WriteHandle> WriteHandle::CreateUnnamed(const std::filesystem::path&)
{
    return SystemError(ERROR_NOT_SUPPORTED);
}

Status WriteHandle::LinkAs(const std::filesystem::path&, bool& taken)
{
    taken = false;
    return SystemError(ERROR_NOT_SUPPORTED);
}

Result<WriteHandle> WriteHandle::OpenExisting(const std::filesystem::path& path)
{
    const HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return SystemError(GetLastError());
    }
    return WriteHandle(NativeOf(file), true);
}

Status WriteHandle::Write(std::string_view bytes)
{
    while (!bytes.empty()) {
        if (InterruptSignal() != 0) {
            return Failure::Interrupt();
        }
        DWORD written = 0;
        const auto block = static_cast<DWORD>(std::min(bytes.size(), kWriteBlock));
        if (!WriteFile(HandleOf(m_native), bytes.data(), block, &written, nullptr)) {
            return SystemError(GetLastError());
        }
        bytes.remove_prefix(written);
    }
    return {};
}

void WriteHandle::CopyPermissionsOf(const std::filesystem::path&)
{
    // A new file on Windows takes the permissions of its folder, as the old one did.
}

Status WriteHandle::SyncAndClose()
{
    const bool flushed = FlushFileBuffers(HandleOf(m_native)) != 0;
    const DWORD code = GetLastError();
    Close();
    if (!flushed) {
        return SystemError(code);
    }
    return {};
}

void WriteHandle::Close()
{
    if (m_native != kClosed && m_owned) {
        CloseHandle(HandleOf(m_native));
    }
    m_native = kClosed;
}

Status RenameOver(const std::filesystem::path& from, const std::filesystem::path& to)
{
    if (!MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        return SystemError(GetLastError());
    }
    return {};
}

Result<bool> ExchangeFiles(const std::filesystem::path&, const std::filesystem::path&)
{
    return false;
}

void RemoveFile(const std::filesystem::path& path)
{
    DeleteFileW(path.c_str());
}

