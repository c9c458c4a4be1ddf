// A render, for any front end: a computation, how its levels become colours, the outputs it
// writes, and the one call that runs it: rows from the top down, computed or read from a rows
// file, each written to every output as it comes, and the outputs committed together.
#pragma once

#include "job/byte_sink.h"
#include "job/computation.h"
#include "job/output_file.h"
#include "job/picture_rows.h"
#include "job/png_file.h"
#include "job/row_source.h"
#include "job/rows_file.h"
#include "platform/result.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

struct RenderJob {
    Computation computation;  // its grid sized
    PictureStyle style;
    std::optional<OutputTarget> levels;    // the levels as a PGM
    std::optional<OutputTarget> counts;    // the hits of every cell as a .npy file
    std::optional<OutputTarget> picture;   // the coloured picture as a PNG
    std::optional<OutputTarget> lyapunov;  // the rows' λ as a CSV table
    std::vector<PngText> pictureTexts;     // the PNG's text chunks
    int32_t threads = 1;
};

// How the caller follows a running job and stops it.
struct RenderHooks {
    CancelCheck cancel = [] { return false; };
    ProgressReport progress;  // none: nothing is told
};

// Where a job's outputs are written: a sink each (none for an output not wanted), and the name
// that a failure of its writing is told with.
struct RenderSinks {
    struct Output {
        ByteSink* sink = nullptr;
        std::string name;
    };
    // Each defaults to none, so that a caller names only the outputs it wants.
    Output levels = {};
    Output picture = {};
    Output counts = {};
    Output lyapunov = {};
    // Each finished row of the picture, for a caller that takes its pixels rather than a PNG.
    PictureRowSink pictureRows = {};
};

// Takes a row from the top down.
using RowTaker = std::function<Status(const SourceRow& row)>;

// Takes the computation's rows of its shard from the top down, kept in `kept` or computed on
// `threads` threads (and kept there when it is opened to keep), and hands each to `take`, with
// the extras asked for.
Status ForEachRow(const Computation& computation, int32_t threads, KeptRows* kept, const RenderHooks& hooks,
                  const RowTaker& take, RowExtras extras = {});

// Takes the job's rows from the top down, kept in `kept` or computed (and kept there when it is
// opened to keep), and writes each row to the sinks as soon as the rows above it are written. A
// picture shaded by its own distribution of hits (Shading::Equalize) takes every row twice: once
// to count, once to write. The rows' λ is computed only for the outputs that show it; the table
// of λ has the rows of the computation's shard alone, as the other outputs are for whole grids. Counts and shadings by the hits are refused for rows files that keep
// levels only (version 1).
Status RenderRows(const RenderJob& job, const RenderSinks& sinks, KeptRows* kept, const RenderHooks& hooks);

// Runs the job as one transaction: every output is opened (the files that are replaced as new
// files beside them), the rows written to all of them in one pass, and only then the new files
// put in place of the old ones. A failure or an interrupt before the end leaves every old file as
// it was. Running out of memory is a failure like any other.
Status RunRenderJob(const RenderJob& job, KeptRows* kept, const RenderHooks& hooks);
