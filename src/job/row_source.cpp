#include "job/row_source.h"

#include <algorithm>
#include <chrono>

RowSource::RowSource(const Computation& computation, RowRange rows, KeptRows* kept, CancelCheck cancel,
                     ProgressReport progress, RowExtras extras)
    : m_computation(computation),
      m_rows(rows),
      m_kept(kept),
      m_nextRow(rows.last),
      m_cancel(std::move(cancel)),
      m_progress(std::move(progress)),
      m_extras(extras),
      m_levels(static_cast<size_t>(computation.grid.width)),
      m_hits(static_cast<size_t>(computation.grid.width))
{
}

bool RowSource::Gives(int32_t row) const
{
    return row >= m_rows.first && row < m_rows.last && InShard(m_computation, row);
}

Status RowSource::Start(int32_t threads)
{
    const Size grid = m_computation.grid;
    std::vector<bool> wanted(static_cast<size_t>(grid.height));
    for (int32_t row = 0; row < grid.height; ++row) {
        wanted[static_cast<size_t>(row)] = Gives(row) && (m_kept == nullptr || !m_kept->Holds(row));
        m_rowsToRead += Gives(row) && !wanted[static_cast<size_t>(row)];
    }
    const bool keepsLyapunov = m_kept != nullptr && m_kept->KeepsLyapunov();
    if (m_extras.lyapunov && m_kept != nullptr && !keepsLyapunov) {
        return Failure::Because(
            "the rows files keep no Lyapunov exponents (they were made before rows files kept "
            "them): compute the rows again into a new rows file");
    }
    m_rowsToCompute = std::ranges::count(wanted, true);
    if (m_rowsToCompute == 0) {
        return {};
    }
    std::vector<StripeSpec> specs;
    for (int32_t i = 0; i < m_computation.stripes; ++i) {
        specs.push_back(
            StripeFor(nullptr, grid, m_computation.region, StripeBounds(i, m_computation.stripes, grid.height)));
    }
    // Rows kept in a file that keeps the exponents have them too, asked for or not.
    Result<std::unique_ptr<StripePool>> pool = StripePool::Start(std::move(specs), threads, wanted,
                                                                 m_extras.lyapunov || keepsLyapunov);
    if (!pool) {
        return pool.Error();
    }
    m_pool = std::move(*pool);
    return {};
}

Result<SourceRow> RowSource::Next()
{
    if (m_cancel()) {
        return Failure::Interrupt();
    }
    do {
        --m_nextRow;
    } while (m_nextRow >= m_rows.first && !Gives(m_nextRow));
    if (m_nextRow < m_rows.first) {
        return SourceRow{};
    }
    const int32_t row = m_nextRow;
    if (m_kept != nullptr && m_kept->Holds(row)) {
        ++m_rowsRead;
        ReportProgress();
        const bool keepsHits = m_kept->KeepsHits();
        double* lyapunov = m_extras.lyapunov ? m_lyapunov : nullptr;
        if (Status read = m_kept->Read(row, m_levels.data(), keepsHits ? m_hits.data() : nullptr, lyapunov); !read) {
            return read.Error();
        }
        return SourceRow{row, m_levels.data(), keepsHits ? m_hits.data() : nullptr, lyapunov};
    }
    for (;;) {
        const Result<const uint64_t*> hits = m_pool->NextRow(std::chrono::milliseconds(20));
        if (m_cancel()) {
            return Failure::Interrupt();  // the pool cancels and joins its threads as it goes
        }
        if (!hits) {
            return OutOfMemory(m_computation.grid);  // the pool fails only for want of memory
        }
        if (*hits != nullptr) {
            std::transform(*hits, *hits + m_levels.size(), m_levels.begin(),
                           [](uint64_t cellHits) { return LevelFromHits(static_cast<int64_t>(cellHits)); });
            if (m_kept != nullptr) {
                if (Status kept = m_kept->Keep(row, m_levels.data(), *hits, m_pool->RowLyapunov()); !kept) {
                    return kept.Error();
                }
            }
            return SourceRow{row, m_levels.data(), *hits, m_extras.lyapunov ? m_pool->RowLyapunov() : nullptr};
        }
        ReportProgress();
    }
}

void RowSource::ReportProgress()
{
    if (m_progress) {
        m_progress(m_pool != nullptr ? m_pool->RowsHandedOut() : m_rowsRead,
                   m_pool != nullptr ? m_rowsToCompute : m_rowsToRead);
    }
}
