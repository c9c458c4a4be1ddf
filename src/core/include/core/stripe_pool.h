// The stripes of a grid computed by any number of threads that share the rows out: each thread
// takes the next few rows that no thread has taken yet, from whichever stripe they are in, so
// the threads finish together however the work is spread over the stripes. Every row is
// computed with the values of its own stripe: the levels are those of the stripes, whichever
// thread computes a row and however many threads there are.
#pragma once

#include "core/orbit_density.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <thread>
#include <vector>

// Rows a thread takes at a time: enough to keep the lanes of a kernel full, few enough that
// the last rows taken leave little for the other threads to wait for.
inline constexpr int32_t kRowsPerTake = 4;

class StripePool {
public:
    // Starts `threads` threads on the stripes; null when the system cannot start them.
    static std::unique_ptr<StripePool> Start(std::vector<StripeSpec> stripes, int32_t threads);
    // Cancels what is left and waits for every thread.
    ~StripePool();
    StripePool(const StripePool&) = delete;
    StripePool& operator=(const StripePool&) = delete;

    // Whether every thread has ended: all rows are stored, or the pool was cancelled.
    bool Finished() const { return m_runningThreads.load(std::memory_order_acquire) == 0; }
    int64_t RowsDone() const { return m_rowsDone.load(std::memory_order_relaxed); }
    // Whether every row of every stripe is stored; false after a cancel, or where a thread
    // found no memory for its rows.
    bool Complete() const { return RowsDone() == m_rowCount; }
    // Asks the threads to stop: a row being computed is abandoned and not stored.
    void Cancel() { m_cancel.store(1, std::memory_order_relaxed); }

private:
    struct Take {
        int32_t stripe;
        RowRange rows;
    };

    explicit StripePool(std::vector<StripeSpec> stripes);
    void ComputeTakes();

    std::vector<StripeSpec> m_stripes;
    std::vector<Take> m_takes;  // every stripe's rows in takes of kRowsPerTake, stripe by stripe
    int64_t m_rowCount = 0;
    std::atomic<size_t> m_nextTake{0};
    std::atomic<int32_t> m_cancel{0};
    std::atomic<int32_t> m_rowsDone{0};
    std::atomic<int32_t> m_runningThreads{0};
    std::vector<std::thread> m_threads;
};
