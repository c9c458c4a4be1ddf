#include "tools/render_options.h"

#include "tools/film.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numeric>
#include <string>
#include <vector>

namespace {

ParseResult Parse(std::vector<std::string_view> args)
{
    return ParseRenderOptions(args);
}

TEST(RenderOptions, ReadsRegionGridAndLevels)
{
    const ParseResult r = Parse({"--region", "+1", "4", "0", "+3e+0", "--grid", "660x330", "--levels", "d.pgm"});
    ASSERT_EQ(r.error, "");
    EXPECT_EQ(r.options.region.xmin, 0.0);
    EXPECT_EQ(r.options.region.ymin, 3.0);
    EXPECT_EQ(r.options.region.xmax, 1.0);
    EXPECT_EQ(r.options.region.ymax, 4.0);
    EXPECT_EQ(r.options.gridWidth, 660);
    EXPECT_EQ(r.options.gridHeight, 330);
    EXPECT_EQ(r.options.levelsPath, "d.pgm");
}

TEST(RenderOptions, DefaultRegionIsTheProgramsDefault)
{
    const ParseResult r = Parse({"--grid", "2x2", "--levels", "d.pgm"});
    ASSERT_EQ(r.error, "");
    EXPECT_EQ(r.options.region.xmin, 0.0);
    EXPECT_EQ(r.options.region.ymax, 4.0);
}

TEST(RenderOptions, RejectsBadInputWithAMessageNamingIt)
{
    const std::vector<std::pair<std::vector<std::string_view>, std::string>> bad = {
        {{"--region", "0", "3", "1"}, "--region needs four numbers"},
        {{"--region", "0", "3", "x", "4", "--grid", "2x2", "--levels", "a"}, "'x' is not a finite number"},
        {{"--region", "0", "3", "inf", "4", "--grid", "2x2", "--levels", "a"}, "'inf' is not"},
        {{"--region", "0", "3", "1,5", "4", "--grid", "2x2", "--levels", "a"}, "'1,5' is not"},
        {{"--region", "0", "3", "+-1", "4", "--grid", "2x2", "--levels", "a"}, "'+-1' is not a finite number"},
        {{"--region", "0", "3", "1e400", "4", "--grid", "2x2", "--levels", "a"}, "'1e400' is not a finite number"},
        {{"--region", "0", "3", "1e-400", "4", "--grid", "2x2", "--levels", "a"}, "'1e-400' is too small"},
        {{"--region", "0", "3", "-0.0001e-320", "4", "--grid", "2x2", "--levels", "a"}, "is too small"},
        {{"--grid", "0x10", "--levels", "a"}, "'0x10' is not a size"},
        {{"--grid", "-5x10", "--levels", "a"}, "'-5x10' is not a size"},
        {{"--grid", "65537x1", "--levels", "a"}, "'65537x1' is not a size"},
        {{"--grid", "10", "--levels", "a"}, "'10' is not a size"},
        {{"--grid"}, "--grid needs a size"},
        {{"--levels"}, "--levels needs a file name"},
        {{"--levels", "a"}, "no grid size"},
        {{"--grid", "2x2"}, "no output"},
        {{"--frobnicate"}, "unknown option '--frobnicate'"},
        {{"--grid", "2x2", "-o", "a.png", "--output", "b.png"}, "-o is given twice"},
        {{"--grid", "2x2", "--grid", "3x3", "--levels", "a"}, "--grid is given twice"},
        {{"--reverse", "--reverse", "--grid", "2x2", "-o", "a"}, "--reverse is given twice"},
        {{"--region", "0.5", "3", "0.5", "4", "--grid", "2x2", "--levels", "a"}, "has no width"},
        {{"--region", "0", "3.5", "1", "3.5", "--fit", "100x100", "--levels", "a"}, "has no height"},
        {{"--stripes", "0", "--grid", "2x2", "--levels", "a"}, "'0' is not a whole number from 1 to 1024"},
        {{"--grid", "2x2", "--shard", "0/2", "--rows", "r"}, "--shard needs --stripes"},
        {{"--grid", "2x2", "--stripes", "2", "--shard", "0/2", "--levels", "a"}, "--shard needs --rows"},
        {{"--from", "a.rows", "--grid", "2x2", "-o", "a"}, "leave out --grid"},
        {{"--zoom-to", "0", "3", "1", "4", "--grid", "2x2", "-o", "f%d"}, "needs both --zoom-to"},
        {{"--zoom-to", "0", "3", "0", "4", "--frames", "3", "--grid", "2x2", "-o", "f%d"}, "X0 and X1 are equal"},
        {{"--zoom-to", "0", "3", "1", "4", "--frames", "3", "--grid", "2x2", "-o", "f.png"}, "has no field"},
        {{"--zoom-to", "0", "3", "1", "4", "--frames", "3", "--grid", "2x2", "-o", "f%d-%d"}, "more than one field"},
        {{"--zoom-to", "0", "3", "1", "4", "--frames", "3", "--grid", "2x2", "-o", "f%s"}, "begins no field"},
        {{"--zoom-to", "0", "3", "1", "4", "--frames", "3", "--grid", "2x2", "--levels", "-", "-o", "-"}, "cannot both"},
    };
    for (const auto& [args, message] : bad) {
        const ParseResult r = Parse(args);
        EXPECT_NE(r.error.find(message), std::string::npos) << "got: " << r.error;
    }
}

TEST(RenderOptions, FitSizesTheGridAsTheWindowDoes)
{
    const ParseResult r = Parse({"--fit", "1000x700", "--threads", "2", "--levels", "d.pgm"});
    ASSERT_EQ(r.error, "");
    EXPECT_EQ(r.options.gridWidth, 660);
    EXPECT_EQ(r.options.gridHeight, 660);
    EXPECT_EQ(r.options.threads, 2);
    const ParseResult wide = Parse({"--region", "0", "3", "1.2", "4", "--fit", "1000x700", "--levels", "d"});
    EXPECT_EQ(wide.options.gridWidth, 960);
    EXPECT_EQ(wide.options.gridHeight, 800);
}

TEST(RenderOptions, RejectsFitsAndThreadCountsThatCannotWork)
{
    EXPECT_NE(Parse({"--fit", "40x700", "--levels", "a"}).error, "");
    EXPECT_NE(Parse({"--fit", "100x100", "--grid", "2x2", "--levels", "a"}).error, "");
    // A region without x extent fits no columns.
    EXPECT_NE(Parse({"--region", "0.5", "3", "0.5", "4", "--fit", "100x100", "--levels", "a"}).error, "");
    EXPECT_NE(Parse({"--threads", "0", "--grid", "2x2", "--levels", "a"}).error, "");
    EXPECT_NE(Parse({"--threads", "1025", "--grid", "2x2", "--levels", "a"}).error, "");
}

TEST(RenderOptions, PictureOptionsPickTheScale)
{
    const ParseResult r = Parse({"--grid", "2x2", "-o", "p.png", "--scheme", "green", "--reverse"});
    ASSERT_EQ(r.error, "");
    EXPECT_EQ(r.options.picturePath, "p.png");
    EXPECT_EQ(r.options.scheme, ColorScheme::Green);
    EXPECT_EQ(r.options.reverse, 1);
    const ParseResult defaults = Parse({"--grid", "2x2", "-o", "p.png"});
    EXPECT_EQ(defaults.options.scheme, ColorScheme::Blue);
    EXPECT_EQ(defaults.options.reverse, 0);
}

TEST(RenderOptions, AcceptsTheLargestGrids)
{
    EXPECT_EQ(Parse({"--grid", "65536x8192", "--levels", "a"}).error, "");
    EXPECT_EQ(Parse({"--grid", "1x65536", "--levels", "a"}).error, "");
}

TEST(RenderOptions, StripesAndThreadsAreApart)
{
    const ParseResult r = Parse({"--grid", "2x2", "--stripes", "7", "--threads", "3", "--levels", "-"});
    ASSERT_EQ(r.error, "");
    EXPECT_EQ(r.options.stripes, 7);
    EXPECT_EQ(r.options.threads, 3);
    EXPECT_EQ(r.options.levelsPath, "-");
}

TEST(RenderOptions, TheReproducingCommandReadsBackToTheSamePicture)
{
    const ParseResult r = Parse({"--region", "0.4", "3.8", "0.6", "3.9", "--fit", "300x200", "--threads", "2",
                                 "--scheme", "green", "--reverse", "-o", "z.png"});
    ASSERT_EQ(r.error, "");
    const std::string command = ReproducingCommand(r.options, 3);
    EXPECT_EQ(command, "corvalis-render --region 0.40000000000000002 3.7999999999999998 0.59999999999999998 "
                       "3.8999999999999999 --fit 300x200 --stripes 3 --scheme green --reverse");
    std::vector<std::string> words;
    for (size_t start = 0, end = 0; end != std::string::npos; start = end + 1) {
        end = command.find(' ', start);
        words.push_back(command.substr(start, end - start));
    }
    std::vector<std::string_view> args(words.begin() + 1, words.end());
    args.insert(args.end(), {"-o", "again.png"});
    const ParseResult again = Parse(args);
    ASSERT_EQ(again.error, "");
    EXPECT_EQ(ReproducingCommand(again.options, again.options.stripes), command);
}

TEST(RenderOptions, HelpNeedsNothingElse)
{
    const ParseResult r = Parse({"--help"});
    EXPECT_EQ(r.error, "");
    EXPECT_TRUE(r.options.help);
}


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
    EXPECT_EQ(PatternFault("frames/f%05d.png"), std::nullopt);
    EXPECT_EQ(FrameName("frames/f%05d.png", 42), "frames/f00042.png");
    EXPECT_EQ(FrameName("100%%-%3d.pgm", 7), "100%-  7.pgm");
    EXPECT_EQ(FrameName("%d", 123456), "123456");
    for (std::string_view bad : {"f.png", "%d%d", "f%", "%x", "%00d", "%5", "%%d"}) {
        EXPECT_NE(PatternFault(bad), std::nullopt) << bad;
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
