// The levels of a computation's rows from the top down, for any front end: rows that a rows
// file keeps are read from it, the others computed by threads that share them out (and kept in
// the file where it is opened to keep). Only the rows in flight are held in memory, however
// high the grid; a cancel check stops the waiting at once.
#pragma once

#include "core/stripe_pool.h"
#include "job/computation.h"
#include "job/rows_file.h"
#include "platform/result.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

// Whether the caller wants the work to stop: a true answer ends it with Failure::Interrupt().
using CancelCheck = std::function<bool()>;

// Told, now and then while rows are computed or read, how many of those to compute (or, where
// none is computed, to read) are done.
using ProgressReport = std::function<void(int64_t done, int64_t toDo)>;

// A row of the grid (0 the bottom row, the least parameter) and its levels, a cell each, with
// the hits they come from where the row was computed or its rows file keeps them.
struct SourceRow {
    int32_t row = -1;  // -1: no row is left
    const int32_t* levels = nullptr;
    const uint64_t* hits = nullptr;
    // The λ of each of its kSubSamples sub-samples (core/lyapunov.h), where asked for.
    const double* lyapunov = nullptr;
};

// What a source gives of each row beyond its levels and hits.
struct RowExtras {
    bool lyapunov = false;  // the λ of its sub-samples
};

class RowSource {
public:
    // The rows `rows` of the computation's shard. `kept`, if any, must outlive the source.
    RowSource(const Computation& computation, RowRange rows, KeptRows* kept, CancelCheck cancel,
              ProgressReport progress, RowExtras extras = {});
    RowSource(const RowSource&) = delete;
    RowSource& operator=(const RowSource&) = delete;

    // Starts computing, on `threads` threads, the rows it gives that are not kept.
    Status Start(int32_t threads);

    // The next row it gives from the top down, its levels and hits valid until the next call;
    // after the last, a row of -1.
    Result<SourceRow> Next();

private:
    // Whether the source gives the row: in its rows and its shard.
    bool Gives(int32_t row) const;
    void ReportProgress();

    const Computation m_computation;
    const RowRange m_rows;
    KeptRows* const m_kept;
    int32_t m_nextRow;  // the row above those it may still give
    const CancelCheck m_cancel;
    const ProgressReport m_progress;
    const RowExtras m_extras;
    std::vector<int32_t> m_levels;
    std::vector<uint64_t> m_hits;         // of a kept row
    double m_lyapunov[kSubSamples] = {};  // of a kept row
    std::unique_ptr<StripePool> m_pool;   // none when every row it gives is kept
    int64_t m_rowsToCompute = 0;
    int64_t m_rowsToRead = 0;
    int64_t m_rowsRead = 0;
};
