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

// The system's file operations, but for the Nth of one kind, which fails as a full disk does.
class FaultyFiles final : public OutputFiles {
public:
    enum class Kind { Write, Sync, Link, Rename, Exchange };
    FaultyFiles(Kind kind, int32_t failing) : m_kind(kind), m_failing(failing) {}

    Status Write(WriteHandle& handle, std::string_view bytes) override
    {
        return Fails(Kind::Write) ? Full() : OutputFiles::Write(handle, bytes);
    }
    Status SyncAndClose(WriteHandle& handle) override
    {
        return Fails(Kind::Sync) ? Full() : OutputFiles::SyncAndClose(handle);
    }
    Status LinkAs(WriteHandle& handle, const std::filesystem::path& path, bool& taken) override
    {
        return Fails(Kind::Link) ? Full() : OutputFiles::LinkAs(handle, path, taken);
    }
    Status RenameOver(const std::filesystem::path& from, const std::filesystem::path& to) override
    {
        return Fails(Kind::Rename) ? Full() : OutputFiles::RenameOver(from, to);
    }
    Result<bool> ExchangeFiles(const std::filesystem::path& a, const std::filesystem::path& b) override
    {
        return Fails(Kind::Exchange) ? Result<bool>(Failure::Because("No space left on device"))
                                     : OutputFiles::ExchangeFiles(a, b);
    }
    bool Failed() const { return m_calls >= m_failing; }

private:
    bool Fails(Kind kind) { return kind == m_kind && ++m_calls == m_failing; }
    static Status Full() { return Failure::Because("No space left on device"); }

    Kind m_kind;
    int32_t m_failing;
    int32_t m_calls = 0;
};

// Whichever write, sync, link, rename or exchange fails, at whatever step, the run fails naming
// the output, every old file stays as it was and nothing new is left in the folder.
TEST(OutputTransaction, AFailingFileOperationLeavesEveryOldFileAndNothingNew)
{
    using Kind = FaultyFiles::Kind;
    for (const Kind kind : {Kind::Write, Kind::Sync, Kind::Link, Kind::Rename, Kind::Exchange}) {
        for (int32_t failing = 1;; ++failing) {
            SCOPED_TRACE(testing::Message() << "operation " << static_cast<int>(kind) << ", call " << failing);
            const TempFolder folder;
            WriteBytes(folder.Path() / "levels.pgm", "old levels");
            WriteBytes(folder.Path() / "picture.png", "old picture");
            FaultyFiles files(kind, failing);
            Status done;
            {
                OutputTransaction transaction(files);
                for (const char* name : {"levels.pgm", "new.txt", "picture.png"}) {
                    const Result<OutputTarget> target = FindOutputTarget(folder.Name(name));
                    ASSERT_TRUE(target);
                    const Result<ByteSink*> sink = transaction.Open(*target);
                    ASSERT_TRUE(sink);
                    done = (*sink)->Write("new");
                    if (!done) {
                        done = CannotWrite(target->name, done.Error());
                        break;
                    }
                }
                done = done ? transaction.Commit() : done;
            }
            if (!files.Failed()) {
                ASSERT_TRUE(done) << done.Error().Message();
                break;  // every call of this kind has failed once
            }
            ASSERT_FALSE(done);
            EXPECT_TRUE(done.Error().Message().starts_with("cannot write '")) << done.Error().Message();
            EXPECT_TRUE(done.Error().Message().ends_with(": No space left on device")) << done.Error().Message();
            EXPECT_EQ(ReadBytes(folder.Path() / "levels.pgm"), "old levels");
            EXPECT_EQ(ReadBytes(folder.Path() / "picture.png"), "old picture");
            EXPECT_EQ(Listing(folder.Path()), (std::vector<std::string>{"levels.pgm", "picture.png"}));
        }
    }
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
