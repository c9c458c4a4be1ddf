// corvalis-render: computes an orbit-density diagram without a window and writes it to files.
#include "core/calc_layout.h"
#include "core/stripe_pool.h"
#include "platform/command_line.h"
#include "platform/console.h"
#include "platform/file_path.h"
#include "platform/interrupt.h"
#include "platform/result.h"
#include "platform/system_info.h"
#include "render/image_pipeline.h"
#include "tools/output_file.h"
#include "tools/pgm_file.h"
#include "tools/png_file.h"
#include "tools/progress.h"
#include "tools/render_options.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <functional>
#include <new>
#include <optional>
#include <string>
#include <vector>

namespace {

// Says why the program stops and gives its exit status: 128 + the signal's number after an
// interrupt, 2 after an error.
int Stop(const Failure& failure)
{
    if (failure.IsInterrupt()) {
        std::fputs("corvalis-render: interrupted; nothing written, old files left as they were\n", stderr);
        return InterruptedExitStatus();
    }
    std::fprintf(stderr, "corvalis-render: %s\n", failure.Message().c_str());
    return 2;
}

Failure OutOfMemory(const RenderOptions& options)
{
    return Failure::Because("not enough memory for a " + std::to_string(options.gridWidth) + "x" +
                            std::to_string(options.gridHeight) + " grid and its outputs");
}

// Where the outputs go, every one checked before anything is computed.
struct Outputs {
    std::optional<OutputTarget> levels;
    std::optional<OutputTarget> picture;
};

// The targets of the outputs asked for, or why one of them cannot be written.
Result<Outputs> FindOutputs(const RenderOptions& options)
{
    Outputs outputs;
    for (const auto& [name, target] : {std::pair{&options.levelsPath, &outputs.levels},
                                       std::pair{&options.picturePath, &outputs.picture}}) {
        if (name->empty()) {
            continue;
        }
        Result<OutputTarget> found = FindOutputTarget(*name);
        if (!found) {
            return found.Error();
        }
        *target = std::move(*found);
    }
    if (outputs.levels && outputs.picture && SameTarget(*outputs.levels, *outputs.picture)) {
        return Failure::Because("--levels " + QuotedName(options.levelsPath) + " and -o " +
                                QuotedName(options.picturePath) + " are the same file");
    }
    return outputs;
}

// The grid's rows from the top down as the pool hands them out, with progress on a terminal;
// an interrupt stops the waiting at once.
class GridRows {
public:
    GridRows(StripePool& pool, const RenderOptions& options, bool showProgress)
        : m_pool(pool), m_options(options), m_showProgress(showProgress),
          m_progress(showProgress && EnableTerminalSequences(stderr))
    {
    }
    ~GridRows()
    {
        if (m_showProgress && m_lastReport != m_started) {
            std::fputs(m_progress.Clear().c_str(), stderr);
        }
    }
    GridRows(const GridRows&) = delete;
    GridRows& operator=(const GridRows&) = delete;

    // The levels of the next row, valid until the next call.
    Result<const int32_t*> Next()
    {
        for (;;) {
            const int32_t* row = m_pool.NextRow(std::chrono::milliseconds(20));
            if (InterruptSignal() != 0) {
                return Failure::Interrupt();  // the pool cancels and joins its threads as it goes
            }
            if (row != nullptr) {
                return row;
            }
            if (m_pool.Failed()) {
                return OutOfMemory(m_options);
            }
            ShowProgress();
        }
    }

private:
    void ShowProgress()
    {
        const auto now = std::chrono::steady_clock::now();
        if (m_showProgress && now - m_lastReport >= std::chrono::seconds(1)) {
            m_lastReport = now;
            const double elapsed = std::chrono::duration<double>(now - m_started).count();
            const std::string line = FormatProgress(m_pool.RowsHandedOut(), m_options.gridHeight, elapsed);
            std::fputs(m_progress.Redraw(line).c_str(), stderr);
        }
    }

    StripePool& m_pool;
    const RenderOptions& m_options;
    const bool m_showProgress;
    ProgressLine m_progress;
    const std::chrono::steady_clock::time_point m_started = std::chrono::steady_clock::now();
    std::chrono::steady_clock::time_point m_lastReport = m_started;
};

// The display bitmap the window shows of a grid in a client area, filled a row at a time from
// the top down as the grid's rows come from the top down: only the image rows that the bitmap
// row being filled takes are kept, coloured.
class BitmapRows {
public:
    BitmapRows(Size grid, Size bitmap)
        : m_resampler(grid, bitmap), m_grid(grid), m_bitmap(bitmap), m_nextRow(bitmap.height - 1),
          m_span(ImageRowsOf({m_nextRow, m_nextRow + 1}, grid.height, bitmap.height)),
          m_row(static_cast<size_t>(bitmap.width))
    {
        int32_t longestSpan = 0;
        for (int32_t y = 0; y < bitmap.height; ++y) {
            const RowRange span = ImageRowsOf({y, y + 1}, grid.height, bitmap.height);
            longestSpan = std::max(longestSpan, span.last - span.first);
        }
        m_image.resize(static_cast<size_t>(longestSpan) * grid.width);
    }

    // Where the colours of image row `row` go, the rows from the top down.
    uint32_t* ImageRow(int32_t row) { return m_image.data() + int64_t{row - m_span.first} * m_grid.width; }

    // Fills and passes on every bitmap row whose image rows are all there, once image row
    // `row` is: row 0 of the bitmap is its bottom row.
    template <typename Pass>
    Status PassFinishedRows(int32_t row, const Pass& pass)
    {
        while (m_nextRow >= 0 && m_span.first >= row) {
            m_resampler.Fill(m_image.data(), m_span.first, {m_nextRow, m_nextRow + 1}, m_row.data());
            if (Status passed = pass(m_row.data()); !passed) {
                return passed;
            }
            // The next row's span is this one again (an enlarged image repeats rows) or the
            // rows just below it, which come next.
            --m_nextRow;
            if (m_nextRow >= 0) {
                m_span = ImageRowsOf({m_nextRow, m_nextRow + 1}, m_grid.height, m_bitmap.height);
            }
        }
        return {};
    }

private:

    BoxResampler m_resampler;
    Size m_grid;
    Size m_bitmap;
    int32_t m_nextRow;  // the next bitmap row to fill
    RowRange m_span;    // the image rows it takes
    std::vector<uint32_t> m_image;
    std::vector<uint32_t> m_row;
};

// The coloured picture as a PNG that names the command making it again: with --grid the grid
// coloured a row at a time, with --fit the display bitmap the window shows in that area.
class PictureOutput {
public:
    PictureOutput(const RenderOptions& options, int32_t stripes, ByteSink& sink)
        : m_table(MakeColorTable(options.scheme, options.reverse)), m_writer(sink)
    {
        const Size grid{options.gridWidth, options.gridHeight};
        m_size = grid;
        if (options.clientWidth != 0) {
            m_size = DisplayBitmapSize(grid, {options.clientWidth, options.clientHeight});
            if (m_size.width < 1 || m_size.height < 1) {
                throw std::bad_alloc();
            }
            m_bitmap.emplace(grid, m_size);
        }
        m_row.resize(static_cast<size_t>(grid.width));
        m_texts = {{"Software", "corvalis-render " CORVALIS_VERSION}, {"Command", ReproducingCommand(options, stripes)}};
    }

    Status Start() { return m_writer.Start(m_size, m_texts); }

    Status AddRow(int32_t gridRow, const int32_t* levels)
    {
        uint32_t* colours = m_bitmap ? m_bitmap->ImageRow(gridRow) : m_row.data();
        for (size_t column = 0; column < m_row.size(); ++column) {
            colours[column] = m_table[std::clamp<int32_t>(levels[column], 0, 255)];
        }
        if (!m_bitmap) {
            return m_writer.AddRow(colours);
        }
        return m_bitmap->PassFinishedRows(gridRow, [this](const uint32_t* row) { return m_writer.AddRow(row); });
    }

    Status Finish() { return m_writer.Finish(); }

private:
    const ColorTable m_table;
    PngWriter m_writer;
    Size m_size;
    std::vector<PngText> m_texts;
    std::vector<uint32_t> m_row;
    std::optional<BitmapRows> m_bitmap;
};

// Where the outputs are written while the rows are computed.
struct OutputSinks {
    ByteSink* levels = nullptr;
    ByteSink* picture = nullptr;
};

// A failure while the rows are computed and written: of an output's sink or encoder, told with
// that output's name, or of the computation.
struct RowsFailure {
    ByteSink* sink = nullptr;  // the output at fault; null for the computation
    Failure failure;
};

// Computes the grid's rows from the top down with the values of a split into `stripes`
// stripes, on `threads` threads that share the rows out, and writes each row to the outputs as
// soon as the rows above it are written.
std::optional<RowsFailure> ComputeAndWrite(const RenderOptions& options, int32_t stripes, int32_t threads,
                                           bool showProgress, const OutputSinks& sinks)
{
    const Size grid{options.gridWidth, options.gridHeight};
    std::optional<PgmWriter> levels;
    std::optional<PictureOutput> picture;
    if (sinks.levels != nullptr) {
        levels.emplace(*sinks.levels);
    }
    if (sinks.picture != nullptr) {
        picture.emplace(options, stripes, *sinks.picture);
    }
    std::vector<StripeSpec> specs;
    for (int32_t i = 0; i < stripes; ++i) {
        specs.push_back(StripeFor(nullptr, grid, options.region, StripeBounds(i, stripes, grid.height)));
    }
    const std::unique_ptr<StripePool> pool = StripePool::Start(std::move(specs), threads);
    if (pool == nullptr) {
        return RowsFailure{nullptr, Failure::Because("cannot start " + std::to_string(threads) + " threads")};
    }
    const auto failed = [](ByteSink* sink, Status status) {
        return status ? std::nullopt : std::optional(RowsFailure{sink, status.Error()});
    };
    if (levels) {
        if (auto failure = failed(sinks.levels, levels->Start(grid))) {
            return failure;
        }
    }
    if (picture) {
        if (auto failure = failed(sinks.picture, picture->Start())) {
            return failure;
        }
    }
    GridRows rows(*pool, options, showProgress);
    for (int32_t row = grid.height - 1; row >= 0; --row) {
        const Result<const int32_t*> next = rows.Next();
        if (!next) {
            return RowsFailure{nullptr, next.Error()};
        }
        if (levels) {
            if (auto failure = failed(sinks.levels, levels->AddRow(*next))) {
                return failure;
            }
        }
        if (picture) {
            if (auto failure = failed(sinks.picture, picture->AddRow(row, *next))) {
                return failure;
            }
        }
    }
    if (levels) {
        if (auto failure = failed(sinks.levels, levels->Finish())) {
            return failure;
        }
    }
    if (picture) {
        if (auto failure = failed(sinks.picture, picture->Finish())) {
            return failure;
        }
    }
    if (InterruptSignal() != 0) {
        return RowsFailure{nullptr, Failure::Interrupt()};
    }
    return std::nullopt;
}

// Computes the rows and writes the outputs as one transaction: every output is opened, the
// files that are replaced as new files beside them, and each Write holds the next one, so that
// all are written in one pass of the computation; only then the new files are renamed over the
// old ones, those of replaced files first. A failure or an interrupt before the end leaves every
// old file as it was.
Status RenderOutputs(const RenderOptions& options, int32_t stripes, int32_t threads, bool showProgress,
                     const Outputs& outputs)
{
    struct Output {
        const OutputTarget* target;
        ByteSink* OutputSinks::*sink;
    };
    std::vector<Output> writes;
    if (outputs.levels) {
        writes.push_back({&*outputs.levels, &OutputSinks::levels});
    }
    if (outputs.picture) {
        writes.push_back({&*outputs.picture, &OutputSinks::picture});
    }
    std::stable_partition(writes.begin(), writes.end(),
                          [](const Output& output) { return output.target->kind == OutputTarget::Kind::Replace; });
    OutputTransaction transaction;
    OutputSinks sinks;
    std::optional<RowsFailure> rowsFailure;
    std::optional<Failure> told;  // the failure as it is to be told
    // Each output's encoder gives back the failure of its own sink unchanged, for the
    // transaction to name the output; any other failure has been told already.
    std::function<Status(size_t)> writeFrom = [&](size_t k) {
        ByteSink*& sink = sinks.*writes[k].sink;
        const Status written = transaction.Write(*writes[k].target, [&](ByteSink& opened) -> Status {
            sink = &opened;
            const Status inner = k + 1 < writes.size() ? writeFrom(k + 1) : [&]() -> Status {
                rowsFailure = ComputeAndWrite(options, stripes, threads, showProgress, sinks);
                if (rowsFailure && rowsFailure->sink == nullptr) {
                    told = rowsFailure->failure;
                }
                return rowsFailure ? Status{rowsFailure->failure} : Status{};
            }();
            return !inner && rowsFailure && rowsFailure->sink == sink ? Status{rowsFailure->failure} : inner;
        });
        const bool ownFailure = !rowsFailure || rowsFailure->sink == sink;
        if (!written && !told && ownFailure) {
            told = written.Error();
        }
        return written;
    };
    if (Status written = writeFrom(0); !written) {
        return *told;
    }
    return transaction.Commit();
}

}  // namespace

int main(int argc, char** argv)
{
    CatchInterrupts();
    const std::vector<std::string> arguments = Utf8Arguments(argc, argv);
    const ParseResult parsed = ParseRenderOptions({arguments.begin(), arguments.end()});
    if (!parsed.error.empty()) {
        return Stop(Failure::Because(parsed.error));
    }
    const RenderOptions& options = parsed.options;
    if (options.help) {
        if (std::fputs(RenderUsage().c_str(), stdout) < 0 || std::fflush(stdout) != 0) {
            return Stop(Failure::Because(std::string("cannot write the help: ") + std::strerror(errno)));
        }
        return 0;
    }
    const Result<Outputs> outputs = FindOutputs(options);
    if (!outputs) {
        return Stop(outputs.Error());
    }
    const int32_t stripes = options.stripes > 0 ? options.stripes : ProcessorCount();
    const int32_t threads = options.threads > 0 ? options.threads : ProcessorCount();
    const bool showProgress = !options.quiet && IsTerminal(stderr);
    try {
        if (Status written = RenderOutputs(options, stripes, threads, showProgress, *outputs); !written) {
            return Stop(written.Error());
        }
        return 0;
    } catch (const std::bad_alloc&) {
        return Stop(OutOfMemory(options));
    }
}
