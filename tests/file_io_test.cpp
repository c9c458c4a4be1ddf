// Files written as a command-line program writes them: here, two files exchanged.
#include "platform/file_io.h"
#include "temp_folder.h"

#include <gtest/gtest.h>

#ifdef _WIN32
#include <windows.h>
#endif

#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>

namespace {

void WriteText(const std::filesystem::path& file, const std::string& text)
{
    std::ofstream(file, std::ios::binary) << text;
}

std::string ReadText(const std::filesystem::path& file)
{
    std::ifstream stream(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(stream), std::istreambuf_iterator<char>()};
}

// The names in the folder: what an exchange leaves there, nothing put aside among them.
std::set<std::filesystem::path> NamesIn(const std::filesystem::path& folder)
{
    std::set<std::filesystem::path> names;
    for (const std::filesystem::directory_entry& entry : std::filesystem::directory_iterator(folder)) {
        names.insert(entry.path().filename());
    }
    return names;
}

class ExchangeFilesTest : public testing::Test {
protected:
    ExchangeFilesTest()
    {
        WriteText(m_a, "new picture");
        WriteText(m_b, "old picture");
    }

    // Both files as they were, and nothing else in the folder.
    void ExpectUnchanged() const
    {
        EXPECT_EQ(ReadText(m_a), "new picture");
        EXPECT_EQ(ReadText(m_b), "old picture");
        EXPECT_EQ(NamesIn(m_folder.Path()), (std::set<std::filesystem::path>{"a.png", "b.png"}));
    }

    TempFolder m_folder;
    const std::filesystem::path m_a = m_folder.Path() / "a.png";
    const std::filesystem::path m_b = m_folder.Path() / "b.png";
};

TEST_F(ExchangeFilesTest, SwapsTheTwoFiles)
{
    const Result<bool> exchanged = ExchangeFiles(m_a, m_b);
    ASSERT_TRUE(exchanged) << exchanged.Error().Message();
#ifdef _WIN32
    ASSERT_TRUE(*exchanged);  // always done there, by renames
#endif
    if (!*exchanged) {
        // A file system that cannot: then nothing changed.
        ExpectUnchanged();
        return;
    }
    EXPECT_EQ(ReadText(m_a), "old picture");
    EXPECT_EQ(ReadText(m_b), "new picture");
    EXPECT_EQ(NamesIn(m_folder.Path()), (std::set<std::filesystem::path>{"a.png", "b.png"}));
}

TEST_F(ExchangeFilesTest, FailsWithoutChangeWhenTheSecondIsMissing)
{
    const std::filesystem::path missing = m_folder.Path() / "missing.png";
    const Result<bool> exchanged = ExchangeFiles(m_a, missing);
    EXPECT_FALSE(exchanged && *exchanged);
    ExpectUnchanged();
}

TEST_F(ExchangeFilesTest, FailsWithoutChangeWhenTheFirstIsMissing)
{
    const std::filesystem::path missing = m_folder.Path() / "missing.png";
    const Result<bool> exchanged = ExchangeFiles(missing, m_b);
    EXPECT_FALSE(exchanged && *exchanged);
    ExpectUnchanged();
}

#ifdef _WIN32
// The second file held open by another program, which lets no one rename it: the first, already
// put aside, is given its name back.
TEST_F(ExchangeFilesTest, UndoesTheFirstRenameWhenTheSecondFails)
{
    const HANDLE held = CreateFileW(m_b.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    const Result<bool> exchanged = ExchangeFiles(m_a, m_b);
    CloseHandle(held);
    EXPECT_FALSE(exchanged);
    ExpectUnchanged();
}
#endif

}  // namespace
