// A folder of a test's own for its files: made new under the temporary folder (TMPDIR, or
// Wine's prefix under Wine), removed with everything in it at the end; and the whole-file reads
// and writes the tests of files need.
#pragma once

#include "platform/file_path.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <stdexcept>
#include <string>
#include <string_view>
#include <system_error>

class TempFolder {
public:
    TempFolder()
    {
        std::mt19937_64 random(std::random_device{}());
        for (int attempt = 0; attempt < 100; ++attempt) {
            char name[40];
            std::snprintf(name, sizeof name, "corvalis-test-%016llx", static_cast<unsigned long long>(random()));
            m_path = std::filesystem::temp_directory_path() / name;
            if (std::filesystem::create_directory(m_path)) {
                return;
            }
        }
        throw std::runtime_error("no new temporary folder could be made");
    }
    ~TempFolder()
    {
        std::error_code ignored;
        std::filesystem::remove_all(m_path, ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::filesystem::path& Path() const { return m_path; }
    // The name of a file in the folder as the program takes names: UTF-8.
    std::string Name(std::string_view file) const { return Utf8FromPath(m_path / PathFromUtf8(file)); }

private:
    std::filesystem::path m_path;
};

inline std::string ReadBytes(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void WriteBytes(const std::filesystem::path& path, std::string_view bytes)
{
    std::ofstream(path, std::ios::binary | std::ios::trunc)
        .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}
