#include "job/shading.h"
#include "core/orbit_density.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

std::vector<int32_t> Shaded(const Shader& shader, const std::vector<uint64_t>& hits)
{
    std::vector<int32_t> levels(hits.size(), -1);
    shader.Shade(hits.data(), static_cast<int32_t>(hits.size()), levels.data());
    return levels;
}

TEST(Shader, LevelsAreTheWindowsAndLogIsFullWhereTheySaturate)
{
    const std::vector<uint64_t> hits = {0, 1, 49, 50, 1000, 12749, 12750, 12751, uint64_t{1} << 40};
    std::vector<int32_t> window;
    for (const uint64_t cell : hits) {
        window.push_back(LevelFromHits(static_cast<int64_t>(cell)));
    }
    EXPECT_EQ(Shaded(Shader(Shading::Levels), hits), window);
    // trunc(255 × ln(1 + hits) ÷ ln(12751)): 18.697, 105.52, 106.06, 186.36, 254.998.
    EXPECT_EQ(Shaded(Shader(Shading::Log), hits), (std::vector<int32_t>{0, 18, 105, 106, 186, 254, 255, 255, 255}));
}

// The fewest hits of the picture give 0, the most 255, and the values between their share of
// the cells; a picture of one value is all 0.
TEST(Shader, EqualizationSpreadsTheLevelsByThePicturesOwnHits)
{
    HitsHistogram histogram;
    const std::vector<uint64_t> first = {0, 0, 0, 5, 9};
    const std::vector<uint64_t> second = {0, 0, 0, 5, 9};
    histogram.Add(first.data(), 5);
    histogram.Add(second.data(), 5);
    // 6 cells of 0, 8 of 5 or fewer (and of 7), 10 of 9 or fewer: 255 × (8 − 6) ÷ (10 − 6) = 127.
    EXPECT_EQ(Shaded(Shader(histogram), {9, 5, 0, 7}), (std::vector<int32_t>{255, 127, 0, 127}));

    HitsHistogram flat;
    flat.Add(first.data(), 3);
    EXPECT_EQ(Shaded(Shader(flat), {0, 0}), (std::vector<int32_t>{0, 0}));
}

TEST(Shadings, AreFoundByTheirNames)
{
    for (const ShadingRow& row : kShadings) {
        EXPECT_EQ(FindShading(row.name), row.shading);
        EXPECT_EQ(ShadingName(row.shading), row.name);
    }
    EXPECT_FALSE(FindShading("Log"));
}

}  // namespace
