#include "platform/file_io.h"

#include "file_names.h"
#include "platform/file_path.h"
#include "platform/interrupt.h"

#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <random>
#include <string>
#include <system_error>
#include <utility>
#include <vector>

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

// A rename that never replaces a file: false, with the error for GetLastError, when `to` exists.
bool RenameNew(const std::filesystem::path& from, const std::filesystem::path& to)
{
    return MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_WRITE_THROUGH) != 0;
}

// A name for a file put aside in `folder` for a moment, random so that no other file has it.
std::filesystem::path NameAside(const std::filesystem::path& folder)
{
    // Seeded with the process and the time as well, should the random device be a fixed sequence.
    thread_local std::mt19937_64 random(std::random_device{}() ^ (uint64_t{GetCurrentProcessId()} << 32) ^
                                        GetTickCount64());
    wchar_t name[40];
    std::swprintf(name, sizeof name / sizeof name[0], L".exchange-%016llx.tmp",
                  static_cast<unsigned long long>(random()));
    return folder / name;
}

// A rename done, which a failure later undoes.
struct Renamed {
    std::filesystem::path from;
    std::filesystem::path to;
};

// The failure `code` of a rename after those `done`, which are undone, last first. Should one of
// them fail as well, they stay as they are from there on, and the failure says where the files are.
Failure UndoRenames(DWORD code, const std::vector<Renamed>& done)
{
    std::string message = std::system_category().message(static_cast<int>(code));
    for (auto rename = done.rbegin(); rename != done.rend(); ++rename) {
        if (!RenameNew(rename->to, rename->from)) {
            message += "; it could not be undone:";
            for (auto left = rename; left != done.rend(); ++left) {
                message += left == rename ? " " : ", ";
                message += QuotedName(Utf8FromPath(left->from));
                message += " is now ";
                message += QuotedName(Utf8FromPath(left->to));
            }
            break;
        }
    }
    return Failure::Because(message);
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
    const HANDLE file = CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
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
    const HANDLE file = CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
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
    const HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL,
                                    nullptr);
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

Result<bool> ExchangeFiles(const std::filesystem::path& a, const std::filesystem::path& b)
{
    // Windows has no exchange: `a` is put aside, `b` renamed to `a`, and what was `a` to `b`.
    constexpr int kAttempts = 100;
    std::vector<Renamed> done;
    for (int attempt = 1;; ++attempt) {
        const std::filesystem::path aside = NameAside(a.parent_path());
        if (RenameNew(a, aside)) {
            done.push_back({a, aside});
            break;
        }
        const DWORD code = GetLastError();
        if ((code != ERROR_ALREADY_EXISTS && code != ERROR_FILE_EXISTS) || attempt == kAttempts) {
            return SystemError(code);
        }
    }
    for (const Renamed& next : {Renamed{b, a}, Renamed{done.front().to, b}}) {
        if (!RenameNew(next.from, next.to)) {
            return UndoRenames(GetLastError(), done);
        }
        done.push_back(next);
    }
    return true;
}

void RemoveFile(const std::filesystem::path& path)
{
    DeleteFileW(path.c_str());
}
