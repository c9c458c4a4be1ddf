#include "job/rows_file.h"
#include "job/render_job.h"
#include "platform/file_path.h"
#include "reference_levels.h"
#include "temp_folder.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <filesystem>
#include <string>
#include <vector>

namespace {

// 21 rows: shard 0 of 2 keeps rows 17-20, 9-12 and 1-4, shard 1 rows 13-16, 5-8 and 0.
Computation SmallComputation(Shard shard = {})
{
    Computation computation;
    computation.region = {0.0, 3.5, 1.0, 4.0};
    computation.grid = {24, 21};
    computation.stripes = 2;
    computation.shard = shard;
    return computation;
}
constexpr size_t kRecordBytes = 4 + 8 * (24 + kSubSamples) + 4;  // hits and the Lyapunov exponents

// Computes the rows of the computation's shard and keeps them in the file, as a run does.
void KeepRows(const std::string& name, const Computation& computation)
{
    Result<KeptRows> kept = KeptRows::OpenToKeep(name, computation);
    ASSERT_TRUE(kept) << kept.Error().Message();
    RenderJob job;
    job.computation = computation;
    job.threads = 2;
    ASSERT_TRUE(RenderRows(job, {}, &*kept, {}));
}

template <class T>
std::string Refusal(const Result<T>& result)
{
    return result ? "no refusal" : result.Error().Message();
}

TEST(RowsFile, TheHeaderTellsItsComputationBackWithEveryDigit)
{
    Computation computation;
    computation.region = {0.1 + 0.2, 3.0000000000000004, 0.7, 3.9};
    computation.client = {331, 257};
    ASSERT_TRUE(FitGrid(computation));
    computation.stripes = 7;
    computation.shard = {2, 5};
    const std::string header = RowsFileHeader(computation);
    const auto parsed = ParseRowsFileHeader(header + std::string("\x10\0\0\0\x7f", 5));
    ASSERT_TRUE(parsed);
    EXPECT_EQ(parsed->computation, computation);
    EXPECT_EQ(parsed->length, header.size());
    EXPECT_FALSE(ParseRowsFileHeader(header.substr(0, header.size() - 1)));
}

// What a crash leaves at the end of the file is cut off on reopening, and the run that goes on
// computes that row again: the file ends as the one of an unbroken run.
TEST(KeptRows, ATornOrDamagedLastRecordIsCutAndItsRowComputedAgain)
{
    const TempFolder folder;
    const std::string name = folder.Name("crash.rows");
    const Computation computation = SmallComputation();
    ASSERT_NO_FATAL_FAILURE(KeepRows(name, computation));
    const std::string complete = ReadBytes(folder.Path() / "crash.rows");
    ASSERT_EQ(complete.size(), RowsFileHeader(computation).size() + 21 * kRecordBytes);

    std::string flipped = complete;
    flipped[flipped.size() - 10] ^= 1;
    for (const std::string& damaged : {complete.substr(0, complete.size() - 5), flipped}) {
        WriteBytes(folder.Path() / "crash.rows", damaged);
        {
            Result<KeptRows> kept = KeptRows::OpenToKeep(name, computation);
            ASSERT_TRUE(kept) << kept.Error().Message();
            EXPECT_EQ(std::filesystem::file_size(folder.Path() / "crash.rows"), complete.size() - kRecordBytes);
            EXPECT_FALSE(kept->Holds(0));  // the last row of the top-down order
            EXPECT_TRUE(kept->Holds(1));
            RenderJob job;
            job.computation = computation;
            ASSERT_TRUE(RenderRows(job, {}, &*kept, {}));
        }
        EXPECT_TRUE(ReadBytes(folder.Path() / "crash.rows") == complete);
    }
}

TEST(KeptRows, ARecordDamagedBeforeTheLastIsRefusedAndTheFileLeftAsItIs)
{
    const TempFolder folder;
    const std::string name = folder.Name("middle.rows");
    const Computation computation = SmallComputation();
    ASSERT_NO_FATAL_FAILURE(KeepRows(name, computation));
    std::string damaged = ReadBytes(folder.Path() / "middle.rows");
    damaged[RowsFileHeader(computation).size() + 2 * kRecordBytes + 11] ^= 0x40;
    WriteBytes(folder.Path() / "middle.rows", damaged);
    EXPECT_EQ(Refusal(KeptRows::OpenToKeep(name, computation)),
              QuotedName(name) + ": record 3 of 21 is damaged, so the file cannot go on; it is left as it is");
    EXPECT_TRUE(ReadBytes(folder.Path() / "middle.rows") == damaged);
}

// Another grid, or another shard of the same computation: the file tells whose rows it keeps.
TEST(KeptRows, AFileOfAnotherComputationIsRefusedAndLeftAsItIs)
{
    const TempFolder folder;
    const std::string name = folder.Name("other.rows");
    ASSERT_NO_FATAL_FAILURE(KeepRows(name, SmallComputation({0, 2})));
    const std::string kept = ReadBytes(folder.Path() / "other.rows");
    Computation taller = SmallComputation({0, 2});
    taller.grid.height = 22;
    for (const Computation& other : {taller, SmallComputation({1, 2})}) {
        EXPECT_EQ(Refusal(KeptRows::OpenToKeep(name, other)),
                  QuotedName(name) +
                      ": it keeps the rows of another computation (region 0 3.5 1 4, grid 24x21, "
                      "2 stripes, shard 0/2); it is left as it is: give another file for this one");
        EXPECT_TRUE(ReadBytes(folder.Path() / "other.rows") == kept);
    }
}

// The files of two shards, in either order, hold every row with the levels of one computation.
TEST(KeptRows, GatheringTheShardsGivesEveryRow)
{
    const TempFolder folder;
    const std::string shard0 = folder.Name("s0.rows");
    const std::string shard1 = folder.Name("s1.rows");
    ASSERT_NO_FATAL_FAILURE(KeepRows(shard0, SmallComputation({0, 2})));
    ASSERT_NO_FATAL_FAILURE(KeepRows(shard1, SmallComputation({1, 2})));
    const std::vector<int32_t> reference = ReferenceLevels(SmallComputation());
    const std::vector<uint64_t> referenceHits = ReferenceHits(SmallComputation());
    for (const std::vector<std::string>& names : {std::vector{shard0, shard1}, std::vector{shard1, shard0}}) {
        Result<KeptRows> gathered = KeptRows::Gather(names);
        ASSERT_TRUE(gathered) << gathered.Error().Message();
        ASSERT_TRUE(gathered->KeepsHits());
        std::vector<int32_t> levels(24);
        std::vector<uint64_t> hits(24);
        for (int32_t row = 0; row < 21; ++row) {
            ASSERT_TRUE(gathered->Holds(row)) << row;
            ASSERT_TRUE(gathered->Read(row, levels.data(), hits.data()));
            EXPECT_EQ(levels, std::vector<int32_t>(reference.begin() + row * 24, reference.begin() + (row + 1) * 24))
                << "row " << row;
            EXPECT_EQ(hits,
                      std::vector<uint64_t>(referenceHits.begin() + row * 24, referenceHits.begin() + (row + 1) * 24))
                << "row " << row;
        }
    }
}

TEST(KeptRows, GatheringRefusesAMissingDoubledOrUnfinishedShardAndAnotherComputation)
{
    const TempFolder folder;
    const std::string shard0 = folder.Name("s0.rows");
    const std::string shard1 = folder.Name("s1.rows");
    ASSERT_NO_FATAL_FAILURE(KeepRows(shard0, SmallComputation({0, 2})));
    ASSERT_NO_FATAL_FAILURE(KeepRows(shard1, SmallComputation({1, 2})));
    EXPECT_EQ(Refusal(KeptRows::Gather({shard0})), "no file keeps shard 1/2 (rows 0, 5-8, 13-16)");
    EXPECT_EQ(Refusal(KeptRows::Gather({shard0, shard1, shard0})), QuotedName(shard0) + ": given twice");

    const std::string copy = folder.Name("copy.rows");
    std::filesystem::copy_file(folder.Path() / "s1.rows", folder.Path() / "copy.rows");
    EXPECT_EQ(Refusal(KeptRows::Gather({shard0, shard1, copy})),
              QuotedName(copy) + ": it keeps shard 1/2 as " + QuotedName(shard1) + " does");

    // Its last two records, rows 5 and 0, not yet kept.
    const std::string unfinished = folder.Name("unfinished.rows");
    const std::string kept = ReadBytes(folder.Path() / "s1.rows");
    WriteBytes(folder.Path() / "unfinished.rows", kept.substr(0, kept.size() - 2 * kRecordBytes));
    EXPECT_EQ(Refusal(KeptRows::Gather({shard0, unfinished})),
              QuotedName(unfinished) +
                  ": 2 of its 9 rows are missing (rows 0, 5): its run has not finished; run it again to finish it");

    const std::string other = folder.Name("other.rows");
    Computation taller = SmallComputation({1, 2});
    taller.grid.height = 22;
    ASSERT_TRUE(KeptRows::OpenToKeep(other, taller));
    EXPECT_EQ(Refusal(KeptRows::Gather({shard0, other})),
              QuotedName(other) +
                  ": it keeps the rows of another computation (region 0 3.5 1 4, grid 24x22, 2 stripes, "
                  "shard 1/2) than " +
                  QuotedName(shard0) + " (region 0 3.5 1 4, grid 24x21, 2 stripes, shard 0/2)");
}

// A file of the first version, a level a cell, as earlier runs kept them: it is still gathered,
// without hits, and a run goes on in it in its own version.
TEST(KeptRows, AFileOfLevelsIsReadAndGoneOnInAsItIs)
{
    const TempFolder folder;
    const std::string name = folder.Name("levels.rows");
    const Computation computation = SmallComputation();
    const std::vector<int32_t> reference = ReferenceLevels(computation);
    std::string file = RowsFileHeader(computation, {1, {}});
    const std::string header = file;
    for (int32_t row = 20; row >= 12; --row) {
        std::string record(4 + 24, '\0');
        record[0] = static_cast<char>(row);
        for (int32_t column = 0; column < 24; ++column) {
            record[4 + column] = static_cast<char>(reference[row * 24 + column]);
        }
        const auto check = static_cast<uint32_t>(crc32(0L, reinterpret_cast<const Bytef*>(record.data()), 28));
        for (int shift = 0; shift < 32; shift += 8) {
            record += static_cast<char>((check >> shift) & 0xFF);
        }
        file += record;
    }
    WriteBytes(folder.Path() / "levels.rows", file);
    ASSERT_NO_FATAL_FAILURE(KeepRows(name, computation));
    const std::string goneOn = ReadBytes(folder.Path() / "levels.rows");
    EXPECT_EQ(goneOn.size(), header.size() + 21 * (4 + 24 + 4));
    EXPECT_TRUE(goneOn.starts_with(file));

    Result<KeptRows> gathered = KeptRows::Gather({name});
    ASSERT_TRUE(gathered) << gathered.Error().Message();
    EXPECT_FALSE(gathered->KeepsHits());
    std::vector<int32_t> levels(24);
    for (int32_t row = 0; row < 21; ++row) {
        ASSERT_TRUE(gathered->Read(row, levels.data(), nullptr));
        EXPECT_EQ(levels, std::vector<int32_t>(reference.begin() + row * 24, reference.begin() + (row + 1) * 24));
    }
}

// Values of each row that a later program keeps after the hits are passed over when reading, but
// a run cannot go on in such a file; hits that no computation gives are refused, not shaded.
TEST(KeptRows, ValuesAfterTheHitsAreReadPastAndImpossibleHitsRefused)
{
    const TempFolder folder;
    const std::string name = folder.Name("values.rows");
    Computation computation = SmallComputation();
    computation.grid = {3, 1};
    const RowsFormat format{2, {"lambda", "spread"}};
    std::string record = std::string("\0\0\0\0", 4);
    for (uint64_t hits : {uint64_t{49}, uint64_t{50}, uint64_t{12800}}) {
        for (int shift = 0; shift < 64; shift += 8) {
            record += static_cast<char>((hits >> shift) & 0xFF);
        }
    }
    record += std::string(16, '\x7f');  // the two values
    const auto withCheck = [](std::string bytes) {
        const auto check = static_cast<uint32_t>(
            crc32(0L, reinterpret_cast<const Bytef*>(bytes.data()), static_cast<uInt>(bytes.size())));
        for (int shift = 0; shift < 32; shift += 8) {
            bytes += static_cast<char>((check >> shift) & 0xFF);
        }
        return bytes;
    };
    WriteBytes(folder.Path() / "values.rows", RowsFileHeader(computation, format) + withCheck(record));
    EXPECT_TRUE(RowsFileHeader(computation, format).find("\nvalues lambda spread\nrecords\n") != std::string::npos);

    Result<KeptRows> gathered = KeptRows::Gather({name});
    ASSERT_TRUE(gathered) << gathered.Error().Message();
    std::vector<int32_t> levels(3);
    std::vector<uint64_t> hits(3);
    ASSERT_TRUE(gathered->Read(0, levels.data(), hits.data()));
    EXPECT_EQ(levels, (std::vector<int32_t>{0, 1, 255}));
    EXPECT_EQ(hits, (std::vector<uint64_t>{49, 50, 12800}));
    EXPECT_EQ(Refusal(KeptRows::OpenToKeep(name, computation)),
              QuotedName(name) +
                  ": it keeps values of each row that this program does not compute; it is left as it is");

    record.replace(4 + 16, 8, std::string(8, '\xff'));
    WriteBytes(folder.Path() / "values.rows", RowsFileHeader(computation, format) + withCheck(record));
    Result<KeptRows> impossible = KeptRows::Gather({name});
    ASSERT_TRUE(impossible);
    EXPECT_EQ(Refusal(impossible->Read(0, levels.data(), nullptr)),
              "reading row 0 of " + QuotedName(name) + ": a cell holds more hits than any computation gives");
}

}  // namespace
