#include "tools/output_file.h"

#include "platform/file_path.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>

std::string EncodePgm(const std::vector<int32_t>& levels, int32_t width, int32_t height)
{
    std::string bytes = "P5\n" + std::to_string(width) + " " + std::to_string(height) + "\n255\n";
    const size_t header = bytes.size();
    bytes.resize(header + static_cast<size_t>(width) * static_cast<size_t>(height));
    char* out = bytes.data() + header;
    for (int64_t row = height - 1; row >= 0; --row) {
        const int32_t* cells = levels.data() + row * width;
        for (int32_t column = 0; column < width; ++column) {
            *out++ = static_cast<char>(static_cast<unsigned char>(cells[column]));
        }
    }
    return bytes;
}

namespace {

std::string TemporaryPath(const std::string& path)
{
    return path + ".partial";
}

std::string CannotWrite(const std::string& path, const std::string& reason)
{
    return "cannot write '" + path + "': " + reason;
}

}  // namespace

std::string CheckWritable(const std::string& path)
{
    const std::string temporary = TemporaryPath(path);
    std::FILE* file = OpenUtf8File(temporary, "wb");
    if (file == nullptr) {
        return CannotWrite(path, std::strerror(errno));
    }
    std::fclose(file);
    std::error_code ignored;
    std::filesystem::remove(PathFromUtf8(temporary), ignored);
    return {};
}

std::string WriteFileWhole(const std::string& path, std::string_view bytes)
{
    const std::string temporary = TemporaryPath(path);
    std::FILE* file = OpenUtf8File(temporary, "wb");
    if (file == nullptr) {
        return CannotWrite(path, std::strerror(errno));
    }
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    const int savedErrno = errno;
    const bool closed = std::fclose(file) == 0;
    std::error_code ignored;
    if (!written || !closed) {
        const std::string reason = std::strerror(written ? errno : savedErrno);
        std::filesystem::remove(PathFromUtf8(temporary), ignored);
        return CannotWrite(path, reason);
    }
    std::error_code error;
    std::filesystem::rename(PathFromUtf8(temporary), PathFromUtf8(path), error);
    if (error) {
        std::filesystem::remove(PathFromUtf8(temporary), ignored);
        return CannotWrite(path, error.message());
    }
    return {};
}
