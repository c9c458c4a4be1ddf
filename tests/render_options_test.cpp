#include "tools/render_options.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

ParseResult Parse(std::vector<std::string_view> args)
{
    return ParseRenderOptions(args);
}

TEST(RenderOptions, ReadsRegionGridAndLevels)
{
    const ParseResult r = Parse({"--region", "1", "4", "0", "3", "--grid", "660x330", "--levels", "d.pgm"});
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
        {{"--grid", "0x10", "--levels", "a"}, "'0x10' is not a size"},
        {{"--grid", "-5x10", "--levels", "a"}, "'-5x10' is not a size"},
        {{"--grid", "65537x1", "--levels", "a"}, "'65537x1' is not a size"},
        {{"--grid", "10", "--levels", "a"}, "'10' is not a size"},
        {{"--grid", "65536x65536", "--levels", "a"}, "more than 536870912 cells"},
        {{"--grid"}, "--grid needs a size"},
        {{"--levels"}, "--levels needs a file name"},
        {{"--levels", "a"}, "no grid size"},
        {{"--grid", "2x2"}, "no output"},
        {{"--frobnicate"}, "unknown option '--frobnicate'"},
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

TEST(RenderOptions, AcceptsTheLargestGrids)
{
    EXPECT_EQ(Parse({"--grid", "65536x8192", "--levels", "a"}).error, "");
    EXPECT_EQ(Parse({"--grid", "1x65536", "--levels", "a"}).error, "");
}

TEST(RenderOptions, HelpNeedsNothingElse)
{
    const ParseResult r = Parse({"--help"});
    EXPECT_EQ(r.error, "");
    EXPECT_TRUE(r.options.help);
}

}  // namespace
