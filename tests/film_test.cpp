#include "job/film.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

// A film neither drifts nor jumps: every frame's extents are the one before times the same
// factor, the first and last frames are the regions given, and the point the zoom keeps still
// sits at the same place of every frame.
TEST(Film, FramesZoomSteadilyAboutOneStillPoint)
{
    const CalcRegion first{0.0, 3.0, 1.0, 4.0};
    const CalcRegion last{0.6, 3.85, 0.601, 3.851};
    const int32_t frames = 48;
    EXPECT_EQ(FrameRegion(first, last, 0, frames), first);
    EXPECT_EQ(FrameRegion(first, last, frames - 1, frames), last);
    const double ratio = std::pow(0.001, 1.0 / (frames - 1));
    // The still point: where the first region's place (u, v) is the last region's too.
    const double u = (last.xmin - first.xmin) / ((first.xmax - first.xmin) - (last.xmax - last.xmin));
    const double v = (last.ymin - first.ymin) / ((first.ymax - first.ymin) - (last.ymax - last.ymin));
    const double stillX = first.xmin + u * (first.xmax - first.xmin);
    const double stillY = first.ymin + v * (first.ymax - first.ymin);
    for (int32_t frame = 1; frame < frames; ++frame) {
        const CalcRegion before = FrameRegion(first, last, frame - 1, frames);
        const CalcRegion region = FrameRegion(first, last, frame, frames);
        EXPECT_NEAR((region.xmax - region.xmin) / (before.xmax - before.xmin), ratio, 1e-9) << frame;
        EXPECT_NEAR((region.ymax - region.ymin) / (before.ymax - before.ymin), ratio, 1e-9) << frame;
        EXPECT_NEAR((stillX - region.xmin) / (region.xmax - region.xmin), u, 1e-9) << frame;
        EXPECT_NEAR((stillY - region.ymin) / (region.ymax - region.ymin), v, 1e-9) << frame;
    }
    // An axis that keeps its extent moves by equal steps.
    const CalcRegion slid = FrameRegion({0.0, 3.0, 1.0, 4.0}, {0.5, 3.0, 1.5, 4.0}, 1, 3);
    EXPECT_EQ(slid.xmin, 0.25);
    EXPECT_EQ(slid.xmax, 1.25);
}

TEST(Film, PatternsNameEachFrame)
{
    EXPECT_TRUE(CheckPattern("frames/f%05d.png"));
    EXPECT_EQ(FrameName("frames/f%05d.png", 42), "frames/f00042.png");
    EXPECT_EQ(FrameName("100%%-%3d.pgm", 7), "100%-  7.pgm");
    EXPECT_EQ(FrameName("%d", 123456), "123456");
    for (std::string_view bad : {"f.png", "%d%d", "f%", "%x", "%00d", "%5", "%%d"}) {
        EXPECT_FALSE(CheckPattern(bad)) << bad;
    }
}

// Every frame goes to exactly one shard, and no shard costs more than another by more than its
// costliest frame.
TEST(Film, ShardsGetEveryFrameOnceAndAboutTheSameCost)
{
    std::vector<double> costs;
    for (int32_t frame = 0; frame < 48; ++frame) {
        costs.push_back(FrameCost({200, 150}, std::pow(0.86, frame)));
    }
    for (int32_t shards : {1, 3, 5}) {
        std::vector<int32_t> seen(costs.size());
        std::vector<double> loads;
        for (int32_t shard = 0; shard < shards; ++shard) {
            double load = 0.0;
            for (int32_t frame : FramesOfShard(costs, shard, shards)) {
                ++seen[static_cast<size_t>(frame)];
                load += costs[static_cast<size_t>(frame)];
            }
            loads.push_back(load);
        }
        EXPECT_EQ(std::count(seen.begin(), seen.end(), 1), static_cast<long>(costs.size()));
        const auto [least, most] = std::minmax_element(loads.begin(), loads.end());
        EXPECT_LE(*most - *least, costs.back()) << shards << " shards";
    }
}

}  // namespace
