#include "platform/record_file.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <utility>

namespace {

Failure LastError()
{
    return Failure::Because(std::strerror(errno));
}

// Raises the soft limit on open files to the hard one; false when it cannot rise.
bool RaiseOpenFileLimit()
{
    rlimit limit = {};
    if (getrlimit(RLIMIT_NOFILE, &limit) != 0 || limit.rlim_cur >= limit.rlim_max) {
        return false;
    }
    limit.rlim_cur = limit.rlim_max;
    return setrlimit(RLIMIT_NOFILE, &limit) == 0;
}

// open(2), tried again once the soft limit has risen when the process has used up its files:
// a picture gathered from more shards than the default limit of 1024 files still opens them all.
int OpenFile(const std::filesystem::path& path, int flags)
{
    const int file = open(path.c_str(), flags | O_CLOEXEC, 0666);
    if (file < 0 && errno == EMFILE && RaiseOpenFileLimit()) {
        return open(path.c_str(), flags | O_CLOEXEC, 0666);
    }
    return file;
}

}  // namespace

RecordFile::~RecordFile()
{
    if (m_native != kClosed) {
        close(static_cast<int>(m_native));
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
    const int file = OpenFile(path, O_RDWR | O_CREAT | O_APPEND);
    if (file < 0) {
        return LastError();
    }
    RecordFile opened(file);
    if (flock(file, LOCK_EX | LOCK_NB) != 0) {
        return errno == EWOULDBLOCK ? Failure::Because("another program is appending to it") : LastError();
    }
    return opened;
}

Result<RecordFile> RecordFile::OpenToRead(const std::filesystem::path& path)
{
    const int file = OpenFile(path, O_RDONLY);
    if (file < 0) {
        return LastError();
    }
    return RecordFile(file);
}

Result<int64_t> RecordFile::Size() const
{
    struct stat status = {};
    if (fstat(static_cast<int>(m_native), &status) != 0) {
        return LastError();
    }
    return static_cast<int64_t>(status.st_size);
}

Status RecordFile::ReadAt(int64_t offset, std::span<char> bytes) const
{
    while (!bytes.empty()) {
        const ssize_t read = pread(static_cast<int>(m_native), bytes.data(), bytes.size(), offset);
        if (read < 0 && errno == EINTR) {
            continue;
        }
        if (read < 0) {
            return LastError();
        }
        if (read == 0) {
            return Failure::Because("the file ends early");
        }
        bytes = bytes.subspan(static_cast<size_t>(read));
        offset += read;
    }
    return {};
}

Status RecordFile::Append(std::string_view bytes)
{
    while (!bytes.empty()) {
        const ssize_t written = write(static_cast<int>(m_native), bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written < 0) {
            return LastError();
        }
        bytes.remove_prefix(static_cast<size_t>(written));
    }
    return {};
}

Status RecordFile::Truncate(int64_t size)
{
    if (ftruncate(static_cast<int>(m_native), static_cast<off_t>(size)) != 0) {
        return LastError();
    }
    return {};
}

Status RecordFile::Sync()
{
    if (fdatasync(static_cast<int>(m_native)) != 0) {
        return LastError();
    }
    return {};
}
