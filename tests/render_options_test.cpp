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

}  // namespace
