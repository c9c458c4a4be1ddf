// A folder of a test's own for its files: made new under the temporary folder (TMPDIR, or
// Wine's prefix under Wine), removed with everything in it at the end.
#pragma once

#include <cstdio>
#include <filesystem>
#include <random>
#include <stdexcept>
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

private:
    std::filesystem::path m_path;
};
