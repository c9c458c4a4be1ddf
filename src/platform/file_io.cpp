#include "platform/file_io.h"

#include "file_names.h"

#include <system_error>
#include <utility>

namespace {

// More links in a row than this count as a loop, as the system counts them.
constexpr int kMaxLinks = 40;

// Whether the two paths name the same existing file.
bool IsSameFile(const std::filesystem::path& a, const std::filesystem::path& b)
{
    std::error_code error;
    return std::filesystem::equivalent(a, b, error) && !error;
}

}  // namespace

Result<std::filesystem::path> FollowLinks(const std::filesystem::path& path)
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
            return Failure::Because(read.message());
        }
        followed = target.is_absolute() ? target : followed.parent_path() / target;
    }
    return Failure::Because(std::make_error_code(std::errc::too_many_symbolic_link_levels).message());
}

bool IsSameEntry(const std::filesystem::path& a, const std::filesystem::path& b)
{
    const auto folderOf = [](const std::filesystem::path& path) {
        return path.has_parent_path() ? path.parent_path() : std::filesystem::path(".");
    };
    return IsSameFile(a, b) || (IsSameFile(folderOf(a), folderOf(b)) && IsSameName(a.filename(), b.filename()));
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
