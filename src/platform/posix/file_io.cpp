#include "platform/file_io.h"

#include "platform/interrupt.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

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

