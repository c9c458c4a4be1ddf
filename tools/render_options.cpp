#include "tools/render_options.h"

#include <charconv>
#include <cmath>

const char* const kRenderUsage =
    "usage: corvalis-render [--region XMIN YMIN XMAX YMAX] --grid WxH --levels OUT.pgm\n"
    "\n"
    "Computes the orbit-density diagram of x -> a*x*(1-x) without a window.\n"
    "\n"
    "  --region XMIN YMIN XMAX YMAX  the region: x (orbit value) from XMIN to XMAX,\n"
    "                                parameter a from YMIN to YMAX (default 0 3 1 4);\n"
    "                                each axis is ordered, so the corners may come in any order\n"
    "  --grid WxH                    compute a grid of W columns and H rows (1..65536 each,\n"
    "                                at most 536870912 cells)\n"
    "  --levels OUT.pgm              write the density levels 0..255 as a binary PGM,\n"
    "                                the largest parameter in the top row\n"
    "  --help                        show this text\n";

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

namespace {

std::optional<int32_t> ParseSide(std::string_view text)
{
    int32_t value = 0;
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (text.empty() || ec != std::errc() || ptr != end || value < 1 || value > kMaxGridSide) {
        return std::nullopt;
    }
    return value;
}

}  // namespace

std::optional<std::pair<int32_t, int32_t>> ParseSize(std::string_view text)
{
    const size_t cross = text.find('x');
    if (cross == std::string_view::npos) {
        return std::nullopt;
    }
    const auto width = ParseSide(text.substr(0, cross));
    const auto height = ParseSide(text.substr(cross + 1));
    if (!width || !height) {
        return std::nullopt;
    }
    return std::pair{*width, *height};
}

ParseResult ParseRenderOptions(const std::vector<std::string_view>& args)
{
    ParseResult result;
    RenderOptions& options = result.options;
    auto fail = [&result](std::string message) {
        result.error = std::move(message);
        return result;
    };
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string_view arg = args[i];
        const size_t valuesLeft = args.size() - i - 1;
        if (arg == "--help" || arg == "-h") {
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
            if (int64_t{size->first} * size->second > kMaxGridCells) {
                return fail("--grid: " + std::string(args[i]) +
                            " has more than 536870912 cells");
            }
            options.gridWidth = size->first;
            options.gridHeight = size->second;
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
    if (options.gridWidth == 0) {
        return fail("no grid size: give --grid WxH");
    }
    if (options.levelsPath.empty()) {
        return fail("no output: give --levels OUT.pgm");
    }
    return result;
}
