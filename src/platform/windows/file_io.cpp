#include "platform/file_io.h"

#include "platform/interrupt.h"

#include <windows.h>

#include <algorithm>
#include <system_error>

namespace {

std::string SystemMessage(DWORD code)
{
    return std::system_category().message(static_cast<int>(code));
}

HANDLE HandleOf(std::intptr_t native)
{
    return reinterpret_cast<HANDLE>(native);
}

std::intptr_t NativeOf(HANDLE handle)
{
    return reinterpret_cast<std::intptr_t>(handle);
}

}  // namespace

FileKind KindOf(const std::filesystem::path& path, std::string& error)
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
        error = SystemMessage(code);
        return FileKind::Missing;
    }
    const DWORD type = GetFileType(file);
    CloseHandle(file);
    return type == FILE_TYPE_DISK ? FileKind::Regular : FileKind::Stream;
}

WriteHandle WriteHandle::StandardOutput()
{
    return WriteHandle(NativeOf(GetStdHandle(STD_OUTPUT_HANDLE)), false);
}

WriteHandle WriteHandle::CreateNew(const std::filesystem::path& path, std::string& error, bool& taken)
{
    const HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        const DWORD code = GetLastError();
        taken = code == ERROR_FILE_EXISTS || code == ERROR_ALREADY_EXISTS;
        error = SystemMessage(code);
        return {};
    }
    return WriteHandle(NativeOf(file), true);
}

WriteHandle WriteHandle::OpenExisting(const std::filesystem::path& path, std::string& error)
{
    const HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        error = SystemMessage(GetLastError());
        return {};
    }
    return WriteHandle(NativeOf(file), true);
}

bool WriteHandle::Write(std::string_view bytes, std::string& error)
{
    while (!bytes.empty()) {
        if (InterruptSignal() != 0) {
            error.clear();
            return false;
        }
        DWORD written = 0;
        const auto block = static_cast<DWORD>(std::min(bytes.size(), kWriteBlock));
        if (!WriteFile(HandleOf(m_native), bytes.data(), block, &written, nullptr)) {
            error = SystemMessage(GetLastError());
            return false;
        }
        bytes.remove_prefix(written);
    }
    return true;
}

void WriteHandle::CopyPermissionsOf(const std::filesystem::path&)
{
    // A new file on Windows takes the permissions of its folder, as the old one did.
}

bool WriteHandle::SyncAndClose(std::string& error)
{
    const bool flushed = FlushFileBuffers(HandleOf(m_native)) != 0;
    if (!flushed) {
        error = SystemMessage(GetLastError());
    }
    Close();
    return flushed;
}

void WriteHandle::Close()
{
    if (m_native != kClosed && m_owned) {
        CloseHandle(HandleOf(m_native));
    }
    m_native = kClosed;
}

bool RenameOver(const std::filesystem::path& from, const std::filesystem::path& to, std::string& error)
{
    if (!MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        error = SystemMessage(GetLastError());
        return false;
    }
    return true;
}

void RemoveFile(const std::filesystem::path& path)
{
    DeleteFileW(path.c_str());
}

