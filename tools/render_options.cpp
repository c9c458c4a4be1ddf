#include "tools/render_options.h"

#include "core/calc_layout.h"

#include <charconv>
#include <cmath>
#include <set>

const char* const kRenderUsage =
    "usage: corvalis-render [--region XMIN YMIN XMAX YMAX] (--grid WxH | --fit CWxCH)\n"
    "                       [--stripes S] [--threads T] [--quiet] [--levels OUT.pgm]\n"
    "                       [-o OUT.png [--scheme blue|red|green|mono] [--reverse]]\n"
    "\n"
    "Computes the orbit-density diagram of x -> a*x*(1-x) without a window.\n"
    "\n"
    "  --region XMIN YMIN XMAX YMAX  the region: x (orbit value) from XMIN to XMAX,\n"
    "                                parameter a from YMIN to YMAX (default 0 3 1 4);\n"
    "                                each axis is ordered, so the corners may come in any\n"
    "                                order; both axes need an extent\n"
    "  --grid WxH                    compute a grid of W columns and H rows (1..65536 each,\n"
    "                                at most 536870912 cells)\n"
    "  --fit CWxCH                   size the grid as the window does for a view client\n"
    "                                area of CW x CH pixels (margins of 20 pixels each side)\n"
    "  --stripes S                   compute the rows' parameters as the window does with S\n"
    "                                workers, each on its stripe of rows (1..1024; default:\n"
    "                                one per processor, so the picture is the window's here)\n"
    "  --threads T                   how many threads share the rows out (1..1024; default:\n"
    "                                one per processor); the levels never depend on it\n"
    "  -q, --quiet                   no progress line (it shows only on a terminal)\n"
    "  --levels OUT.pgm              write the density levels 0..255 as a binary PGM,\n"
    "                                the largest parameter in the top row\n"
    "  -o, --output OUT.png          write the coloured picture as PNG: with --grid the grid\n"
    "                                one pixel a cell, with --fit the picture the window\n"
    "                                shows in that client area (without margins and label)\n"
    "  --scheme blue|red|green|mono  the colour scale (default blue)\n"
    "  --reverse                     run the colour scale in reverse order\n"
    "  -h, --help                    show this text\n"
    "\n"
    "An output named - goes to standard output (not to a terminal). A FIFO or a device is\n"
    "written in place; a symbolic link is followed; a file is replaced only once every\n"
    "output is complete. Every output is checked before the computation starts.\n"
    "Every PNG carries the program's version (Software) and the command that makes it again\n"
    "byte for byte (Command: add -o FILE) in its text chunks.\n"
    "\n"
    "Ctrl+C or SIGTERM stops the program at once and writes nothing: old files stay as they\n"
    "were. Exit status: 0 done, 2 bad input or an output that cannot be written, 130 or 143\n"
    "stopped by Ctrl+C or SIGTERM.\n";

std::optional<double> ParseFiniteNumber(std::string_view text)
{
    double value = 0.0;
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value, std::chars_format::general);
    if (ec != std::errc() || ptr != end || !std::isfinite(value)) {
        return std::nullopt;
    }
    return value;
}


std::optional<int32_t> ParseWholeNumber(std::string_view text, int32_t least, int32_t most)
{
    int32_t value = 0;
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (text.empty() || ec != std::errc() || ptr != end || value < least || value > most) {
        return std::nullopt;
    }
    return value;
}

std::optional<std::pair<int32_t, int32_t>> ParseSize(std::string_view text)
{
    const size_t cross = text.find('x');
    if (cross == std::string_view::npos) {
        return std::nullopt;
    }
    const auto width = ParseWholeNumber(text.substr(0, cross), 1, kMaxGridSide);
    const auto height = ParseWholeNumber(text.substr(cross + 1), 1, kMaxGridSide);
    if (!width || !height) {
        return std::nullopt;
    }
    return std::pair{*width, *height};
}

namespace {

// The option's own name for the spellings that mean it.
std::string_view CanonicalOption(std::string_view arg)
{
    if (arg == "-h") {
        return "--help";
    }
    if (arg == "--output") {
        return "-o";
    }
    if (arg == "-q") {
        return "--quiet";
    }
    return arg;
}

}  // namespace

ParseResult ParseRenderOptions(const std::vector<std::string_view>& args)
{
    ParseResult result;
    RenderOptions& options = result.options;
    auto fail = [&result](std::string message) {
        result.error = std::move(message);
        return result;
    };
    std::set<std::string_view> given;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string_view arg = CanonicalOption(args[i]);
        const size_t valuesLeft = args.size() - i - 1;
        if (arg.starts_with("-") && !given.insert(arg).second) {
            return fail(std::string(arg) + " is given twice");
        }
        // The value of a whole-number option from 1 to `most`.
        auto count = [&](int32_t most) -> std::optional<int32_t> {
            if (valuesLeft < 1) {
                fail(std::string(arg) + " needs a number");
                return std::nullopt;
            }
            const auto value = ParseWholeNumber(args[++i], 1, most);
            if (!value) {
                fail(std::string(arg) + ": '" + std::string(args[i]) + "' is not a whole number from 1 to " +
                     std::to_string(most));
            }
            return value;
        };
        if (arg == "--help") {
            options.help = true;
        } else if (arg == "--region") {
            if (valuesLeft < 4) {
                return fail("--region needs four numbers: XMIN YMIN XMAX YMAX");
            }
            double corner[4];
            for (int k = 0; k < 4; ++k) {
                const auto value = ParseFiniteNumber(args[i + 1 + k]);
                if (!value) {
                    return fail("--region: '" + std::string(args[i + 1 + k]) +
                                "' is not a finite number");
                }
                corner[k] = *value;
            }
            options.region = OrderedRegion(corner[0], corner[1], corner[2], corner[3]);
            i += 4;
        } else if (arg == "--grid") {
            if (valuesLeft < 1) {
                return fail("--grid needs a size WxH");
            }
            const auto size = ParseSize(args[++i]);
            if (!size) {
                return fail("--grid: '" + std::string(args[i]) +
                            "' is not a size WxH with whole numbers from 1 to 65536");
            }
            options.gridWidth = size->first;
            options.gridHeight = size->second;
        } else if (arg == "--fit") {
            if (valuesLeft < 1) {
                return fail("--fit needs a client area CWxCH");
            }
            const auto size = ParseSize(args[++i]);
            if (!size || size->first <= 2 * kViewMargin || size->second <= 2 * kViewMargin) {
                return fail("--fit: '" + std::string(args[i]) +
                            "' is not a client area CWxCH with whole numbers from 41 to 65536");
            }
            options.clientWidth = size->first;
            options.clientHeight = size->second;
        } else if (arg == "--stripes") {
            const auto stripes = count(kMaxStripes);
            if (!stripes) {
                return result;
            }
            options.stripes = *stripes;
        } else if (arg == "--threads") {
            const auto threads = count(kMaxThreads);
            if (!threads) {
                return result;
            }
            options.threads = *threads;
        } else if (arg == "-o") {
            if (valuesLeft < 1 || args[i + 1].empty()) {
                return fail("-o needs a file name");
            }
            options.picturePath = args[++i];
        } else if (arg == "--scheme") {
            if (valuesLeft < 1) {
                return fail("--scheme needs one of blue, red, green, mono");
            }
            const auto scheme = FindColorScheme(args[++i]);
            if (!scheme) {
                return fail("--scheme: '" + std::string(args[i]) + "' is not one of blue, red, green, mono");
            }
            options.scheme = *scheme;
        } else if (arg == "--reverse") {
            options.reverse = 1;
        } else if (arg == "--quiet") {
            options.quiet = true;
        } else if (arg == "--levels") {
            if (valuesLeft < 1 || args[i + 1].empty()) {
                return fail("--levels needs a file name");
            }
            options.levelsPath = args[++i];
        } else {
            return fail("unknown option '" + std::string(arg) + "' (see --help)");
        }
    }
    if (options.help) {
        return result;
    }
    // A region without extent on an axis has no picture, whatever sizes the grid.
    if (!(options.region.xmax > options.region.xmin)) {
        return fail("--region: XMIN and XMAX are equal, so the region has no width");
    }
    if (!(options.region.ymax > options.region.ymin)) {
        return fail("--region: YMIN and YMAX are equal, so the region has no height");
    }
    if (options.gridWidth != 0 && options.clientWidth != 0) {
        return fail("give either --grid or --fit, not both");
    }
    if (options.clientWidth != 0) {
        const Size grid = *FitGridToClient(options.clientWidth, options.clientHeight, options.region);
        options.gridWidth = grid.width;
        options.gridHeight = grid.height;
        if (grid.width < 1 || grid.height < 1 || grid.width > kMaxGridSide || grid.height > kMaxGridSide) {
            return fail("--fit: the region gives a " + std::to_string(grid.width) + "x" +
                        std::to_string(grid.height) + " grid there, which has no cells or is too large");
        }
    } else if (options.gridWidth == 0) {
        return fail("no grid size: give --grid WxH or --fit CWxCH");
    }
    if (int64_t{options.gridWidth} * options.gridHeight > kMaxGridCells) {
        return fail("the grid " + std::to_string(options.gridWidth) + "x" +
                    std::to_string(options.gridHeight) + " has more than 536870912 cells");
    }
    if (options.levelsPath.empty() && options.picturePath.empty()) {
        return fail("no output: give --levels OUT.pgm or -o OUT.png");
    }
    return result;
}

std::string ReproducingCommand(const RenderOptions& options, int32_t stripes)
{
    std::string command = "corvalis-render --region";
    for (double value : {options.region.xmin, options.region.ymin, options.region.xmax, options.region.ymax}) {
        char text[32];
        const auto written = std::to_chars(text, text + sizeof text, value, std::chars_format::general, 17);
        command += ' ';
        command.append(text, written.ptr);
    }
    if (options.clientWidth != 0) {
        command += " --fit " + std::to_string(options.clientWidth) + "x" + std::to_string(options.clientHeight);
    } else {
        command += " --grid " + std::to_string(options.gridWidth) + "x" + std::to_string(options.gridHeight);
    }
    command += " --stripes " + std::to_string(stripes) + " --scheme " + std::string(SchemeRow(options.scheme).name);
    if (options.reverse != 0) {
        command += " --reverse";
    }
    return command;
}
