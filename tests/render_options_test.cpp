#include "tools/render_options.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numeric>
#include <string>
#include <vector>

namespace {

// The options read, or the message of what is wrong with them.
struct Parsed {
    RenderOptions options;
    std::string error;
};

Parsed Parse(std::vector<std::string_view> args)
{
    Result<RenderOptions> parsed = ParseRenderOptions(args);
    return parsed ? Parsed{*parsed, ""} : Parsed{{}, parsed.Error().Message()};
}

TEST(RenderOptions, ReadsRegionGridAndLevels)
{
    const Parsed r = Parse(
        {"--region", "+1", "4", "0", "+3e+0", "--grid", "660x330", "--levels", "d.pgm", "--counts", "c.npy"});
    ASSERT_EQ(r.error, "");
    EXPECT_EQ(r.options.computation.region.xmin, 0.0);
    EXPECT_EQ(r.options.computation.region.ymin, 3.0);
    EXPECT_EQ(r.options.computation.region.xmax, 1.0);
    EXPECT_EQ(r.options.computation.region.ymax, 4.0);
    EXPECT_EQ(r.options.computation.grid.width, 660);
    EXPECT_EQ(r.options.computation.grid.height, 330);
    EXPECT_EQ(r.options.levelsPath, "d.pgm");
    EXPECT_EQ(r.options.countsPath, "c.npy");
}

TEST(RenderOptions, DefaultRegionIsTheProgramsDefault)
{
    const Parsed r = Parse({"--grid", "2x2", "--levels", "d.pgm"});
    ASSERT_EQ(r.error, "");
    EXPECT_EQ(r.options.computation.region.xmin, 0.0);
    EXPECT_EQ(r.options.computation.region.ymax, 4.0);
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
        {{"--grid", "2x2", "--stripes", "2", "--shard", "0/2", "--lyapunov", "l", "-o", "a"},
         "only --lyapunov writes a shard's rows"},
        {{"--grid", "2x2", "--lyapunov-strip", "--lyapunov", "l"}, "--lyapunov-strip is drawn beside the picture"},
        {{"--zoom-to", "0", "3", "1", "4", "--frames", "3", "--grid", "2x2", "--lyapunov", "l.csv"}, "has no field"},
        {{"--from", "a.rows", "--grid", "2x2", "-o", "a"}, "leave out --grid"},
        {{"--zoom-to", "0", "3", "1", "4", "--grid", "2x2", "-o", "f%d"}, "needs both --zoom-to"},
        {{"--zoom-to", "0", "3", "0", "4", "--frames", "3", "--grid", "2x2", "-o", "f%d"}, "X0 and X1 are equal"},
        {{"--zoom-to", "0", "3", "1", "4", "--frames", "3", "--grid", "2x2", "-o", "f.png"}, "has no field"},
        {{"--zoom-to", "0", "3", "1", "4", "--frames", "3", "--grid", "2x2", "-o", "f%d-%d"}, "more than one field"},
        {{"--zoom-to", "0", "3", "1", "4", "--frames", "3", "--grid", "2x2", "-o", "f%s"}, "begins no field"},
        {{"--zoom-to", "0", "3", "1", "4", "--frames", "3", "--grid", "2x2", "--levels", "-", "-o", "-"},
         "--levels and -o cannot both stream"},
        {{"--zoom-to", "0", "3", "1", "4", "--frames", "3", "--grid", "2x2", "--counts", "-", "-o", "-"},
         "--counts and -o cannot both stream"},
        {{"--zoom-to", "0", "3", "1", "4", "--frames", "3", "--grid", "2x2", "--counts", "c.npy"}, "has no field"},
        // Finite corners whose extent a double cannot hold give no picture.
        {{"--region", "-1e308", "3", "1e308", "4", "--grid", "2x2", "--levels", "a"},
         "XMIN and XMAX are too far apart"},
        {{"--region", "0", "3", "1e-310", "4", "--grid", "2x2", "--levels", "a"}, "XMIN and XMAX are too close"},
        {{"--region", "0", "-1e308", "1", "1e308", "--grid", "2x2", "--levels", "a"},
         "YMIN and YMAX are too far apart"},
        {{"--zoom-to", "0", "3", "5e-324", "4", "--frames", "3", "--grid", "2x2", "-o", "f%d"},
         "X0 and X1 are too close"},
        // An option is no file name of --from.
        {{"--from", "-o", "z.png"}, "--from needs a rows file"},
    };
    for (const auto& [args, message] : bad) {
        const Parsed r = Parse(args);
        EXPECT_NE(r.error.find(message), std::string::npos) << "got: " << r.error;
    }
}

TEST(RenderOptions, FitSizesTheGridAsTheWindowDoes)
{
    const Parsed r = Parse({"--fit", "1000x700", "--threads", "2", "--levels", "d.pgm"});
    ASSERT_EQ(r.error, "");
    EXPECT_EQ(r.options.computation.grid.width, 660);
    EXPECT_EQ(r.options.computation.grid.height, 660);
    EXPECT_EQ(r.options.threads, 2);
    const Parsed wide = Parse({"--region", "0", "3", "1.2", "4", "--fit", "1000x700", "--levels", "d"});
    EXPECT_EQ(wide.options.computation.grid.width, 960);
    EXPECT_EQ(wide.options.computation.grid.height, 800);
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
    const Parsed r = Parse({"--grid", "2x2", "-o", "p.png", "--scheme", "green", "--reverse"});
    ASSERT_EQ(r.error, "");
    EXPECT_EQ(r.options.picturePath, "p.png");
    EXPECT_EQ(r.options.style.scheme, ColorScheme::Green);
    EXPECT_TRUE(r.options.style.reverse);
    const Parsed defaults = Parse({"--grid", "2x2", "-o", "p.png"});
    EXPECT_EQ(defaults.options.style.scheme, ColorScheme::Blue);
    EXPECT_FALSE(defaults.options.style.reverse);
}

TEST(RenderOptions, AcceptsTheLargestGrids)
{
    EXPECT_EQ(Parse({"--grid", "65536x8192", "--levels", "a"}).error, "");
    EXPECT_EQ(Parse({"--grid", "1x65536", "--levels", "a"}).error, "");
}

TEST(RenderOptions, StripesAndThreadsAreApart)
{
    const Parsed r = Parse({"--grid", "2x2", "--stripes", "7", "--threads", "3", "--levels", "-"});
    ASSERT_EQ(r.error, "");
    EXPECT_EQ(r.options.computation.stripes, 7);
    EXPECT_EQ(r.options.threads, 3);
    EXPECT_EQ(r.options.levelsPath, "-");
}

TEST(RenderOptions, TheReproducingCommandReadsBackToTheSamePicture)
{
    const Parsed r = Parse({"--region", "0.4", "3.8", "0.6", "3.9", "--fit", "300x200", "--threads", "2", "--scheme",
                            "magma", "--reverse", "--shade", "log", "--lyapunov-strip", "-o", "z.png"});
    ASSERT_EQ(r.error, "");
    const std::string command = ReproducingCommand(
        {r.options.computation.region, r.options.computation.grid, r.options.computation.client, 3, {}},
        r.options.style);
    EXPECT_EQ(command,
              "corvalis-render --region 0.40000000000000002 3.7999999999999998 0.59999999999999998 "
              "3.8999999999999999 --fit 300x200 --stripes 3 --scheme magma --reverse --shade log --lyapunov-strip");
    std::vector<std::string> words;
    for (size_t start = 0, end = 0; end != std::string::npos; start = end + 1) {
        end = command.find(' ', start);
        words.push_back(command.substr(start, end - start));
    }
    std::vector<std::string_view> args(words.begin() + 1, words.end());
    args.insert(args.end(), {"-o", "again.png"});
    const Parsed again = Parse(args);
    ASSERT_EQ(again.error, "");
    EXPECT_EQ(ReproducingCommand(again.options.computation, again.options.style), command);
}

// A name with quotes, blanks, a line break or a command in it stays one word that a shell takes
// as it is.
TEST(RenderOptions, ShellWordsQuoteEveryCharacter)
{
    EXPECT_EQ(ShellWord("f.png"), "'f.png'");
    EXPECT_EQ(ShellWord("z'$(touch PWNED)'%d.png"), "'z'\\''$(touch PWNED)'\\''%d.png'");
    EXPECT_EQ(ShellWord("a\nb\tc"), "'a\nb\tc'");
}

TEST(RenderOptions, HelpNeedsNothingElse)
{
    const Parsed r = Parse({"--help"});
    EXPECT_EQ(r.error, "");
    EXPECT_TRUE(r.options.help);
}

}  // namespace
