#include "platform/file_io.h"

#include "platform/interrupt.h"

#include <algorithm>
#include <system_error>
#include <utility>

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#endif

namespace {

// Bytes written in one call: small enough that an interrupt is seen soon after it comes.
constexpr size_t kWriteBlock = size_t{1} << 20;

// More links in a row than this count as a loop, as the system counts them.
constexpr int kMaxLinks = 40;

}  // namespace

std::filesystem::path FollowLinks(const std::filesystem::path& path, std::string& error)
{
    std::filesystem::path followed = path;
    for (int links = 0; links <= kMaxLinks; ++links) {
        std::error_code status;
        if (!std::filesystem::is_symlink(std::filesystem::symlink_status(followed, status))) {
            return followed;
        }
        std::error_code read;
        const std::filesystem::path target = std::filesystem::read_symlink(followed, read);
        if (read) {
            error = read.message();
            return {};
        }
        followed = target.is_absolute() ? target : followed.parent_path() / target;
    }
    error = std::make_error_code(std::errc::too_many_symbolic_link_levels).message();
    return {};
}

bool IsSameFile(const std::filesystem::path& a, const std::filesystem::path& b)
{
    std::error_code error;
    return std::filesystem::equivalent(a, b, error) && !error;
}

WriteHandle::~WriteHandle()
{
    Close();
}

WriteHandle::WriteHandle(WriteHandle&& other) noexcept
    : m_native(std::exchange(other.m_native, kClosed)), m_owned(other.m_owned)
{
}

WriteHandle& WriteHandle::operator=(WriteHandle&& other) noexcept
{
    if (this != &other) {
        Close();
        m_native = std::exchange(other.m_native, kClosed);
        m_owned = other.m_owned;
    }
    return *this;
}

bool WriteHandle::IsOpen() const
{
    return m_native != kClosed;
}

#ifdef _WIN32

namespace {

std::string SystemMessage(DWORD code)
{
    return std::system_category().message(static_cast<int>(code));
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
    return WriteHandle(GetStdHandle(STD_OUTPUT_HANDLE), false);
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
    return WriteHandle(file, true);
}

WriteHandle WriteHandle::OpenExisting(const std::filesystem::path& path, std::string& error)
{
    const HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        error = SystemMessage(GetLastError());
        return {};
    }
    return WriteHandle(file, true);
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
        if (!WriteFile(m_native, bytes.data(), block, &written, nullptr)) {
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
    const bool flushed = FlushFileBuffers(m_native) != 0;
    if (!flushed) {
        error = SystemMessage(GetLastError());
    }
    Close();
    return flushed;
}

void WriteHandle::Close()
{
    if (m_native != kClosed && m_owned) {
        CloseHandle(m_native);
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

#else

FileKind KindOf(const std::filesystem::path& path, std::string& error)
{
    struct stat status = {};
    if (stat(path.c_str(), &status) != 0) {
        if (errno != ENOENT) {
            error = std::strerror(errno);
        }
        return FileKind::Missing;
    }
    if (S_ISDIR(status.st_mode)) {
        return FileKind::Folder;
    }
    return S_ISREG(status.st_mode) ? FileKind::Regular : FileKind::Stream;
}

WriteHandle WriteHandle::StandardOutput()
{
    return WriteHandle(STDOUT_FILENO, false);
}

WriteHandle WriteHandle::CreateNew(const std::filesystem::path& path, std::string& error, bool& taken)
{
    // 0666 less the user's umask, as any new file of the user's gets.
    const int file = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (file < 0) {
        taken = errno == EEXIST;
        error = std::strerror(errno);
        return {};
    }
    return WriteHandle(file, true);
}

WriteHandle WriteHandle::OpenExisting(const std::filesystem::path& path, std::string& error)
{
    for (;;) {
        const int file = open(path.c_str(), O_WRONLY | O_CLOEXEC);
        if (file >= 0) {
            return WriteHandle(file, true);
        }
        if (errno != EINTR) {
            error = std::strerror(errno);
            return {};
        }
        if (InterruptSignal() != 0) {
            error.clear();
            return {};
        }
    }
}

bool WriteHandle::Write(std::string_view bytes, std::string& error)
{
    while (!bytes.empty()) {
        if (InterruptSignal() != 0) {
            error.clear();
            return false;
        }
        const ssize_t written = write(m_native, bytes.data(), std::min(bytes.size(), kWriteBlock));
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            error = std::strerror(errno);
            return false;
        }
        bytes.remove_prefix(static_cast<size_t>(written));
    }
    return true;
}

void WriteHandle::CopyPermissionsOf(const std::filesystem::path& other)
{
    struct stat status = {};
    if (stat(other.c_str(), &status) == 0) {
        fchmod(m_native, status.st_mode & 07777);
    }
}

bool WriteHandle::SyncAndClose(std::string& error)
{
    bool done = fsync(m_native) == 0;
    if (!done) {
        error = std::strerror(errno);
    }
    if (close(m_native) != 0 && done) {
        error = std::strerror(errno);
        done = false;
    }
    m_native = kClosed;
    return done;
}

void WriteHandle::Close()
{
    if (m_native != kClosed && m_owned) {
        close(m_native);
    }
    m_native = kClosed;
}

bool RenameOver(const std::filesystem::path& from, const std::filesystem::path& to, std::string& error)
{
    if (rename(from.c_str(), to.c_str()) != 0) {
        error = std::strerror(errno);
        return false;
    }
    return true;
}

void RemoveFile(const std::filesystem::path& path)
{
    unlink(path.c_str());
}

#endif
