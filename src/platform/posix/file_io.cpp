#include "platform/file_io.h"

#include "file_names.h"
#include "platform/interrupt.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#ifdef __linux__
#include <linux/fs.h>
#endif

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <string>
#include <utility>

namespace {

// The system's sentence for the error of the last call that failed.
Failure LastError()
{
    return Failure::Because(std::strerror(errno));
}

// The name under /proc by which the system opens an open file again.
std::string ProcPathOf(int file)
{
    return "/proc/self/fd/" + std::to_string(file);
}

}  // namespace

Result<FileKind> KindOf(const std::filesystem::path& path)
{
    struct stat status = {};
    if (stat(path.c_str(), &status) != 0) {
        if (errno != ENOENT) {
            return LastError();
        }
        return FileKind::Missing;
    }
    if (S_ISDIR(status.st_mode)) {
        return FileKind::Folder;
    }
    if (S_ISSOCK(status.st_mode)) {
        return FileKind::Socket;
    }
    return S_ISREG(status.st_mode) ? FileKind::Regular : FileKind::Stream;
}

Status CheckReplaceable(const std::filesystem::path& path)
{
    struct stat file = {};
    if (stat(path.c_str(), &file) != 0) {
        return {};
    }
#ifdef __linux__
    if (const int descriptor = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC); descriptor >= 0) {
        int flags = 0;
        const bool read = ioctl(descriptor, FS_IOC_GETFLAGS, &flags) == 0;
        close(descriptor);
        if (read && (flags & (FS_IMMUTABLE_FL | FS_APPEND_FL)) != 0) {
            return Failure::Because("the file is immutable or append-only");
        }
    }
#endif
    const std::filesystem::path folder = path.has_parent_path() ? path.parent_path() : ".";
    struct stat folderStatus = {};
    const uid_t user = geteuid();
    if (stat(folder.c_str(), &folderStatus) == 0 && (folderStatus.st_mode & S_ISVTX) != 0 && user != 0 &&
        file.st_uid != user && folderStatus.st_uid != user) {
        return Failure::Because("another user's file in a folder where only its owner may replace it");
    }
    return {};
}

bool IsSameName(const std::filesystem::path& a, const std::filesystem::path& b)
{
    return a.native() == b.native();
}

bool IsStandardOutput(const std::filesystem::path& path)
{
    struct stat output = {};
    struct stat file = {};
    return fstat(STDOUT_FILENO, &output) == 0 && stat(path.c_str(), &file) == 0 && output.st_dev == file.st_dev &&
           output.st_ino == file.st_ino;
}

WriteHandle WriteHandle::StandardOutput()
{
    return WriteHandle(STDOUT_FILENO, false);
}

Result<WriteHandle> WriteHandle::CreateNew(const std::filesystem::path& path, bool& taken)
{
    // 0666 less the user's umask, as any new file of the user's gets.
    const int file = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (file < 0) {
        taken = errno == EEXIST;
        return LastError();
    }
    return WriteHandle(file, true);
}

Result<WriteHandle> WriteHandle::CreateUnnamed(const std::filesystem::path& folder)
{
#ifdef O_TMPFILE
    const int file = open(folder.c_str(), O_WRONLY | O_TMPFILE | O_CLOEXEC, 0666);
    if (file < 0) {
        return LastError();
    }
    WriteHandle handle(file, true);
    // LinkAs names the file through /proc, which must be there.
    if (access(ProcPathOf(file).c_str(), F_OK) != 0) {
        return LastError();
    }
    return handle;
#else
    (void)folder;
    return Failure::Because(std::strerror(ENOTSUP));
#endif
}

Status WriteHandle::LinkAs(const std::filesystem::path& path, bool& taken)
{
    if (linkat(AT_FDCWD, ProcPathOf(static_cast<int>(m_native)).c_str(), AT_FDCWD, path.c_str(), AT_SYMLINK_FOLLOW) !=
        0) {
        taken = errno == EEXIST;
        return LastError();
    }
    return {};
}

Result<WriteHandle> WriteHandle::OpenExisting(const std::filesystem::path& path)
{
    for (;;) {
        const int file = open(path.c_str(), O_WRONLY | O_CLOEXEC);
        if (file >= 0) {
            return WriteHandle(file, true);
        }
        if (errno != EINTR) {
            return LastError();
        }
        if (InterruptSignal() != 0) {
            return Failure::Interrupt();
        }
    }
}

Status WriteHandle::Write(std::string_view bytes)
{
    while (!bytes.empty()) {
        if (InterruptSignal() != 0) {
            return Failure::Interrupt();
        }
        const ssize_t written = write(static_cast<int>(m_native), bytes.data(), std::min(bytes.size(), kWriteBlock));
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            return LastError();
        }
        bytes.remove_prefix(static_cast<size_t>(written));
    }
    return {};
}

void WriteHandle::CopyPermissionsOf(const std::filesystem::path& other)
{
    struct stat status = {};
    if (stat(other.c_str(), &status) == 0) {
        // Not the setuid and setgid bits, as cp does: the new file is the user's, whoever owned the old.
        fchmod(static_cast<int>(m_native), status.st_mode & 07777 & ~(S_ISUID | S_ISGID));
    }
}

Status WriteHandle::SyncAndClose()
{
    const int file = static_cast<int>(std::exchange(m_native, kClosed));
    if (fsync(file) != 0) {
        const Failure failure = LastError();
        close(file);
        return failure;
    }
    if (close(file) != 0) {
        return LastError();
    }
    return {};
}

void WriteHandle::Close()
{
    if (m_native != kClosed && m_owned) {
        close(static_cast<int>(m_native));
    }
    m_native = kClosed;
}

Status RenameOver(const std::filesystem::path& from, const std::filesystem::path& to)
{
    if (rename(from.c_str(), to.c_str()) != 0) {
        return LastError();
    }
    return {};
}

Result<bool> ExchangeFiles(const std::filesystem::path& a, const std::filesystem::path& b)
{
#ifdef RENAME_EXCHANGE
    if (renameat2(AT_FDCWD, a.c_str(), AT_FDCWD, b.c_str(), RENAME_EXCHANGE) == 0) {
        return true;
    }
    if (errno != EINVAL && errno != ENOSYS && errno != ENOTSUP) {
        return LastError();
    }
#endif
    return false;
}

void RemoveFile(const std::filesystem::path& path)
{
    unlink(path.c_str());
}
