#include "job/render_job.h"
#include "core/calc_layout.h"
#include "failing_sink.h"
#include "job/npy_file.h"
#include "png_reader.h"
#include "reference_levels.h"
#include "temp_folder.h"

#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

namespace {

// A grid of 3 stripes on 2 threads: rows cross the stripes' edges and come from both threads.
RenderJob SmallJob()
{
    RenderJob job;
    job.computation.region = {0.0, 3.4, 1.0, 4.0};
    job.computation.grid = {40, 33};
    job.computation.stripes = 3;
    job.threads = 2;
    return job;
}

// A grid's cells (row r at r × width) in the order of the files: the top row (the largest
// parameter) first.
template <class Cell>
std::vector<Cell> TopDown(Size grid, const std::vector<Cell>& cells)
{
    std::vector<Cell> ordered;
    for (int32_t row = grid.height - 1; row >= 0; --row) {
        const auto first = cells.begin() + int64_t{row} * grid.width;
        ordered.insert(ordered.end(), first, first + grid.width);
    }
    return ordered;
}

// The PGM of a grid's levels, written out literally.
std::string Pgm(Size grid, const std::vector<int32_t>& levels)
{
    std::string bytes = "P5\n" + std::to_string(grid.width) + " " + std::to_string(grid.height) + "\n255\n";
    for (const int32_t level : TopDown(grid, levels)) {
        bytes += static_cast<char>(level);
    }
    return bytes;
}

// The .npy file of a grid's hits: its header, then each count's bytes from the least.
std::string Npy(Size grid, const std::vector<uint64_t>& hits)
{
    std::string bytes = NpyHeader(grid);
    for (const uint64_t count : TopDown(grid, hits)) {
        for (int shift = 0; shift < 64; shift += 8) {
            bytes += static_cast<char>(count >> shift);
        }
    }
    return bytes;
}

TEST(RenderRows, WritesTheReferenceLevelsAsPgmTheirHitsAsNpyAndTheirColoursAsPng)
{
    RenderJob job = SmallJob();
    job.style = {ColorScheme::Green, true};
    job.pictureTexts = {{"Software", "corvalis-render test"}};
    const Size grid = job.computation.grid;
    const std::vector<int32_t> levels = ReferenceLevels(job.computation);
    StringSink pgm;
    StringSink png;
    StringSink npy;
    ASSERT_TRUE(RenderRows(job, {{&pgm, "out.pgm"}, {&png, "out.png"}, {&npy, "out.npy"}}, nullptr, {}));
    EXPECT_EQ(pgm.Bytes(), Pgm(grid, levels));
    EXPECT_EQ(npy.Bytes(), Npy(grid, ReferenceHits(job.computation)));

    const DecodedPng decoded = DecodePng(png.Bytes());
    ASSERT_EQ(decoded.error, "");
    ASSERT_EQ(decoded.width, grid.width);
    ASSERT_EQ(decoded.height, grid.height);
    EXPECT_EQ(decoded.texts, (std::vector<std::pair<std::string, std::string>>{{"Software", "corvalis-render test"}}));
    const ColorTable table = MakeColorTable(ColorScheme::Green, true);
    std::vector<uint32_t> expected;
    for (const int32_t level : TopDown(grid, levels)) {
        expected.push_back(table[static_cast<size_t>(level)]);
    }
    EXPECT_EQ(decoded.pixels, expected);
}

// A shaded picture colours each cell by its shaded hits (equalisation by the hits of every cell,
// counted in a first pass); the levels stay the window's.
TEST(RenderRows, AShadedPictureColoursEachCellByItsShadedHits)
{
    const RenderJob plain = SmallJob();
    const Size grid = plain.computation.grid;
    const std::vector<uint64_t> hits = ReferenceHits(plain.computation);
    HitsHistogram histogram;
    histogram.Add(hits.data(), static_cast<int32_t>(hits.size()));
    for (const auto& [shading, shader] :
         {std::pair{Shading::Log, Shader(Shading::Log)}, std::pair{Shading::Equalize, Shader(histogram)}}) {
        SCOPED_TRACE(std::string(ShadingName(shading)));
        RenderJob job = plain;
        job.style = {ColorScheme::Blue, false, shading};
        StringSink pgm;
        StringSink png;
        ASSERT_TRUE(RenderRows(job, {{&pgm, "out.pgm"}, {&png, "out.png"}}, nullptr, {}));
        EXPECT_EQ(pgm.Bytes(), Pgm(grid, ReferenceLevels(job.computation)));
        std::vector<int32_t> levels(hits.size());
        shader.Shade(hits.data(), static_cast<int32_t>(hits.size()), levels.data());
        const ColorTable table = MakeColorTable(ColorScheme::Blue, false);
        std::vector<uint32_t> expected;
        for (int32_t row = grid.height - 1; row >= 0; --row) {
            for (int32_t column = 0; column < grid.width; ++column) {
                expected.push_back(table[static_cast<size_t>(levels[static_cast<size_t>(row) * grid.width + column])]);
            }
        }
        EXPECT_EQ(DecodePng(png.Bytes()).pixels, expected);
    }
}

// NumPy's format 1.0: the dict of a uint64 array of the grid's shape, padded so that the data
// begins at a multiple of 64 bytes, then each count as 8 bytes little-endian, rows as given.
TEST(NpyWriter, WritesTheFormatOneHeaderAlignedTo64AndEachCountLittleEndian)
{
    StringSink npy;
    NpyWriter writer(npy);
    ASSERT_TRUE(writer.Start({2, 3}));
    const uint64_t rows[3][2] = {{0x0102030405060708, 0}, {1, 0xFFFFFFFFFFFFFFFE}, {256, 12750}};
    for (const auto& row : rows) {
        ASSERT_TRUE(writer.AddRow(row));
    }
    ASSERT_TRUE(writer.Finish());

    const std::string dict = "{'descr': '<u8', 'fortran_order': False, 'shape': (3, 2), }";
    std::string expected = std::string("\x93NUMPY\x01\x00\x76\x00", 10) + dict + std::string(58, ' ') + "\n";
    ASSERT_EQ(expected.size(), 128u);
    expected += std::string("\x08\x07\x06\x05\x04\x03\x02\x01", 8) + std::string(8, '\0');
    expected += std::string("\x01\0\0\0\0\0\0\0", 8) + "\xFE" + std::string(7, '\xFF');
    expected += std::string("\0\x01\0\0\0\0\0\0", 8) + std::string("\xCE\x31\0\0\0\0\0\0", 8);
    EXPECT_EQ(npy.Bytes(), expected);

    const std::string widest = NpyHeader({65536, 65536});
    EXPECT_EQ(widest.size(), 128u);
    EXPECT_EQ(widest.substr(8, 2), std::string("\x76\x00", 2));
    EXPECT_TRUE(widest.ends_with("'shape': (65536, 65536), }" + std::string(50, ' ') + "\n")) << widest;
}

// With a client area the picture is the bitmap the window shows there, here smaller than the
// grid: each of its rows is filled from the grid rows it takes as they come.
TEST(RenderRows, AFittedPictureIsTheWindowsDisplayBitmap)
{
    RenderJob job;
    job.computation.region = {0.0, 3.5, 0.7, 4.0};
    job.computation.client = {130, 100};
    job.computation.stripes = 2;
    job.threads = 2;
    job.style = {ColorScheme::Red, false};
    ASSERT_TRUE(FitGrid(job.computation));
    const Size grid = job.computation.grid;
    const Size bitmap = DisplayBitmapSize(grid, job.computation.client);
    ASSERT_LT(bitmap.height, grid.height);

    StringSink png;
    ASSERT_TRUE(RenderRows(job, {{}, {&png, "out.png"}, {}}, nullptr, {}));
    const DecodedPng decoded = DecodePng(png.Bytes());
    ASSERT_EQ(decoded.error, "");
    ASSERT_EQ(decoded.width, bitmap.width);
    ASSERT_EQ(decoded.height, bitmap.height);

    const std::vector<int32_t> levels = ReferenceLevels(job.computation);
    WindowPicture window;
    ComposePicture([&levels](int64_t index) { return levels[static_cast<size_t>(index)]; },
                   MakeColorTable(ColorScheme::Red, false), grid, job.computation.client, window);
    std::vector<uint32_t> expected;
    for (int32_t row = bitmap.height - 1; row >= 0; --row) {
        const uint32_t* first = window.bitmap.pixels.get() + int64_t{row} * bitmap.width;
        expected.insert(expected.end(), first, first + bitmap.width);
    }
    EXPECT_EQ(decoded.pixels, expected);
}

// A true answer stops the job wherever it comes: before the first row, among the rows, or once
// every byte is written.
TEST(RenderRows, ACancelCheckThatAnswersTrueEndsItWithAnInterrupt)
{
    const RenderJob job = SmallJob();
    const size_t pgmBytes = Pgm(job.computation.grid, ReferenceLevels(job.computation)).size();
    for (const int asksAnswered : {0, 5, -1}) {
        StringSink pgm;
        int asks = 0;
        RenderHooks hooks;
        hooks.cancel = [&] { return asksAnswered < 0 ? pgm.Bytes().size() == pgmBytes : ++asks > asksAnswered; };
        const Status status = RenderRows(job, {{&pgm, "out.pgm"}, {}, {}}, nullptr, hooks);
        ASSERT_FALSE(status) << asksAnswered;
        EXPECT_TRUE(status.Error().IsInterrupt()) << status.Error().Message();
    }
}

// The names of a job's levels, picture and counts.
const std::string kOutputNames[] = {"out.pgm", "out.png", "out.npy"};

// The sinks of a job's three outputs, in that order: `others`, but for the output `index`, whose
// sink is `sink`.
RenderSinks SinksWith(size_t index, ByteSink& sink, std::array<StringSink, 3>& others)
{
    RenderSinks sinks{{&others[0], kOutputNames[0]}, {&others[1], kOutputNames[1]}, {&others[2], kOutputNames[2]}};
    RenderSinks::Output* const outputs[] = {&sinks.levels, &sinks.picture, &sinks.counts};
    outputs[index]->sink = &sink;
    return sinks;
}

// Whichever write of any output fails, the job stops with that failure told with the output's
// name; an interrupt stays one.
TEST(RenderRows, AFailedWriteEndsItNamingTheOutput)
{
    const RenderJob job = SmallJob();
    for (size_t index = 0; index < 3; ++index) {
        FailingSink counting(0, Failure::Because("unused"));
        std::array<StringSink, 3> others;
        ASSERT_TRUE(RenderRows(job, SinksWith(index, counting, others), nullptr, {}));
        const std::string& name = kOutputNames[index];
        for (int failAt = 1; failAt <= counting.Writes(); ++failAt) {
            for (const Failure& failure : {Failure::Because("No space left on device"), Failure::Interrupt()}) {
                FailingSink failing(failAt, failure);
                std::array<StringSink, 3> sinks;
                const Status status = RenderRows(job, SinksWith(index, failing, sinks), nullptr, {});
                SCOPED_TRACE(testing::Message() << name << ", write " << failAt);
                ASSERT_FALSE(status);
                EXPECT_EQ(status.Error().IsInterrupt(), failure.IsInterrupt());
                if (!failure.IsInterrupt()) {
                    EXPECT_EQ(status.Error().Message(), "cannot write '" + name + "': No space left on device");
                }
            }
        }
    }
}

// A job that keeps its rows writes what a plain one writes; run again, it reads every row from
// the file and computes none, since a computed row would be kept there anew.
TEST(RenderRows, AJobThatKeepsItsRowsWritesTheSameAndThenWritesItFromTheFileAlone)
{
    const RenderJob job = SmallJob();
    StringSink plain;
    ASSERT_TRUE(RenderRows(job, {{&plain, "out.pgm"}, {}, {}}, nullptr, {}));

    const TempFolder folder;
    const std::string rows = folder.Name("job.rows");
    std::string kept;
    for (const char* run : {"computing", "reading"}) {
        SCOPED_TRACE(run);
        {
            Result<KeptRows> opened = KeptRows::OpenToKeep(rows, job.computation);
            ASSERT_TRUE(opened) << opened.Error().Message();
            StringSink pgm;
            ASSERT_TRUE(RenderRows(job, {{&pgm, "out.pgm"}, {}, {}}, &*opened, {}));
            EXPECT_EQ(pgm.Bytes(), plain.Bytes());
        }
        if (kept.empty()) {
            kept = ReadBytes(folder.Path() / "job.rows");
            ASSERT_EQ(kept.size(), RowsFileHeader(job.computation).size() + 33 * (8 * (40 + kSubSamples) + 8));
        } else {
            EXPECT_EQ(ReadBytes(folder.Path() / "job.rows"), kept);
        }
    }
}

// An equalised picture and the counts made while the rows are kept, and again from the file, are
// those made without: the pass that writes reads the rows the counting pass kept, each kept once.
// A file of levels only is refused for a shading or counts that read hits.
TEST(RenderRows, AnEqualizedPictureFromItsRowsFileIsTheOneComputed)
{
    RenderJob job = SmallJob();
    job.style.shading = Shading::Equalize;
    StringSink plain;
    StringSink plainCounts;
    ASSERT_TRUE(RenderRows(job, {{}, {&plain, "out.png"}, {&plainCounts, "out.npy"}}, nullptr, {}));

    const TempFolder folder;
    const std::string rows = folder.Name("job.rows");
    for (const char* run : {"computing", "reading"}) {
        SCOPED_TRACE(run);
        Result<KeptRows> opened = KeptRows::OpenToKeep(rows, job.computation);
        ASSERT_TRUE(opened) << opened.Error().Message();
        StringSink png;
        StringSink counts;
        ASSERT_TRUE(RenderRows(job, {{}, {&png, "out.png"}, {&counts, "out.npy"}}, &*opened, {}));
        EXPECT_EQ(png.Bytes(), plain.Bytes());
        EXPECT_EQ(counts.Bytes(), plainCounts.Bytes());
        EXPECT_EQ(std::filesystem::file_size(folder.Path() / "job.rows"),
                  RowsFileHeader(job.computation).size() + 33 * (8 * (40 + kSubSamples) + 8));
    }

    WriteBytes(folder.Path() / "levels.rows", RowsFileHeader(job.computation, {1, {}}));
    Result<KeptRows> levelsOnly = KeptRows::OpenToKeep(folder.Name("levels.rows"), job.computation);
    ASSERT_TRUE(levelsOnly);
    StringSink png;
    const Status refused = RenderRows(job, {{}, {&png, "out.png"}}, &*levelsOnly, {});
    ASSERT_FALSE(refused);
    EXPECT_EQ(refused.Error().Message(),
              "the rows files keep levels only (a rows file of version 1), and the shading equalize needs the hits "
              "of every cell: compute the rows again into a new rows file");
    EXPECT_EQ(png.Bytes(), "");
    job.style.shading = Shading::Levels;
    StringSink npy;
    const Status noCounts = RenderRows(job, {{}, {&png, "out.png"}, {&npy, "out.npy"}}, &*levelsOnly, {});
    ASSERT_FALSE(noCounts);
    EXPECT_EQ(noCounts.Error().Message(),
              "the rows files keep levels only (a rows file of version 1), and the counts output needs the hits of "
              "every cell: compute the rows again into a new rows file");
    EXPECT_EQ(npy.Bytes() + png.Bytes(), "");
}

// The rows of a range, of every shard in turn: each row of the range comes from exactly one
// shard, top down, with the reference levels, and no row outside it comes.
TEST(RowSource, GivesTheRowsOfItsRangeAndShardTopDown)
{
    const Computation whole = SmallJob().computation;
    const Size grid = whole.grid;
    const std::vector<int32_t> levels = ReferenceLevels(whole);
    const RowRange range{7, 26};  // across the stripes' edges at rows 11 and 22
    for (const int32_t shards : {1, 3}) {
        std::vector<int32_t> given(static_cast<size_t>(grid.height));
        for (int32_t shard = 0; shard < shards; ++shard) {
            SCOPED_TRACE(testing::Message() << "shard " << shard << "/" << shards);
            Computation computation = whole;
            computation.shard = {shard, shards};
            RowSource source(computation, range, nullptr, [] { return false; }, {});
            ASSERT_TRUE(source.Start(2));
            int32_t above = grid.height;
            for (;;) {
                const Result<SourceRow> next = source.Next();
                ASSERT_TRUE(next);
                const int32_t row = next->row;
                if (row < 0) {
                    break;
                }
                ASSERT_LT(row, above);  // top down
                above = row;
                ++given[static_cast<size_t>(row)];
                const auto first = levels.begin() + int64_t{row} * grid.width;
                ASSERT_EQ(std::vector<int32_t>(next->levels, next->levels + grid.width),
                          std::vector<int32_t>(first, first + grid.width))
                    << "row " << row;
            }
        }
        for (int32_t row = 0; row < grid.height; ++row) {
            EXPECT_EQ(given[static_cast<size_t>(row)], row >= range.first && row < range.last ? 1 : 0)
                << "row " << row << ", " << shards << " shards";
        }
    }
}

// The sub-samples' Lyapunov exponents of every row of the computation (row r's from
// r × kSubSamples on), computed stripe by stripe.
std::vector<double> StripesLyapunov(const Computation& computation)
{
    std::vector<double> lyapunov;
    const std::atomic<int32_t> cancel{0};
    for (int32_t i = 0; i < computation.stripes; ++i) {
        const StripeSpec stripe = StripeFor(nullptr, computation.grid, computation.region,
                                            StripeBounds(i, computation.stripes, computation.grid.height));
        std::vector<uint64_t> hits(static_cast<size_t>(stripe.rows) * stripe.width);
        std::vector<double> stripeLyapunov(static_cast<size_t>(stripe.rows) * kSubSamples);
        EXPECT_EQ(ComputeStripeHitsInto(stripe, {0, stripe.rows}, hits.data(), cancel, stripeLyapunov.data()),
                  StripeResult::Completed);
        lyapunov.insert(lyapunov.end(), stripeLyapunov.begin(), stripeLyapunov.end());
    }
    return lyapunov;
}

// The exponents each row of a job takes, row r's from r × kSubSamples on.
Result<std::vector<double>> RowsLyapunov(const Computation& computation, KeptRows* kept)
{
    std::vector<double> lyapunov(static_cast<size_t>(computation.grid.height) * kSubSamples);
    Status rows = ForEachRow(computation, 2, kept, {},
                             [&](const SourceRow& row) {
                                 std::copy(row.lyapunov, row.lyapunov + kSubSamples,
                                           lyapunov.begin() + row.row * kSubSamples);
                                 return Status{};
                             },
                             {.lyapunov = true});
    if (!rows) {
        return rows.Error();
    }
    return lyapunov;
}

// Each row's exponents are its stripe's, computed on any thread, kept in a rows file and read
// back from it bit for bit. A rows file made before files kept them goes on without them, and a
// run that asks for them there is refused.
TEST(RenderRows, RowsGiveTheLyapunovExponentsOfTheirStripesAndKeepThem)
{
    const Computation computation = SmallJob().computation;
    const std::vector<double> expected = StripesLyapunov(computation);
    const auto same = [&](const Result<std::vector<double>>& lyapunov) {
        ASSERT_TRUE(lyapunov) << lyapunov.Error().Message();
        ASSERT_EQ(lyapunov->size(), expected.size());
        EXPECT_EQ(std::memcmp(lyapunov->data(), expected.data(), expected.size() * sizeof(double)), 0);
    };
    same(RowsLyapunov(computation, nullptr));

    const TempFolder folder;
    const std::string name = folder.Name("job.rows");
    for (const char* run : {"computing", "reading"}) {
        SCOPED_TRACE(run);
        Result<KeptRows> opened = KeptRows::OpenToKeep(name, computation);
        ASSERT_TRUE(opened) << opened.Error().Message();
        same(RowsLyapunov(computation, &*opened));
    }
    Result<KeptRows> gathered = KeptRows::Gather({name});
    ASSERT_TRUE(gathered) << gathered.Error().Message();
    same(RowsLyapunov(computation, &*gathered));

    const std::string older = folder.Name("older.rows");
    WriteBytes(folder.Path() / "older.rows", RowsFileHeader(computation, {2, {}}));
    Result<KeptRows> olderKept = KeptRows::OpenToKeep(older, computation);
    ASSERT_TRUE(olderKept) << olderKept.Error().Message();
    EXPECT_FALSE(olderKept->KeepsLyapunov());
    const Result<std::vector<double>> refused = RowsLyapunov(computation, &*olderKept);
    ASSERT_FALSE(refused);
    EXPECT_EQ(refused.Error().Message(),
              "the rows files keep no Lyapunov exponents (they were made before rows "
              "files kept them): compute the rows again into a new rows file");
    StringSink pgm;
    EXPECT_TRUE(RenderRows(SmallJob(), {{&pgm, "out.pgm"}, {}, {}}, &*olderKept, {}));
    EXPECT_EQ(std::filesystem::file_size(folder.Path() / "older.rows"),
              RowsFileHeader(computation, {2, {}}).size() + 33 * (8 * 40 + 8));
}

}  // namespace
