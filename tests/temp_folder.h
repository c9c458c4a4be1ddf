// A folder of a test's own under the system's temporary folder, removed with everything in it
// when the test ends, and the whole-file reads and writes the tests of files need.
#pragma once

#include "platform/file_path.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <string_view>

class TempFolder {
public:
    TempFolder()
    {
        std::random_device random;
        do {
            m_path = std::filesystem::temp_directory_path() /
                     ("corvalis-test-" + std::to_string(random()) + "-" + std::to_string(random()));
        } while (!std::filesystem::create_directory(m_path));
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
    std::ofstream(path, std::ios::binary | std::ios::trunc).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}
