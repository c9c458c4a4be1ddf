// Cost of recolouring a 2,000 × 2,000 grid and of resampling it to a 1,920 × 1,080 client area,
// with the box average written literally as the baseline of the resample.
#include "render/image_pipeline.h"
#include "core/level_grid.h"
#include "literal_box_average.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

namespace {

constexpr int32_t kGridSide = 2000;
constexpr Size kClient{1920, 1080};
constexpr Margins kMargins{20, 20};

// Levels with the spread of a real diagram: every value 0..255, no regular pattern.
std::vector<int32_t> MakeLevels()
{
    std::vector<int32_t> levels(static_cast<size_t>(kGridSide) * kGridSide);
    uint32_t state = 12345;
    for (int32_t& level : levels) {
        state = state * 1664525u + 1013904223u;
        level = static_cast<int32_t>(state >> 24);
    }
    return levels;
}

// Time per item, shown as seconds with an SI prefix (n = nanoseconds).
benchmark::Counter TimePer(int64_t items)
{
    return benchmark::Counter(static_cast<double>(items),
                              benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void BM_Colorize(benchmark::State& state)
{
    std::vector<int32_t> levels = MakeLevels();
    const ColorTable table = MakeColorTable(ColorScheme::Blue, false);
    PixelBuffer image;
    for (auto _ : state) {
        AllocPixels(image, {kGridSide, kGridSide});
        ColorizeLevels(SharedLevels{levels.data()}, table, image);
        benchmark::DoNotOptimize(image.pixels.get());
        benchmark::ClobberMemory();
    }
    state.counters["per_cell"] = TimePer(image.PixelCount());
}
BENCHMARK(BM_Colorize)->Unit(benchmark::kMillisecond);

void BM_Resample(benchmark::State& state)
{
    std::vector<int32_t> levels = MakeLevels();
    WindowPicture picture;
    AllocPixels(picture.image, {kGridSide, kGridSide});
    ColorizeLevels(SharedLevels{levels.data()}, MakeColorTable(ColorScheme::Blue, false), picture.image);
    const PixelBuffer& bitmap = picture.bitmap;
    for (auto _ : state) {
        FitDisplayBitmap(picture, kClient);
        FillDisplayBitmap(picture.image, picture.bitmap);
        benchmark::DoNotOptimize(bitmap.pixels.get());
        benchmark::ClobberMemory();
    }
    state.counters["per_pixel"] = TimePer(bitmap.PixelCount());
    state.counters["width"] = bitmap.width;
    state.counters["height"] = bitmap.height;
}
BENCHMARK(BM_Resample)->Unit(benchmark::kMillisecond);

void BM_ResampleLiterally(benchmark::State& state)
{
    std::vector<int32_t> levels = MakeLevels();
    const ColorTable table = MakeColorTable(ColorScheme::Blue, false);
    std::vector<uint32_t> image(levels.size());
    for (size_t i = 0; i < levels.size(); ++i) {
        image[i] = table[levels[i]];
    }
    const Size size = FitBitmapSize(kClient, kMargins, {kGridSide, kGridSide});
    for (auto _ : state) {
        const std::vector<uint32_t> bitmap = literal::BoxAverage(image, kGridSide, kGridSide, size.width, size.height);
        benchmark::DoNotOptimize(bitmap.data());
    }
    state.counters["per_pixel"] = TimePer(int64_t{size.width} * size.height);
}
BENCHMARK(BM_ResampleLiterally)->Unit(benchmark::kMillisecond);

}  // namespace
