#include "job/output_file.h"
#include "platform/file_path.h"
#include "temp_folder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

namespace {

// The names in a folder, hidden ones included, sorted.
std::vector<std::string> Listing(const std::filesystem::path& folder)
{
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        names.push_back(Utf8FromPath(entry.path().filename()));
    }
    std::sort(names.begin(), names.end());
    return names;
}

// Opens both outputs of a run, a file to replace and a new one, and writes each in two pieces.
void OpenAndWrite(OutputTransaction& transaction, const TempFolder& folder)
{
    for (const char* name : {"levels.pgm", "picture.png"}) {
        const Result<OutputTarget> target = FindOutputTarget(folder.Name(name));
        ASSERT_TRUE(target) << target.Error().Message();
        ASSERT_EQ(target->kind, OutputTarget::Kind::Replace);
        Result<ByteSink*> sink = transaction.Open(*target);
        ASSERT_TRUE(sink) << sink.Error().Message();
        ASSERT_TRUE((*sink)->Write("new "));
        ASSERT_TRUE((*sink)->Write(name));
    }
}

TEST(OutputTransaction, CommitPutsEveryOutputInPlaceAndNothingShowsThereBefore)
{
    const TempFolder folder;
    WriteBytes(folder.Path() / "levels.pgm", "old levels");
    OutputTransaction transaction;
    ASSERT_NO_FATAL_FAILURE(OpenAndWrite(transaction, folder));
    EXPECT_EQ(ReadBytes(folder.Path() / "levels.pgm"), "old levels");
    EXPECT_FALSE(std::filesystem::exists(folder.Path() / "picture.png"));

    ASSERT_TRUE(transaction.Commit());
    EXPECT_EQ(ReadBytes(folder.Path() / "levels.pgm"), "new levels.pgm");
    EXPECT_EQ(ReadBytes(folder.Path() / "picture.png"), "new picture.png");
    EXPECT_EQ(Listing(folder.Path()), (std::vector<std::string>{"levels.pgm", "picture.png"}));
}

TEST(OutputTransaction, OneNotCommittedLeavesTheOldFilesAndNothingNew)
{
    const TempFolder folder;
    WriteBytes(folder.Path() / "levels.pgm", "old levels");
    {
        OutputTransaction transaction;
        ASSERT_NO_FATAL_FAILURE(OpenAndWrite(transaction, folder));
    }
    EXPECT_EQ(ReadBytes(folder.Path() / "levels.pgm"), "old levels");
    EXPECT_EQ(Listing(folder.Path()), std::vector<std::string>{"levels.pgm"});
}

TEST(FindOutputTarget, RefusesAFolderAndANameInAFolderThatDoesNotExist)
{
    const TempFolder folder;
    std::filesystem::create_directory(folder.Path() / "sub");
    const std::string sub = folder.Name("sub");
    const Result<OutputTarget> toFolder = FindOutputTarget(sub);
    ASSERT_FALSE(toFolder);
    EXPECT_EQ(toFolder.Error().Message(), "cannot write " + QuotedName(sub) + ": it is a folder");

    const std::string inMissing = folder.Name("missing/x.png");
    const Result<OutputTarget> toMissing = FindOutputTarget(inMissing);
    ASSERT_FALSE(toMissing);
    EXPECT_EQ(toMissing.Error().Message(),
              "cannot write " + QuotedName(inMissing) + ": there is no folder " + QuotedName(folder.Name("missing")));
    EXPECT_EQ(Listing(folder.Path()), std::vector<std::string>{"sub"});
}

}  // namespace
