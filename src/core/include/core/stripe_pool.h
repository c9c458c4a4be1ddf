// The rows of a grid split into stripes, computed by any number of threads and handed out from
// the top row down (the grid's last row, the largest parameter, first), as a picture is written.
// The threads take the next few rows in that order that no thread has taken yet, from whichever
// stripe they are in, but never more than a small window ahead of the row handed out: however
// high the grid, only the rows in flight are kept. Every row is computed with the values of its
// own stripe: the hits are those of the stripes, whichever thread computes a row and however
// many threads there are. A pool may compute only some of the rows: it hands out those.
#pragma once

#include "core/orbit_density.h"
#include "platform/result.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

// Rows a thread takes at a time: as many as give every thread a take, from kFewestRowsPerTake
// to kMostRowsPerTake. The most keep the widest lanes full (their 160 sub-samples fill 32 lanes
// five times over); the fewest leave little for the other threads to wait for in a low grid.
inline constexpr int32_t kFewestRowsPerTake = 4;
inline constexpr int32_t kMostRowsPerTake = 16;

// Takes in flight per thread: enough that a thread finds work while an expensive row holds
// back the row to be handed out.
inline constexpr int32_t kTakesInFlightPerThread = 4;

class StripePool {
public:
    // Starts `threads` threads on the stripes, which share one width; a failure when the system
    // cannot start them. The stripes' own cells are not used. Where `wanted` is given, only the
    // rows it marks are computed: it has a mark for each row of the stripes laid one above the
    // other, the first stripe's row 0 first. With `lyapunov`, the Lyapunov exponents of each row's
    // sub-samples are computed too.
    static Result<std::unique_ptr<StripePool>> Start(std::vector<StripeSpec> stripes, int32_t threads,
                                                     const std::vector<bool>& wanted = {}, bool lyapunov = false);
    // Cancels what is left and waits for every thread.
    ~StripePool();
    StripePool(const StripePool&) = delete;
    StripePool& operator=(const StripePool&) = delete;

    // The hits of the next row from the top (a cell's count, which LevelFromHits makes its level),
    // once computed, valid until the next call, which frees its place for another row. Null when it is not computed within `timeout`, after
    // the last row, and for good after a cancel; a failure, for good, where a thread found no
    // memory for its rows: the rest are never handed out.
    Result<const uint64_t*> NextRow(std::chrono::milliseconds timeout);
    // The Lyapunov exponents of the sub-samples (kSubSamples) of the row NextRow last handed out,
    // valid as long as its hits; null for a pool started without them.
    const double* RowLyapunov() const { return m_rowLyapunov; }
    // Rows handed out by NextRow so far.
    int64_t RowsHandedOut() const { return m_rowsHandedOut.load(std::memory_order_relaxed); }
    // Asks the threads to stop: a row being computed is abandoned and never handed out.
    void Cancel();

private:
    struct Take {
        int32_t stripe;
        RowRange rows;
    };

    StripePool(std::vector<StripeSpec> stripes, int32_t threads, const std::vector<bool>& wanted, bool lyapunov);
    void ComputeTakes();
    uint64_t* SlotOf(size_t take) { return m_hits.data() + (take % m_slots) * m_rowsPerTake * m_width; }
    double* LyapunovSlotOf(size_t take)
    {
        return m_lyapunov.empty() ? nullptr : m_lyapunov.data() + (take % m_slots) * m_rowsPerTake * kSubSamples;
    }

    std::vector<StripeSpec> m_stripes;
    int32_t m_rowsPerTake;
    std::vector<Take> m_takes;  // the wanted rows in takes of at most m_rowsPerTake, from the top down
    size_t m_slots;             // takes in flight at most
    size_t m_width;             // cells of a row
    std::vector<uint64_t> m_hits;
    std::vector<double> m_lyapunov;  // none without them
    const double* m_rowLyapunov = nullptr;
    std::vector<char> m_computed;  // per slot: its take is computed and not yet handed out whole
    mutable std::mutex m_mutex;
    std::condition_variable m_roomFreed;  // a slot was freed, or the pool cancelled
    std::condition_variable m_takeDone;   // a take was computed, or a thread failed
    size_t m_nextTake = 0;                // the next take no thread has taken
    size_t m_takeHandedOut = 0;           // the take whose rows NextRow hands out
    int32_t m_rowsOfTakeHandedOut = 0;
    bool m_holdingRow = false;  // the last row handed out is still the caller's
    bool m_failed = false;
    std::atomic<int32_t> m_cancel{0};
    std::atomic<int64_t> m_rowsHandedOut{0};
    std::vector<std::thread> m_threads;
};
