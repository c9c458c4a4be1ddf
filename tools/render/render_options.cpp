#include "tools/render_options.h"

#include "job/film.h"
#include "job/number_reading.h"

#include <algorithm>
#include <functional>
#include <set>
#include <span>
#include <tuple>

namespace {

using Values = std::span<const std::string_view>;
struct RenderOption;
// Reads an option's values into the options; the failure of a value it does not take.
using ReadValues = std::function<Status(const RenderOption& option, Values values, RenderOptions& options)>;

// One option: its spellings, its values, what --help and the messages say of it, and how its
// values go into the options.
struct RenderOption {
    std::string_view name;        // the spelling the messages use
    std::string_view alias = {};  // its other spelling, if any
    std::string values = {};      // the names of its values, a word each; none for a switch
    std::string needs = {};       // "NAME needs ..." when its values are missing
    std::string accepts = {};     // "NAME: 'VALUE' is not ..."; without it, a value not taken is missing
    std::string (*reason)(std::string_view value) = nullptr;  // a truer reason than "is not ...", or ""
    std::string help;                                         // its lines in --help
    ReadValues read;
    bool repeats = false;  // its last value may come again and again, up to the next option
};

std::string Needs(const RenderOption& option)
{
    return std::string(option.name) + " needs " + option.needs;
}

// Why the option does not take the value: "NAME: 'VALUE' is not ..." or a truer reason; that it
// needs its values where it says nothing of what it takes.
Failure NotTaken(const RenderOption& option, std::string_view value)
{
    if (option.accepts.empty()) {
        return Failure::Because(Needs(option));
    }
    const std::string reason = option.reason != nullptr ? option.reason(value) : "";
    return Failure::Because(std::string(option.name) + ": '" + std::string(value) + "' " +
                            (reason.empty() ? "is not " + option.accepts : reason));
}

// Stores a parsed value; why the option does not take the text when it did not parse.
template <typename Parsed, typename Target>
Status Store(const RenderOption& option, std::string_view text, const std::optional<Parsed>& parsed, Target&& target)
{
    if (!parsed) {
        return NotTaken(option, text);
    }
    target = *parsed;
    return {};
}

std::optional<std::string_view> NonEmpty(std::string_view text)
{
    return text.empty() ? std::nullopt : std::optional(text);
}

// The names of a table's rows (the colour schemes, the shadings), in their order, between the
// separators.
template <class Rows>
std::string RowNames(const Rows& rows, std::string_view separator)
{
    std::string names;
    for (const auto& row : rows) {
        names += (names.empty() ? "" : separator);
        names += row.name;
    }
    return names;
}

// Reads four corners into a region, each axis ordered; why a value that is no finite number is
// not taken.
Status ReadCorners(const RenderOption& option, Values values, CalcRegion& region)
{
    double corner[4];
    for (size_t k = 0; k < 4; ++k) {
        const auto value = ParseFiniteNumber(values[k]);
        if (!value) {
            return NotTaken(option, values[k]);
        }
        corner[k] = *value;
    }
    region = OrderedRegion(corner[0], corner[1], corner[2], corner[3]);
    return {};
}

std::string TooSmallReason(std::string_view value)
{
    return UnderflowsToZero(value) ? std::string("is too small for a double: it underflows to 0") : std::string();
}

// An option whose values are a region's four corners, finite numbers, named in `values`.
template <typename Region>  // CalcRegion& (RenderOptions&)
RenderOption CornersOption(std::string_view name, const std::string& values, std::string help, Region region)
{
    return {.name = name,
            .values = values,
            .needs = "four numbers: " + values,
            .accepts = "a finite number",
            .reason = TooSmallReason,
            .help = std::move(help),
            .read = [region](const RenderOption& option, Values values, RenderOptions& options) {
                return ReadCorners(option, values, region(options));
            }};
}

// An option whose value is the name of a row of a table (a colour scheme, a shading).
template <typename Rows, typename Find, typename Field>  // optional<T> (string_view), T& (RenderOptions&)
RenderOption NameOption(std::string_view name, const Rows& rows, std::string help, Find find, Field field)
{
    return {.name = name,
            .values = RowNames(rows, "|"),
            .needs = "one of " + RowNames(rows, ", "),
            .accepts = "one of " + RowNames(rows, ", "),
            .help = std::move(help),
            .read = [find, field](const RenderOption& option, Values values, RenderOptions& options) {
                return Store(option, values[0], find(values[0]), field(options));
            }};
}

// An option without values that sets its flag.
template <typename Flag>  // bool& (RenderOptions&)
RenderOption Switch(std::string_view name, std::string_view alias, std::string help, Flag flag)
{
    return {.name = name,
            .alias = alias,
            .help = std::move(help),
            .read = [flag](const RenderOption&, Values, RenderOptions& options) {
                flag(options) = true;
                return Status();
            }};
}

// An option whose value is a size WxH with whole numbers from `least` to kMaxGridSide.
template <typename Field>  // Size& (RenderOptions&)
RenderOption SizeOption(std::string_view name, std::string values, const std::string& size, int32_t least,
                        std::string help, Field field)
{
    const std::string needs = size + " " + values;
    return {.name = name,
            .values = std::move(values),
            .needs = needs,
            .accepts = needs + " with whole numbers from " + std::to_string(least) + " to " +
                       std::to_string(kMaxGridSide),
            .help = std::move(help),
            .read = [field, least](const RenderOption& option, Values values, RenderOptions& options) {
                return Store(option, values[0], ParseSize(values[0], least, kMaxGridSide), field(options));
            }};
}

// An option whose value is a whole number from 1 to `most`.
template <typename Field>  // int32_t& (RenderOptions&)
RenderOption CountOption(std::string_view name, std::string values, int32_t most, std::string help, Field field)
{
    return {.name = name,
            .values = std::move(values),
            .needs = "a number",
            .accepts = "a whole number from 1 to " + std::to_string(most),
            .help = std::move(help),
            .read = [field, most](const RenderOption& option, Values values, RenderOptions& options) {
                return Store(option, values[0], ParseWholeNumber(values[0], 1, most), field(options));
            }};
}

// An option whose value is a file name; an empty one is as good as none.
template <typename Field>  // std::string& (RenderOptions&)
RenderOption FileOption(std::string_view name, std::string_view alias, std::string values, std::string help,
                        Field field)
{
    return {.name = name,
            .alias = alias,
            .values = std::move(values),
            .needs = "a file name",
            .help = std::move(help),
            .read = [field](const RenderOption& option, Values values, RenderOptions& options) {
                return Store(option, values[0], NonEmpty(values[0]), field(options));
            }};
}

// "I/N" with 0 <= I < N <= kMaxShards.
std::optional<Shard> ParseShard(std::string_view text)
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
    return Shard{*shard, *shards};
}

// Every option, in the order of --help.
const std::vector<RenderOption>& RenderOptionTable()
{
    const auto text = [](auto number) { return std::to_string(number); };
    static const std::vector<RenderOption> table = {
        CornersOption("--region", "XMIN YMIN XMAX YMAX",
                      "the region: x (orbit value) from XMIN to XMAX,\n"
                      "parameter a from YMIN to YMAX (default " +
                          RegionText(kDefaultRegion) +
                          ");\n"
                          "each axis is ordered, so the corners may come in any\n"
                          "order; both axes need an extent",
                      [](RenderOptions& options) -> CalcRegion& { return options.computation.region; }),
        SizeOption("--grid", "WxH", "a size", 1,
                   "compute a grid of W columns and H rows (1.." + text(kMaxGridSide) + " each)",
                   [](RenderOptions& options) -> Size& { return options.computation.grid; }),
        SizeOption("--fit", "CWxCH", "a client area", kMinClientSide,
                   "size the grid as the window does for a view client\n"
                   "area of CW x CH pixels (margins of " +
                       text(kViewMargin) + " pixels each side)",
                   [](RenderOptions& options) -> Size& { return options.computation.client; }),
        CountOption("--stripes", "S", kMaxStripes,
                    "compute the rows' parameters as the window does with S\n"
                    "workers, each on its stripe of rows (1.." +
                        text(kMaxStripes) +
                        "; default:\n"
                        "one per processor, so the picture is the window's here)",
                    [](RenderOptions& options) -> int32_t& { return options.computation.stripes; }),
        CountOption("--threads", "T", kMaxThreads,
                    "how many threads share the rows out (1.." + text(kMaxThreads) +
                        "; default:\n"
                        "one per processor); the levels never depend on it",
                    [](RenderOptions& options) -> int32_t& { return options.threads; }),
        Switch("--quiet", "-q", "no progress line (it shows only on a terminal)",
               [](RenderOptions& options) -> bool& { return options.quiet; }),
        FileOption("--levels", "", "OUT.pgm",
                   "write the density levels 0..255 as a binary PGM,\n"
                   "the largest parameter in the top row",
                   [](RenderOptions& options) -> std::string& { return options.levelsPath; }),
        FileOption("--counts", "", "OUT.npy",
                   "write the hits of every cell, of which the levels are\n"
                   "made, as a NumPy .npy file (uint64, rows as --levels);\n"
                   "not with --from or --rows: rows files keep levels only",
                   [](RenderOptions& options) -> std::string& { return options.countsPath; }),
        FileOption("-o", "--output", "OUT.png",
                   "write the coloured picture as PNG: with --grid the grid\n"
                   "one pixel a cell, with --fit the picture the window\n"
                   "shows in that client area (without margins and label)",
                   [](RenderOptions& options) -> std::string& { return options.picturePath; }),
        FileOption("--lyapunov", "", "OUT.csv",
                   "write each row's Lyapunov exponent as CSV: row (as in\n"
                   "--levels), a, lambda (the mean of its 10 sub-samples'),\n"
                   "lambda_min, lambda_max; with --shard its rows alone",
                   [](RenderOptions& options) -> std::string& { return options.lyapunovPath; }),
        NameOption("--scheme", kColorSchemes,
                   "the colour scale (default " + std::string(SchemeRow(PictureStyle{}.scheme).name) + ")",
                   FindColorScheme, [](RenderOptions& options) -> ColorScheme& { return options.style.scheme; }),
        Switch("--reverse", "", "run the colour scale in reverse order",
               [](RenderOptions& options) -> bool& { return options.style.reverse; }),
        Switch("--lyapunov-strip", "",
               "add a strip at the picture's right, a fifth of its\n"
               "width (at least " +
                   text(kLeastStripWidth) +
                   " pixels): each row's Lyapunov\n"
                   "exponent as a bar from the zero line, lambda from -2\n"
                   "(left edge) to 1 (right edge), beyond them clipped",
               [](RenderOptions& options) -> bool& { return options.style.lyapunovStrip; }),
        NameOption("--shade", kShadings,
                   "how a cell's hits pick its colour: levels (the\n"
                   "window's, the default), log (by their logarithm)\n"
                   "or equalize (by the picture's own distribution;\n"
                   "it computes the rows twice unless they come from\n"
                   "rows files)",
                   FindShading, [](RenderOptions& options) -> Shading& { return options.style.shading; }),
        FileOption("--rows", "", "FILE",
                   "keep every row in FILE as it is computed; the same\n"
                   "command run again computes only the rows FILE lacks",
                   [](RenderOptions& options) -> std::string& { return options.rowsPath; }),
        {.name = "--shard",
         .values = "I/N",
         .needs = "a shard I/N",
         .accepts = "a shard I/N with 0 <= I < N <= " + text(kMaxShards),
         .help = "compute only shard I of N: of the rows, with --rows\n"
                 "(batches of " +
                 text(kShardBatchRows) +
                 " rows dealt in turn; then make the\n"
                 "outputs with --from) or --lyapunov (the shard's rows),\n"
                 "or of a film's frames, dealt so that shards cost\n"
                 "about the same; give --stripes too",
         .read = [](const RenderOption& option, Values values,
                    RenderOptions& options) { return Store(option, values[0], ParseShard(values[0]), options.shard); }},
        {.name = "--from",
         .values = "FILE...",
         .needs = "a rows file",
         .help = "write the outputs from the rows that these files keep\n"
                 "(one file, or the files of every shard) without\n"
                 "computing; they tell the region, grid and stripes",
         .read =
             [](const RenderOption& option, Values values, RenderOptions& options) {
                 options.fromPaths.assign(values.begin(), values.end());
                 return std::ranges::any_of(options.fromPaths, &std::string::empty) ? Status(NotTaken(option, ""))
                                                                                    : Status();
             },
         .repeats = true},
        CornersOption("--zoom-to", "X0 Y0 X1 Y1",
                      "make a film of --frames frames zooming steadily from\n"
                      "--region to this region; -o, --levels, --counts,\n"
                      "--lyapunov and --rows are then patterns with one\n"
                      "field for the frame's number (frames/f%05d.png), or\n"
                      "- for a stream of frames",
                      [](RenderOptions& options) -> CalcRegion& { return options.zoomTo.emplace(); }),
        {.name = "--frames",
         .values = "N",
         .needs = "a number",
         .accepts = "a whole number from 2 to " + text(kMaxFrames),
         .help = "the film's frames, the first and the last included;\n"
                 "a frame already complete is not made again, and\n"
                 "--shard I/N makes shard I of the frames",
         .read =
             [](const RenderOption& option, Values values, RenderOptions& options) {
                 return Store(option, values[0], ParseWholeNumber(values[0], 2, kMaxFrames), options.frames);
             }},
        {.name = "--dry-run",
         .help = "compute nothing: print the command of each frame, or of\n"
                 "the picture, that would be made",
         .read =
             [](const RenderOption&, Values, RenderOptions& options) {
                 options.dryRun = true;
                 return Status();
             }},
        Switch("--help", "-h", "show this text", [](RenderOptions& options) -> bool& { return options.help; }),
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

// Reads every option into the options; the failure of the first one that is wrong.
Status ReadOptions(const std::vector<std::string_view>& args, RenderOptions& options)
{
    std::set<std::string_view> given;
    for (size_t i = 0; i < args.size(); ++i) {
        const RenderOption* option = FindOption(args[i]);
        if (option == nullptr) {
            return Failure::Because("unknown option '" + std::string(args[i]) + "' (see --help)");
        }
        if (!given.insert(option->name).second) {
            return Failure::Because(std::string(option->name) + " is given twice");
        }
        size_t count = ValueCount(*option);
        // A list of values ends at the next option, and begins with none.
        if (args.size() - i - 1 < count || (option->repeats && FindOption(args[i + 1]) != nullptr)) {
            return Failure::Because(Needs(*option));
        }
        while (option->repeats && i + 1 + count < args.size() && !args[i + 1 + count].starts_with('-')) {
            ++count;
        }
        const Values values(args.data() + i + 1, count);
        if (Status read = option->read(*option, values, options); !read) {
            return read;
        }
        i += count;
    }
    if (given.contains("--from")) {
        for (std::string_view computed : {"--region", "--grid", "--fit", "--stripes", "--threads", "--rows", "--shard",
                                          "--zoom-to", "--frames", "--dry-run"}) {
            if (given.contains(computed)) {
                return Failure::Because("--from takes the region, the grid and the stripes from its files: leave out " +
                                        std::string(computed));
            }
        }
    }
    return {};
}

// Checks that a region can be computed; the option's values are named in the message.
Status CheckRegion(const CalcRegion& region, const RenderOption& option)
{
    const Status computable = CheckComputable(region, option.values);
    return computable ? computable : Status(computable.Error().WithContext(std::string(option.name)));
}

// Checks the outputs of a film: patterns with one field for the frame's number, or "-".
Status CheckFilmOutputs(const RenderOptions& options)
{
    if (options.frames == 0) {
        return {};
    }
    std::string streaming;  // the option that streams the frames to standard output, if any
    for (const auto& [option, name] :
         {std::pair{"--levels", &options.levelsPath}, std::pair{"--counts", &options.countsPath},
          std::pair{"-o", &options.picturePath}, std::pair{"--lyapunov", &options.lyapunovPath},
          std::pair{"--rows", &options.rowsPath}}) {
        if (*name == "-" && std::string_view(option) != "--rows") {
            if (!streaming.empty()) {
                return Failure::Because(streaming + " and " + option +
                                        " cannot both stream the frames to standard output");
            }
            streaming = option;
            continue;
        }
        if (name->empty()) {
            continue;
        }
        if (Status pattern = CheckPattern(*name); !pattern) {
            return pattern.Error().WithContext(std::string(option) + " '" + *name +
                                               "' is no pattern for the frames' files");
        }
    }
    return {};
}

// Sizes the grid of --fit and checks what the options need together: a region with width and
// height, one grid of a size that can be computed, an output. The message of what is wrong.
Status SizeAndCheck(RenderOptions& options)
{
    const bool hasGridOutput = !options.levelsPath.empty() || !options.countsPath.empty() ||
                               !options.picturePath.empty();
    const bool hasOutput = hasGridOutput || !options.lyapunovPath.empty();
    const std::string noOutput = "no output: give " + Synopsis("--levels") + ", " + Synopsis("--counts") + ", " +
                                 Synopsis("-o") + " or " + Synopsis("--lyapunov");
    if (options.style.lyapunovStrip && options.picturePath.empty()) {
        return Failure::Because("--lyapunov-strip is drawn beside the picture: give " + Synopsis("-o") + " too");
    }
    if (!options.fromPaths.empty()) {
        return hasOutput ? Status() : Status(Failure::Because(noOutput));
    }
    if (Status region = CheckRegion(options.computation.region, *FindOption("--region")); !region) {
        return region;
    }
    if (options.zoomTo.has_value() != (options.frames != 0)) {
        return Failure::Because("a film needs both " + Synopsis("--zoom-to") + " and " + Synopsis("--frames"));
    }
    if (options.zoomTo) {
        if (Status region = CheckRegion(*options.zoomTo, *FindOption("--zoom-to")); !region) {
            return region;
        }
    }
    Computation& computation = options.computation;
    if (computation.grid.width != 0 && computation.client.width != 0) {
        return Failure::Because("give either --grid or --fit, not both");
    }
    if (computation.client.width == 0 && computation.grid.width == 0) {
        return Failure::Because("no grid size: give " + Synopsis("--grid") + " or " + Synopsis("--fit"));
    }
    if (Status fitted = FitGrid(computation); !fitted) {
        return fitted.Error().WithContext("--fit");
    }
    if (options.shard) {
        if (computation.stripes == 0) {
            return Failure::Because("--shard needs --stripes S: every shard must compute alike, on any machine");
        }
        if (options.frames == 0 && options.rowsPath.empty() && options.lyapunovPath.empty()) {
            return Failure::Because("--shard needs " + Synopsis("--rows") +
                                    ": a shard's rows are kept there for --from");
        }
        if (options.frames == 0 && hasGridOutput) {
            return Failure::Because(
                "--shard computes only part of the rows: write the outputs with --from once "
                "every shard is done (only --lyapunov writes a shard's rows)");
        }
        if (options.frames == 0) {
            computation.shard = *options.shard;
        }
    }
    if (!hasOutput && (options.rowsPath.empty() || options.frames != 0)) {
        return Failure::Because(options.frames != 0 ? noOutput : noOutput + " or " + Synopsis("--rows"));
    }
    return CheckFilmOutputs(options);
}

}  // namespace

std::string RenderUsage()
{
    const std::string_view usage = "usage: corvalis-render ";
    const std::string indent(usage.size(), ' ');
    std::string text = std::string(usage) + "[" + Synopsis("--region") + "] (" + Synopsis("--grid") + " | " +
                       Synopsis("--fit") + ")\n" + indent + "[" + Synopsis("--stripes") + "] [" +
                       Synopsis("--threads") + "] [" + Synopsis("--quiet") + "]\n" + indent + "[" +
                       Synopsis("--levels") + "] [" + Synopsis("--counts") + "] [" + Synopsis("--lyapunov") + "]\n" +
                       indent + "[" + Synopsis("-o") + " [" + Synopsis("--scheme") + "] [" + Synopsis("--reverse") +
                       "] [" + Synopsis("--shade") + "]\n" + indent + " [" + Synopsis("--lyapunov-strip") + "]]\n" +
                       indent + "[" + Synopsis("--rows") + " [" + Synopsis("--shard") + "]]\n" + indent + "[" +
                       Synopsis("--zoom-to") + " " + Synopsis("--frames") + "] [" + Synopsis("--dry-run") + "]\n" +
                       std::string(usage) + Synopsis("--from") + " [" + Synopsis("--levels") + "] [" +
                       Synopsis("--lyapunov") + "] [" + Synopsis("-o") +
                       " ...]\n"
                       "\n"
                       "Computes the orbit-density diagram of x -> a*x*(1-x) without a window.\n"
                       "\n";
    // The help texts stand in one column after the spellings; spellings too long for it (the
    // list of colour schemes) have their help on the next line.
    constexpr size_t kWidestColumn = 30;
    size_t width = 0;
    for (const RenderOption& option : RenderOptionTable()) {
        const size_t spellings = HelpSpellings(option).size();
        width = spellings <= kWidestColumn ? std::max(width, spellings) : width;
    }
    const std::string helpIndent(2 + width + 2, ' ');
    for (const RenderOption& option : RenderOptionTable()) {
        const std::string spellings = HelpSpellings(option);
        text += "  " + spellings +
                (spellings.size() <= width ? std::string(width - spellings.size() + 2, ' ') : "\n" + helpIndent);
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

Result<RenderOptions> ParseRenderOptions(const std::vector<std::string_view>& args)
{
    RenderOptions options;
    Status read = ReadOptions(args, options);
    if (read && !options.help) {
        read = SizeAndCheck(options);
    }
    if (!read) {
        return read.Error();
    }
    return options;
}

std::string ReproducingCommand(const Computation& computation, const PictureStyle& style)
{
    std::string command = "corvalis-render --region " + RegionText(computation.region);
    if (computation.client.width != 0) {
        command += " --fit " + SizeText(computation.client);
    } else {
        command += " --grid " + SizeText(computation.grid);
    }
    command += " --stripes " + std::to_string(computation.stripes) + " --scheme " +
               std::string(SchemeRow(style.scheme).name);
    if (style.reverse) {
        command += " --reverse";
    }
    if (style.shading != Shading::Levels) {
        command += " --shade " + std::string(ShadingName(style.shading));
    }
    if (style.lyapunovStrip) {
        command += " --lyapunov-strip";
    }
    return command;
}

std::string ShellWord(const std::string& name)
{
    std::string word = "'";
    for (const char c : name) {
        // A quote ends the quoted part, stands escaped, and begins the next.
        word += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    return word + "'";
}
