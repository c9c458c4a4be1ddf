#include "render/image_pipeline.h"
#include "core/level_grid.h"
#include "literal_box_average.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <random>
#include <thread>
#include <vector>

namespace {

constexpr Margins kMargins{20, 20};

PixelBuffer Allocated(Size size)
{
    PixelBuffer buffer;
    AllocPixels(buffer, size);
    return buffer;
}

PixelBuffer ImageOf(int32_t width, int32_t height, const std::vector<uint32_t>& colors)
{
    PixelBuffer image = Allocated({width, height});
    std::copy(colors.begin(), colors.end(), image.pixels.get());
    return image;
}

std::vector<uint32_t> RandomColors(int64_t count, uint32_t seed)
{
    std::mt19937 random(seed);
    std::vector<uint32_t> colors(static_cast<size_t>(count));
    for (uint32_t& color : colors) {
        color = random() & 0xFFFFFF;
    }
    return colors;
}

std::vector<uint32_t> PixelsOf(const PixelBuffer& buffer)
{
    return {buffer.pixels.get(), buffer.pixels.get() + buffer.PixelCount()};
}

// The window's picture of a grid's levels in a client area; a level outside `levels` throws.
WindowPicture Composed(const std::vector<int32_t>& levels, Size grid, const ColorTable& table, Size client)
{
    WindowPicture picture;
    ComposePicture([&levels](int64_t index) { return levels.at(static_cast<size_t>(index)); }, table, grid, client,
                   picture);
    return picture;
}

// A table of distinct colours, so that every level shows as itself.
ColorTable DistinctColors(uint32_t seed)
{
    ColorTable table;
    const std::vector<uint32_t> colors = RandomColors(static_cast<int64_t>(table.size()), seed);
    std::copy(colors.begin(), colors.end(), table.begin());
    return table;
}

std::vector<int32_t> RandomLevels(int64_t count, uint32_t seed)
{
    std::mt19937 random(seed);
    std::vector<int32_t> levels(static_cast<size_t>(count));
    for (int32_t& level : levels) {
        level = static_cast<int32_t>(random() % 256);
    }
    return levels;
}

std::vector<uint32_t> ColorsOf(const std::vector<int32_t>& levels, const ColorTable& table)
{
    std::vector<uint32_t> colors;
    for (int32_t level : levels) {
        colors.push_back(table[level]);
    }
    return colors;
}

std::pair<int32_t, int32_t> Bounds(RowRange rows)
{
    return {rows.first, rows.last};
}

PixelBuffer ResampledTo(const PixelBuffer& image, Size size)
{
    PixelBuffer bitmap = Allocated(size);
    FillDisplayBitmap(image, bitmap);
    return bitmap;
}

TEST(AllocPixels, StoresTheSizeAndHoldsPixelsOnlyForPositiveSides)
{
    PixelBuffer buffer = Allocated({7, 3});
    EXPECT_EQ(buffer.PixelCount(), 21);
    EXPECT_NE(buffer.pixels, nullptr);
    for (Size empty : {Size{0, 0}, Size{0, 5}, Size{60, -5}}) {
        AllocPixels(buffer, empty);
        EXPECT_EQ(buffer.width, empty.width);
        EXPECT_EQ(buffer.height, empty.height);
        EXPECT_EQ(buffer.pixels, nullptr);
        EXPECT_EQ(buffer.PixelCount(), 0);
    }
}

TEST(AllocPixels, AReservedBlockIsKeptWhileTheSizeStaysWithinTheReserve)
{
    PixelBuffer buffer;
    AllocPixels(buffer, {10, 10}, 400);
    const uint32_t* const block = buffer.pixels.get();
    for (Size size : {Size{20, 20}, Size{5, 5}, Size{10, 40}}) {
        AllocPixels(buffer, size, 400);
        EXPECT_EQ(buffer.pixels.get(), block);
        EXPECT_EQ(buffer.PixelCount(), int64_t{size.width} * size.height);
    }
    AllocPixels(buffer, {21, 20}, 400);  // beyond the reserve: a block of the size
    EXPECT_EQ(buffer.PixelCount(), 420);
    EXPECT_EQ(buffer.capacity, 420);
}

TEST(AllocPixels, ABufferThatCannotBeAllocatedIsEmptyAndZeroSized)
{
    PixelBuffer buffer = Allocated({65536, 65536});
    EXPECT_EQ(buffer.width, 0);
    EXPECT_EQ(buffer.height, 0);
    EXPECT_EQ(buffer.pixels, nullptr);
    // As the picture's image it counts as none, and no level is read: a square placeholder shows.
    const PixelBuffer bitmap = Composed({}, {65536, 65536}, ColorTable{}, {440, 340}).bitmap;
    ASSERT_EQ(bitmap.width, 300);
    ASSERT_EQ(bitmap.height, 300);
    EXPECT_EQ(bitmap.pixels[10], 0x404040u);
}

TEST(ColorizeLevels, LooksEveryLevelUpInTheTable)
{
    ColorTable table;
    for (uint32_t i = 0; i < table.size(); ++i) {
        table[i] = 0x010101 * i;
    }
    std::vector<int32_t> levels = {0, 1, 255, 128, 7, 0};
    PixelBuffer image = Allocated({3, 2});
    ColorizeLevels(SharedLevels{levels.data()}, table, image);
    EXPECT_EQ(PixelsOf(image), (std::vector<uint32_t>{table[0], table[1], table[255], table[128], table[7], table[0]}));
    // A reader in the form the view gives it; out-of-range levels stay inside the table.
    const int32_t wild[] = {-1, 256, -2147483647 - 1, 2147483647, 3, 254};
    ColorizeLevels([&wild](int64_t index) { return wild[index]; }, table, image);
    EXPECT_EQ(PixelsOf(image),
              (std::vector<uint32_t>{table[0], table[255], table[0], table[255], table[3], table[254]}));
}

TEST(ColorizeLevels, SeesWholeOldOrNewLevelsWhileAWorkerWrites)
{
    ColorTable table{};
    table[10] = 0x00000A;
    table[200] = 0x0000C8;
    std::vector<int32_t> levels(64 * 64, 10);
    std::atomic<bool> done{false};
    std::thread worker([&] {
        for (int32_t pass = 0; !done.load(); ++pass) {
            for (int32_t& cell : levels) {
                std::atomic_ref<int32_t>(cell).store(pass % 2 == 0 ? 200 : 10, std::memory_order_relaxed);
            }
        }
    });
    PixelBuffer image = Allocated({64, 64});
    for (int repeat = 0; repeat < 20; ++repeat) {
        ColorizeLevels(SharedLevels{levels.data()}, table, image);
        for (uint32_t color : PixelsOf(image)) {
            ASSERT_TRUE(color == 0x00000A || color == 0x0000C8) << color;
        }
    }
    done.store(true);
    worker.join();
}

TEST(FillDisplayBitmap, WithoutAnImageDrawsTheCheckerboard)
{
    const PixelBuffer bitmap = Composed({}, {0, 0}, ColorTable{}, {440, 340}).bitmap;
    ASSERT_EQ(bitmap.width, 300);
    ASSERT_EQ(bitmap.height, 300);
    auto at = [&bitmap](int32_t x, int32_t y) { return bitmap.pixels[y * bitmap.width + x]; };
    EXPECT_EQ(at(0, 0), 0x000000u);
    EXPECT_EQ(at(9, 9), 0x000000u);
    EXPECT_EQ(at(10, 0), 0x404040u);
    EXPECT_EQ(at(9, 10), 0x404040u);
    EXPECT_EQ(at(10, 10), 0x000000u);
    EXPECT_EQ(at(299, 0), 0x404040u);
}

TEST(FillDisplayBitmap, AnImageWithoutCellsCountsAsNone)
{
    const PixelBuffer bitmap = Composed({}, {0, 5}, ColorTable{}, {440, 340}).bitmap;
    ASSERT_EQ(bitmap.width, 60);  // the aspect still follows the image's sides, 1 × 5
    ASSERT_EQ(bitmap.height, 300);
    EXPECT_EQ(bitmap.pixels[0], 0x000000u);
    EXPECT_EQ(bitmap.pixels[10], 0x404040u);
}

TEST(FillDisplayBitmap, BoxAveragesReduceAndEnlargeAsWritten)
{
    // 3 cells to 2 pixels: cell 0 alone, then cells 1 and 2 averaged.
    const PixelBuffer three = ImageOf(3, 1, {0x102030, 0x000000, 0x0000FF});
    EXPECT_EQ(PixelsOf(ResampledTo(three, {2, 1})), (std::vector<uint32_t>{0x102030, 0x00007F}));
    // 2 cells to 5 pixels: each pixel takes the cell at or below its scaled position.
    const PixelBuffer two = ImageOf(1, 2, {0x111111, 0x222222});
    EXPECT_EQ(PixelsOf(ResampledTo(two, {1, 5})),
              (std::vector<uint32_t>{0x111111, 0x111111, 0x111111, 0x222222, 0x222222}));
    // Channels are averaged separately and truncated: (255 + 254 + 0 + 1) / 4 = 127.
    const PixelBuffer block = ImageOf(2, 2, {0xFF00FF, 0xFE0001, 0x000001, 0x01FF00});
    EXPECT_EQ(PixelsOf(ResampledTo(block, {1, 1})), (std::vector<uint32_t>{0x7F3F40}));
}

TEST(FillDisplayBitmap, MatchesTheLiteralBoxAverageWholeOrARowAtATimeFromItsImageRows)
{
    struct Case {
        int32_t w, h, W, H;
    };
    const Case cases[] = {
        {960, 800, 792, 660},                        // blocks of one or two cells each way
        {7, 5, 3, 2},                                // odd reductions
        {97, 31, 40, 60},                            // reduced across, enlarged down
        {5, 3, 11, 7},                               // odd enlargements
        {13, 9, 1, 1},                               // everything into one pixel
        {1, 1, 13, 9},                               // one cell everywhere
        {1000, 3, 7, 200},    {301, 299, 300, 300},  // one span of two in each direction
        {200, 150, 2, 1},                            // boxes of 15,000 cells
        {300, 101, 1, 3},
    };
    uint32_t seed = 2;
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.w << "x" << c.h << " -> " << c.W << "x" << c.H);
        const std::vector<uint32_t> colors = RandomColors(int64_t{c.w} * c.h, seed++);
        const PixelBuffer bitmap = ResampledTo(ImageOf(c.w, c.h, colors), {c.W, c.H});
        EXPECT_EQ(PixelsOf(bitmap), literal::BoxAverage(colors, c.w, c.h, c.W, c.H));
        const BoxResampler resampler({c.w, c.h}, {c.W, c.H});
        std::vector<uint32_t> byRows(static_cast<size_t>(c.W) * c.H);
        for (int32_t y = 0; y < c.H; ++y) {
            const RowRange rows = ImageRowsOf({y, y + 1}, c.h, c.H);
            const std::vector<uint32_t> band(colors.begin() + int64_t{rows.first} * c.w,
                                             colors.begin() + int64_t{rows.last} * c.w);
            resampler.Fill(band.data(), rows.first, {y, y + 1}, byRows.data() + int64_t{y} * c.W);
        }
        EXPECT_EQ(byRows, PixelsOf(bitmap));
    }
}

TEST(FillDisplayBitmap, AUniformImageKeepsItsColourAtEveryScale)
{
    // Every channel sum is an exact multiple of the box size; white fills every channel to
    // its limit, also in boxes of 8,224 and 8,225 cells.
    const Size sizes[][2] = {
        {{8224, 1}, {1, 1}}, {{8225, 1}, {1, 1}},      {{91, 91}, {1, 1}}, {{100, 100}, {3, 7}},
        {{7, 5}, {3, 2}},    {{960, 800}, {792, 660}}, {{2, 3}, {9, 4}},
    };
    for (uint32_t color : {0xFFFFFFu, 0x7F0180u}) {
        for (const auto& [imageSize, bitmapSize] : sizes) {
            SCOPED_TRACE(testing::Message()
                         << std::hex << color << std::dec << " " << imageSize.width << "x" << imageSize.height);
            const int64_t cells = int64_t{imageSize.width} * imageSize.height;
            const PixelBuffer image = ImageOf(imageSize.width, imageSize.height, std::vector<uint32_t>(cells, color));
            for (uint32_t pixel : PixelsOf(ResampledTo(image, bitmapSize))) {
                ASSERT_EQ(pixel, color);
            }
        }
    }
}

TEST(RowsOf, ImageAndBitmapRowsFollowTheLiteralSpans)
{
    for (const auto& [h, H] : {std::pair{7, 3}, {3, 7}, {5, 5}, {1, 4}, {4, 1}, {10, 4}, {4, 10}}) {
        SCOPED_TRACE(testing::Message() << h << " image rows, " << H << " bitmap rows");
        std::vector<std::pair<int32_t, int32_t>> spans;  // as the literal box average takes them
        for (int32_t y = 0; y < H; ++y) {
            const int32_t first = y * h / H;
            spans.emplace_back(first, std::max((y + 1) * h / H, first + 1));
        }
        for (int32_t y = 0; y < H; ++y) {
            EXPECT_EQ(Bounds(ImageRowsOf({y, y + 1}, h, H)), spans[y]);
            for (int32_t last = y + 1; last <= H; ++last) {
                EXPECT_EQ(Bounds(ImageRowsOf({y, last}, h, H)), std::pair(spans[y].first, spans[last - 1].second));
            }
        }
        for (int32_t row = 0; row < h; ++row) {
            const auto takes = [row](const std::pair<int32_t, int32_t>& span) {
                return span.first <= row && row < span.second;
            };
            const auto first = static_cast<int32_t>(std::find_if(spans.begin(), spans.end(), takes) - spans.begin());
            const auto last = static_cast<int32_t>(spans.rend() - std::find_if(spans.rbegin(), spans.rend(), takes));
            EXPECT_EQ(Bounds(BitmapRowsOf({row, row + 1}, h, H)), std::pair(first, last));
        }
    }
    // All the rows of a bitmap without pixels take the whole image; no rows take none.
    EXPECT_EQ(Bounds(ImageRowsOf({0, 0}, 5, 0)), std::pair(0, 5));
    EXPECT_EQ(Bounds(ImageRowsOf({0, -5}, 5, -5)), std::pair(0, 5));
    EXPECT_EQ(Bounds(ImageRowsOf({2, 2}, 5, 4)), std::pair(0, 0));
}

TEST(ComposePicture, AGridThatFitsExactlyIsCopiedOneToOne)
{
    const std::vector<int32_t> levels = RandomLevels(660 * 660, 1);
    const ColorTable table = DistinctColors(1);
    const PixelBuffer bitmap = Composed(levels, {660, 660}, table, {1000, 700}).bitmap;
    ASSERT_EQ(bitmap.width, 660);
    ASSERT_EQ(bitmap.height, 660);
    EXPECT_EQ(PixelsOf(bitmap), ColorsOf(levels, table));
}

TEST(ComposePicture, ClientAreasWithinTheMarginsGiveEmptyBitmaps)
{
    const std::vector<int32_t> levels = {1, 0};
    ColorTable table{};
    table[1] = 0xFFFFFF;
    for (Size client : {Size{40, 40}, Size{140, 40}, Size{30, 30}, Size{30, 140}}) {
        const WindowPicture picture = Composed(levels, {2, 1}, table, client);
        EXPECT_EQ(picture.bitmap.pixels, nullptr);
        // The image is coloured all the same, for a client area it fits in later.
        EXPECT_EQ(PixelsOf(picture.image), (std::vector<uint32_t>{0xFFFFFF, 0x000000}));
        EXPECT_EQ(Composed({}, {0, 0}, table, client).bitmap.pixels, nullptr);
    }
    // Shorter than the margins only: the full available width, the height of the aspect.
    const PixelBuffer shortArea = Composed(levels, {2, 1}, table, {100, 30}).bitmap;
    ASSERT_EQ(shortArea.width, 60);
    ASSERT_EQ(shortArea.height, 30);
    EXPECT_EQ(shortArea.pixels[29 * 60 + 29], 0xFFFFFFu);
    EXPECT_EQ(shortArea.pixels[29 * 60 + 30], 0x000000u);
}

// A grid and the client area its picture is fitted to.
struct GridInClient {
    Size grid;
    Size client;
};

constexpr GridInClient kFittedGrids[] = {
    {{960, 800}, {1000, 700}},  // reduced by one or two cells
    {{7, 3}, {300, 200}},       // enlarged
    {{301, 299}, {340, 340}},   // one span of two each way
    {{40, 900}, {100, 140}},    // tall boxes
};

testing::Message Named(const GridInClient& c)
{
    return testing::Message() << c.grid.width << "x" << c.grid.height << " in " << c.client.width << "x"
                              << c.client.height;
}

TEST(ComposePicture, WholeOrInBandsInAnyOrderGivesTheLiteralPicture)
{
    std::mt19937 random(3);
    uint32_t seed = 4;
    for (const GridInClient& c : kFittedGrids) {
        SCOPED_TRACE(Named(c));
        const std::vector<int32_t> levels = RandomLevels(int64_t{c.grid.width} * c.grid.height, seed);
        const ColorTable table = DistinctColors(seed++);
        const Size size = FitBitmapSize(c.client, kMargins, c.grid);
        const std::vector<uint32_t> expected = literal::BoxAverage(ColorsOf(levels, table), c.grid.width, c.grid.height,
                                                                   size.width, size.height);
        EXPECT_EQ(PixelsOf(Composed(levels, c.grid, table, c.client).bitmap), expected);

        // Bands between random cuts, in random order, over an image whose rows are all wrong
        // until a band colours them.
        WindowPicture banded;
        AllocPicture(banded, c.grid, c.client);
        std::fill_n(banded.image.pixels.get(), banded.image.PixelCount(), 0xFF00FFu);
        std::vector<int32_t> cuts = {0, size.height};
        for (int i = 0; i < 6; ++i) {
            cuts.push_back(static_cast<int32_t>(random() % static_cast<uint32_t>(size.height)));
        }
        std::sort(cuts.begin(), cuts.end());
        std::vector<RowRange> bands;
        for (size_t i = 1; i < cuts.size(); ++i) {
            bands.push_back({cuts[i - 1], cuts[i]});
        }
        std::shuffle(bands.begin(), bands.end(), random);
        for (RowRange band : bands) {
            ComposePictureRows([&levels](int64_t index) { return levels.at(static_cast<size_t>(index)); }, table,
                               banded, band);
        }
        EXPECT_EQ(PixelsOf(banded.bitmap), expected);
    }
}

// A band composed after only some image rows' levels changed, while the levels of the others
// change too: the changed rows are coloured, every other keeps its colours, and the bitmap is the
// literal one of that image. A reduced picture's band takes image rows beside the changed ones,
// and without a bitmap it takes them all.
TEST(ComposePicture, ABandColoursOnlyTheChangedImageRowsAndFillsTheBitmapRowsTheyReach)
{
    std::vector<GridInClient> cases(std::begin(kFittedGrids), std::end(kFittedGrids));
    cases.push_back({{50, 20}, {30, 30}});  // no bitmap
    uint32_t seed = 11;
    for (const GridInClient& c : cases) {
        SCOPED_TRACE(Named(c));
        const int64_t cells = int64_t{c.grid.width} * c.grid.height;
        const std::vector<int32_t> before = RandomLevels(cells, seed++);
        const std::vector<int32_t> after = RandomLevels(cells, seed++);
        const ColorTable table = DistinctColors(seed++);
        WindowPicture picture = Composed(before, c.grid, table, c.client);

        const RowRange changed{c.grid.height / 3, c.grid.height / 3 + std::max(c.grid.height / 5, 1)};
        const RowRange band = BitmapRowsOf(changed, c.grid.height, picture.bitmap.height);
        ComposePictureRows([&after](int64_t index) { return after.at(static_cast<size_t>(index)); }, table, picture,
                           band, changed);

        std::vector<uint32_t> expected = ColorsOf(before, table);
        const std::vector<uint32_t> changedColors = ColorsOf(after, table);
        std::copy(changedColors.begin() + int64_t{changed.first} * c.grid.width,
                  changedColors.begin() + int64_t{changed.last} * c.grid.width,
                  expected.begin() + int64_t{changed.first} * c.grid.width);
        EXPECT_EQ(PixelsOf(picture.image), expected);
        const PixelBuffer& bitmap = picture.bitmap;
        if (bitmap.PixelCount() > 0) {
            EXPECT_EQ(PixelsOf(bitmap),
                      literal::BoxAverage(expected, c.grid.width, c.grid.height, bitmap.width, bitmap.height));
        }
    }
}

}  // namespace
