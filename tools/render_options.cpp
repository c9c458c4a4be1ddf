#include "tools/render_options.h"

#include "tools/film.h"
#include "tools/rows_file.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <set>
#include <span>
#include <tuple>

namespace {

// The number without the plus sign it may begin with, as the window's edits take it.
std::string_view WithoutPlus(std::string_view text)
{
    return text.size() > 1 && text[0] == '+' && text[1] != '-' && text[1] != '+' ? text.substr(1) : text;
}

// Whether a number that a double cannot hold is too small rather than too large: the power of
// ten of its first significant digit is below 0.
bool IsBelowOne(std::string_view number)
{
    const size_t e = number.find_first_of("eE");
    const std::string_view mantissa = number.substr(0, e);
    long exponent = 0;
    if (e != std::string_view::npos) {
        const std::string_view digits = WithoutPlus(number.substr(e + 1));
        if (std::from_chars(digits.data(), digits.data() + digits.size(), exponent).ec != std::errc()) {
            return digits.starts_with('-');
        }
    }
    const size_t point = std::min(mantissa.find('.'), mantissa.size());
    const size_t first = mantissa.find_first_of("123456789");
    const long power = first < point ? static_cast<long>(point - first) - 1 : -static_cast<long>(first - point);
    return first != std::string_view::npos && power + exponent < 0;
}

}  // namespace

std::optional<double> ParseFiniteNumber(std::string_view text)
{
    double value = 0.0;
    const std::string_view number = WithoutPlus(text);
    const char* end = number.data() + number.size();
    const auto [ptr, ec] = std::from_chars(number.data(), end, value, std::chars_format::general);
    if (ec != std::errc() || ptr != end || !std::isfinite(value)) {
        return std::nullopt;
    }
    return value;
}

std::string RegionText(const CalcRegion& region)
{
    std::string text;
    for (double value : {region.xmin, region.ymin, region.xmax, region.ymax}) {
        char digits[32];
        const auto written = std::to_chars(digits, digits + sizeof digits, value, std::chars_format::general, 17);
        text += (text.empty() ? "" : " ");
        text.append(digits, written.ptr);
    }
    return text;
}

bool UnderflowsToZero(std::string_view text)
{
    double value = 0.0;
    const std::string_view number = WithoutPlus(text);
    const char* end = number.data() + number.size();
    const auto [ptr, ec] = std::from_chars(number.data(), end, value, std::chars_format::general);
    return ec == std::errc::result_out_of_range && ptr == end && IsBelowOne(number);
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

std::optional<std::pair<int32_t, int32_t>> ParseSize(std::string_view text, int32_t least)
{
    const size_t cross = text.find('x');
    if (cross == std::string_view::npos) {
        return std::nullopt;
    }
    const auto width = ParseWholeNumber(text.substr(0, cross), least, kMaxGridSide);
    const auto height = ParseWholeNumber(text.substr(cross + 1), least, kMaxGridSide);
    if (!width || !height) {
        return std::nullopt;
    }
    return std::pair{*width, *height};
}

namespace {

using Values = std::span<const std::string_view>;
using Rejected = std::optional<std::string_view>;  // the value an option does not take, if any

// One option: its spellings, its values, what --help and the messages say of it, and how its
// values go into the options.
struct RenderOption {
    std::string_view name;        // the spelling the messages use
    std::string_view alias = {};  // its other spelling, if any
    std::string values = {};      // the names of its values, a word each; none for a switch
    std::string needs = {};       // "NAME needs ..." when its values are missing
    std::string accepts = {};     // "NAME: 'VALUE' is not ..."; without it, a value not taken is missing
    std::string (*reason)(std::string_view value) = nullptr;  // a truer reason than "is not ...", or ""
    std::string help;             // its lines in --help
    Rejected (*read)(Values values, RenderOptions& options);
    bool repeats = false;         // its last value may come again and again, up to the next option
};

// Stores a parsed value; the text it came from when it did not parse.
template <typename Parsed, typename Target>
Rejected Store(std::string_view text, const std::optional<Parsed>& parsed, Target&& target)
{
    if (!parsed) {
        return text;
    }
    target = *parsed;
    return std::nullopt;
}

std::optional<std::string_view> NonEmpty(std::string_view text)
{
    return text.empty() ? std::nullopt : std::optional(text);
}

// The names of the colour schemes, in their order, between the separators.
std::string SchemeNames(std::string_view separator)
{
    std::string names;
    for (const ColorSchemeRow& row : kColorSchemes) {
        names += (names.empty() ? "" : separator);
        names += row.name;
    }
    return names;
}

// Reads four corners into a region, each axis ordered; the value that is no finite number, if any.
Rejected ReadCorners(Values values, CalcRegion& region)
{
    double corner[4];
    for (size_t k = 0; k < 4; ++k) {
        const auto value = ParseFiniteNumber(values[k]);
        if (!value) {
            return values[k];
        }
        corner[k] = *value;
    }
    region = OrderedRegion(corner[0], corner[1], corner[2], corner[3]);
    return std::nullopt;
}

std::string TooSmallReason(std::string_view value)
{
    return UnderflowsToZero(value) ? std::string("is too small for a double: it underflows to 0") : std::string();
}

// An option whose values are a region's four corners, finite numbers, named in `values`.
RenderOption CornersOption(std::string_view name, const std::string& values, std::string help,
                           Rejected (*read)(Values values, RenderOptions& options))
{
    return {.name = name, .values = values, .needs = "four numbers: " + values, .accepts = "a finite number",
            .reason = TooSmallReason, .help = std::move(help), .read = read};
}

// An option without values that sets its member.
template <auto member>
RenderOption Switch(std::string_view name, std::string_view alias, std::string help)
{
    return {.name = name, .alias = alias, .help = std::move(help), .read = [](Values, RenderOptions& options) {
                options.*member = 1;
                return Rejected();
            }};
}

// An option whose value is a size WxH with whole numbers from `least` to kMaxGridSide.
template <auto width, auto height, int32_t least>
RenderOption SizeOption(std::string_view name, std::string values, const std::string& size, std::string help)
{
    const std::string needs = size + " " + values;
    return {.name = name,
            .values = std::move(values),
            .needs = needs,
            .accepts = needs + " with whole numbers from " + std::to_string(least) + " to " +
                       std::to_string(kMaxGridSide),
            .help = std::move(help),
            .read = [](Values values, RenderOptions& options) {
                return Store(values[0], ParseSize(values[0], least), std::tie(options.*width, options.*height));
            }};
}

// An option whose value is a whole number from 1 to `most`.
template <auto member, int32_t most>
RenderOption CountOption(std::string_view name, std::string values, std::string help)
{
    return {.name = name, .values = std::move(values), .needs = "a number",
            .accepts = "a whole number from 1 to " + std::to_string(most), .help = std::move(help),
            .read = [](Values values, RenderOptions& options) {
                return Store(values[0], ParseWholeNumber(values[0], 1, most), options.*member);
            }};
}

// An option whose value is a file name; an empty one is as good as none.
template <auto member>
RenderOption FileOption(std::string_view name, std::string_view alias, std::string values, std::string help)
{
    return {.name = name, .alias = alias, .values = std::move(values), .needs = "a file name",
            .help = std::move(help), .read = [](Values values, RenderOptions& options) {
                return Store(values[0], NonEmpty(values[0]), options.*member);
            }};
}

// "I/N" with 0 <= I < N <= kMaxShards.
std::optional<std::pair<int32_t, int32_t>> ParseShard(std::string_view text)
{
    const size_t slash = text.find('/');
    if (slash == std::string_view::npos) {
        return std::nullopt;
    }
    const auto shards = ParseWholeNumber(text.substr(slash + 1), 1, kMaxShards);
    const auto shard = shards ? ParseWholeNumber(text.substr(0, slash), 0, *shards - 1) : std::nullopt;
    if (!shard) {
        return std::nullopt;
    }
    return std::pair{*shard, *shards};
}

// Every option, in the order of --help.
const std::vector<RenderOption>& RenderOptionTable()
{
    const auto text = [](auto number) { return std::to_string(number); };
    static const std::vector<RenderOption> table = {
        CornersOption("--region", "XMIN YMIN XMAX YMAX",
                      "the region: x (orbit value) from XMIN to XMAX,\n"
                      "parameter a from YMIN to YMAX (default " + RegionText(RenderOptions{}.region) + ");\n"
                      "each axis is ordered, so the corners may come in any\n"
                      "order; both axes need an extent",
                      [](Values values, RenderOptions& options) { return ReadCorners(values, options.region); }),
        SizeOption<&RenderOptions::gridWidth, &RenderOptions::gridHeight, 1>(
            "--grid", "WxH", "a size",
            "compute a grid of W columns and H rows (1.." + text(kMaxGridSide) + " each)"),
        SizeOption<&RenderOptions::clientWidth, &RenderOptions::clientHeight, kMinClientSide>(
            "--fit", "CWxCH", "a client area",
            "size the grid as the window does for a view client\n"
            "area of CW x CH pixels (margins of " + text(kViewMargin) + " pixels each side)"),
        CountOption<&RenderOptions::stripes, kMaxStripes>(
            "--stripes", "S",
            "compute the rows' parameters as the window does with S\n"
            "workers, each on its stripe of rows (1.." + text(kMaxStripes) + "; default:\n"
            "one per processor, so the picture is the window's here)"),
        CountOption<&RenderOptions::threads, kMaxThreads>(
            "--threads", "T",
            "how many threads share the rows out (1.." + text(kMaxThreads) + "; default:\n"
            "one per processor); the levels never depend on it"),
        Switch<&RenderOptions::quiet>("--quiet", "-q", "no progress line (it shows only on a terminal)"),
        FileOption<&RenderOptions::levelsPath>("--levels", "", "OUT.pgm",
                                               "write the density levels 0..255 as a binary PGM,\n"
                                               "the largest parameter in the top row"),
        FileOption<&RenderOptions::picturePath>("-o", "--output", "OUT.png",
                                                "write the coloured picture as PNG: with --grid the grid\n"
                                                "one pixel a cell, with --fit the picture the window\n"
                                                "shows in that client area (without margins and label)"),
        {.name = "--scheme",
         .values = SchemeNames("|"),
         .needs = "one of " + SchemeNames(", "),
         .accepts = "one of " + SchemeNames(", "),
         .help = "the colour scale (default " + std::string(SchemeRow(RenderOptions{}.scheme).name) + ")",
         .read = [](Values values, RenderOptions& options) {
             return Store(values[0], FindColorScheme(values[0]), options.scheme);
         }},
        Switch<&RenderOptions::reverse>("--reverse", "", "run the colour scale in reverse order"),
        FileOption<&RenderOptions::rowsPath>("--rows", "", "FILE",
                                             "keep every row in FILE as it is computed; the same\n"
                                             "command run again computes only the rows FILE lacks"),
        {.name = "--shard",
         .values = "I/N",
         .needs = "a shard I/N",
         .accepts = "a shard I/N with 0 <= I < N <= " + text(kMaxShards),
         .help = "compute only shard I of N: of the rows, with --rows\n"
                 "(batches of " + text(kShardBatchRows) + " rows dealt in turn; then make the\n"
                 "outputs with --from), or of a film's frames, dealt so\n"
                 "that shards cost about the same; give --stripes too",
         .read = [](Values values, RenderOptions& options) {
             return Store(values[0], ParseShard(values[0]), std::tie(options.shard, options.shards));
         }},
        {.name = "--from",
         .values = "FILE...",
         .needs = "a rows file",
         .help = "write the outputs from the rows that these files keep\n"
                 "(one file, or the files of every shard) without\n"
                 "computing; they tell the region, grid and stripes",
         .read = [](Values values, RenderOptions& options) {
             options.fromPaths.assign(values.begin(), values.end());
             return std::ranges::any_of(options.fromPaths, &std::string::empty) ? Rejected("") : Rejected();
         },
         .repeats = true},
        CornersOption("--zoom-to", "X0 Y0 X1 Y1",
                      "make a film of --frames frames zooming steadily from\n"
                      "--region to this region; -o, --levels and --rows are\n"
                      "then patterns with one field for the frame's number\n"
                      "(frames/f%05d.png), or - for a stream of frames",
                      [](Values values, RenderOptions& options) { return ReadCorners(values, options.zoomTo.emplace()); }),
        {.name = "--frames",
         .values = "N",
         .needs = "a number",
         .accepts = "a whole number from 2 to " + text(kMaxFrames),
         .help = "the film's frames, the first and the last included;\n"
                 "a frame already complete is not made again, and\n"
                 "--shard I/N makes shard I of the frames",
         .read = [](Values values, RenderOptions& options) {
             return Store(values[0], ParseWholeNumber(values[0], 2, kMaxFrames), options.frames);
         }},
        {.name = "--dry-run",
         .help = "compute nothing: print the command of each frame, or of\n"
                 "the picture, that would be made",
         .read = [](Values, RenderOptions& options) {
             options.dryRun = true;
             return Rejected();
         }},
        Switch<&RenderOptions::help>("--help", "-h", "show this text"),
    };
    return table;
}

// The option with this spelling; null when there is none.
const RenderOption* FindOption(std::string_view spelling)
{
    for (const RenderOption& option : RenderOptionTable()) {
        if (spelling == option.name || (!option.alias.empty() && spelling == option.alias)) {
            return &option;
        }
    }
    return nullptr;
}

size_t ValueCount(const RenderOption& option)
{
    return option.values.empty() ? 0 : 1 + static_cast<size_t>(std::ranges::count(option.values, ' '));
}

// The option as a command line gives it: "--grid WxH".
std::string Synopsis(std::string_view name)
{
    const RenderOption& option = *FindOption(name);
    return std::string(option.name) + (option.values.empty() ? "" : " " + option.values);
}

// The option as --help lists it: its short spelling first, then its values.
std::string HelpSpellings(const RenderOption& option)
{
    std::string spellings(option.name);
    if (!option.alias.empty()) {
        const bool aliasIsShort = option.alias.size() < option.name.size();
        spellings = std::string(aliasIsShort ? option.alias : option.name) + ", " +
                    std::string(aliasIsShort ? option.name : option.alias);
    }
    return spellings + (option.values.empty() ? "" : " " + option.values);
}

std::string Needs(const RenderOption& option)
{
    return std::string(option.name) + " needs " + option.needs;
}

// Reads every option into the options; the message of the first one that is wrong, or none.
std::string ReadOptions(const std::vector<std::string_view>& args, RenderOptions& options)
{
    std::set<std::string_view> given;
    for (size_t i = 0; i < args.size(); ++i) {
        const RenderOption* option = FindOption(args[i]);
        if (option == nullptr) {
            return "unknown option '" + std::string(args[i]) + "' (see --help)";
        }
        if (!given.insert(option->name).second) {
            return std::string(option->name) + " is given twice";
        }
        size_t count = ValueCount(*option);
        if (args.size() - i - 1 < count) {
            return Needs(*option);
        }
        while (option->repeats && i + 1 + count < args.size() && !args[i + 1 + count].starts_with('-')) {
            ++count;
        }
        const Values values(args.data() + i + 1, count);
        if (const Rejected rejected = option->read(values, options)) {
            if (option->accepts.empty()) {
                return Needs(*option);
            }
            const std::string reason = option->reason != nullptr ? option->reason(*rejected) : "";
            return std::string(option->name) + ": '" + std::string(*rejected) + "' " +
                   (reason.empty() ? "is not " + option->accepts : reason);
        }
        i += count;
    }
    if (given.contains("--from")) {
        for (std::string_view computed : {"--region", "--grid", "--fit", "--stripes", "--threads", "--rows", "--shard",
                                          "--zoom-to", "--frames", "--dry-run"}) {
            if (given.contains(computed)) {
                return "--from takes the region, the grid and the stripes from its files: leave out " +
                       std::string(computed);
            }
        }
    }
    return {};
}

// Sizes the grid of --fit and checks what the options need together: a region with width and
// height, one grid of a size that can be computed, an output. The message of what is wrong.
// Checks that a region has an extent on both axes; the option's values are named in the message.
std::string CheckExtent(const CalcRegion& region, const RenderOption& option)
{
    const std::string& names = option.values;  // "XMIN YMIN XMAX YMAX"
    std::vector<std::string> words;
    for (size_t start = 0; start <= names.size();) {
        const size_t end = std::min(names.find(' ', start), names.size());
        words.emplace_back(names.substr(start, end - start));
        start = end + 1;
    }
    // A region without extent on an axis has no picture, whatever sizes the grid.
    if (!(region.xmax > region.xmin)) {
        return std::string(option.name) + ": " + words[0] + " and " + words[2] + " are equal, so the region has no width";
    }
    if (!(region.ymax > region.ymin)) {
        return std::string(option.name) + ": " + words[1] + " and " + words[3] + " are equal, so the region has no height";
    }
    return {};
}

// Checks the outputs of a film: patterns with one field for the frame's number, or "-".
std::string CheckFilmOutputs(const RenderOptions& options)
{
    if (options.frames == 0) {
        return {};
    }
    for (const auto& [option, name] : {std::pair{"--levels", &options.levelsPath}, std::pair{"-o", &options.picturePath},
                                       std::pair{"--rows", &options.rowsPath}}) {
        if (name->empty() || (*name == "-" && std::string_view(option) != "--rows")) {
            continue;
        }
        if (const std::optional<std::string> fault = PatternFault(*name)) {
            return std::string(option) + " '" + *name + "' is no pattern for the frames' files: " + *fault;
        }
    }
    if (options.levelsPath == "-" && options.picturePath == "-") {
        return "--levels and -o cannot both stream the frames to standard output";
    }
    return {};
}

// Sizes the grid of --fit and checks what the options need together: a region with width and
// height, one grid of a size that can be computed, an output. The message of what is wrong.
std::string SizeAndCheck(RenderOptions& options)
{
    const bool hasOutput = !options.levelsPath.empty() || !options.picturePath.empty();
    const std::string noOutput = "no output: give " + Synopsis("--levels") + " or " + Synopsis("-o");
    if (!options.fromPaths.empty()) {
        return hasOutput ? "" : noOutput;
    }
    if (std::string fault = CheckExtent(options.region, *FindOption("--region")); !fault.empty()) {
        return fault;
    }
    if (options.zoomTo.has_value() != (options.frames != 0)) {
        return "a film needs both " + Synopsis("--zoom-to") + " and " + Synopsis("--frames");
    }
    if (options.zoomTo) {
        if (std::string fault = CheckExtent(*options.zoomTo, *FindOption("--zoom-to")); !fault.empty()) {
            return fault;
        }
    }
    if (options.gridWidth != 0 && options.clientWidth != 0) {
        return "give either --grid or --fit, not both";
    }
    if (options.clientWidth == 0 && options.gridWidth == 0) {
        return "no grid size: give " + Synopsis("--grid") + " or " + Synopsis("--fit");
    }
    if (std::string fault = SizeFittedGrid(options); !fault.empty()) {
        return fault;
    }
    if (options.shards != 0) {
        if (options.stripes == 0) {
            return "--shard needs --stripes S: every shard must compute alike, on any machine";
        }
        if (options.frames == 0 && options.rowsPath.empty()) {
            return "--shard needs " + Synopsis("--rows") + ": a shard's rows are kept there for --from";
        }
        if (options.frames == 0 && hasOutput) {
            return "--shard computes only part of the rows: write the outputs with --from once every shard is done";
        }
    }
    if (!hasOutput && (options.rowsPath.empty() || options.frames != 0)) {
        return options.frames != 0 ? noOutput : noOutput + " or " + Synopsis("--rows");
    }
    return CheckFilmOutputs(options);
}

}  // namespace

std::string RenderUsage()
{
    const std::string_view usage = "usage: corvalis-render ";
    const std::string indent(usage.size(), ' ');
    std::string text = std::string(usage) + "[" + Synopsis("--region") + "] (" + Synopsis("--grid") + " | " +
                       Synopsis("--fit") + ")\n" +
                       indent + "[" + Synopsis("--stripes") + "] [" + Synopsis("--threads") + "] [" +
                       Synopsis("--quiet") + "] [" + Synopsis("--levels") + "]\n" +
                       indent + "[" + Synopsis("-o") + " [" + Synopsis("--scheme") + "] [" + Synopsis("--reverse") +
                       "]]\n" +
                       indent + "[" + Synopsis("--rows") + " [" + Synopsis("--shard") + "]]\n" +
                       indent + "[" + Synopsis("--zoom-to") + " " + Synopsis("--frames") + "] [" + Synopsis("--dry-run") +
                       "]\n" +
                       std::string(usage) + Synopsis("--from") + " [" + Synopsis("--levels") + "] [" + Synopsis("-o") +
                       " ...]\n"
                       "\n"
                       "Computes the orbit-density diagram of x -> a*x*(1-x) without a window.\n"
                       "\n";
    size_t width = 0;
    for (const RenderOption& option : RenderOptionTable()) {
        width = std::max(width, HelpSpellings(option).size());
    }
    const std::string helpIndent(2 + width + 2, ' ');
    for (const RenderOption& option : RenderOptionTable()) {
        const std::string spellings = HelpSpellings(option);
        text += "  " + spellings + std::string(width - spellings.size() + 2, ' ');
        for (char c : option.help) {
            text += c;
            if (c == '\n') {
                text += helpIndent;
            }
        }
        text += '\n';
    }
    return text +
           "\n"
           "An output named - goes to standard output (not to a terminal). A FIFO or a device is\n"
           "written in place; a symbolic link is followed; a file is replaced only once every\n"
           "output is complete. Every output is checked before the computation starts.\n"
           "Every PNG carries the program's version (Software) and the command that makes it again\n"
           "byte for byte (Command: add -o FILE) in its text chunks.\n"
           "\n"
           "A rows file keeps each row as it is done; a crash loses only the rows being computed.\n"
           "Run the same command again and it goes on where it stopped; a file kept for another\n"
           "computation is refused and left as it is. The shards of a computation, each run with\n"
           "--shard and its own rows file (on any machines), make the picture with --from.\n"
           "\n"
           "Ctrl+C, SIGTERM, SIGHUP or SIGQUIT stops the program at once and writes no output: old\n"
           "files stay as they were (a rows file keeps the rows done). Exit status: 0 done, 2 bad\n"
           "input or an output that cannot be written, 128 + the signal's number when stopped by one.\n";
}

ParseResult ParseRenderOptions(const std::vector<std::string_view>& args)
{
    ParseResult result;
    result.error = ReadOptions(args, result.options);
    if (result.error.empty() && !result.options.help) {
        result.error = SizeAndCheck(result.options);
    }
    return result;
}

std::string SizeFittedGrid(RenderOptions& options)
{
    if (options.clientWidth == 0) {
        return {};
    }
    const Size grid = *FitGridToClient(options.clientWidth, options.clientHeight, options.region);
    options.gridWidth = grid.width;
    options.gridHeight = grid.height;
    if (grid.width < 1 || grid.height < 1 || grid.width > kMaxGridSide || grid.height > kMaxGridSide) {
        return "--fit: the region gives a " + std::to_string(grid.width) + "x" + std::to_string(grid.height) +
               " grid there, which has no cells or is too large";
    }
    return {};
}

std::string ReproducingCommand(const RenderOptions& options, int32_t stripes)
{
    std::string command = "corvalis-render --region " + RegionText(options.region);
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
