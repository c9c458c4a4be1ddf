#include "core/stripe_pool.h"

#include <algorithm>
#include <system_error>

namespace {

// The wanted rows shared out over the threads, within the bounds of a take.
int32_t RowsPerTake(const std::vector<StripeSpec>& stripes, int32_t threads, const std::vector<bool>& wanted)
{
    int64_t rows = 0;
    for (const StripeSpec& stripe : stripes) {
        rows += std::max(stripe.rows, 0);
    }
    if (!wanted.empty()) {
        rows = std::count(wanted.begin(), wanted.end(), true);
    }
    return static_cast<int32_t>(std::clamp<int64_t>(rows / std::max(threads, 1), kFewestRowsPerTake, kMostRowsPerTake));
}

}  // namespace

StripePool::StripePool(std::vector<StripeSpec> stripes, int32_t threads, const std::vector<bool>& wanted, bool lyapunov)
    : m_stripes(std::move(stripes)),
      m_rowsPerTake(RowsPerTake(m_stripes, threads, wanted)),
      m_slots(static_cast<size_t>(std::max(threads, 1)) * kTakesInFlightPerThread),
      m_width(m_stripes.empty() ? 0 : static_cast<size_t>(std::max(m_stripes.front().width, 0)))
{
    int64_t stripeStart = 0;  // the row of the stripes laid one above the other of a stripe's row 0
    std::vector<int64_t> stripeStarts;
    for (const StripeSpec& stripe : m_stripes) {
        stripeStarts.push_back(stripeStart);
        stripeStart += stripe.rows;
    }
    const auto isWanted = [&](int32_t stripe, int32_t row) {
        return wanted.empty() || wanted[static_cast<size_t>(stripeStarts[stripe] + row)];
    };
    for (auto stripe = static_cast<int32_t>(m_stripes.size()) - 1; stripe >= 0; --stripe) {
        if (m_stripes[stripe].width <= 0) {
            continue;  // rows without cells are never handed out
        }
        // Runs of wanted rows from the stripe's top down, cut into takes.
        for (int32_t last = m_stripes[stripe].rows; last > 0;) {
            if (!isWanted(stripe, last - 1)) {
                --last;
                continue;
            }
            int32_t first = last - 1;
            while (first > 0 && last - first < m_rowsPerTake && isWanted(stripe, first - 1)) {
                --first;
            }
            m_takes.push_back({stripe, {first, last}});
            last = first;
        }
    }
    m_slots = std::min(m_slots, std::max<size_t>(m_takes.size(), 1));
    m_hits.resize(m_slots * m_rowsPerTake * m_width);
    if (lyapunov) {
        m_lyapunov.resize(m_slots * m_rowsPerTake * kSubSamples);
    }
    m_computed.resize(m_slots);
}

Result<std::unique_ptr<StripePool>> StripePool::Start(std::vector<StripeSpec> stripes, int32_t threads,
                                                      const std::vector<bool>& wanted, bool lyapunov)
{
    std::unique_ptr<StripePool> pool(new StripePool(std::move(stripes), threads, wanted, lyapunov));
    try {
        for (int32_t i = 0; i < threads; ++i) {
            pool->m_threads.emplace_back(&StripePool::ComputeTakes, pool.get());
        }
    } catch (const std::system_error&) {
        // The threads started so far are cancelled and joined.
        return Failure::Because("cannot start " + std::to_string(threads) + " threads");
    }
    return pool;
}

StripePool::~StripePool()
{
    Cancel();
    for (std::thread& thread : m_threads) {
        thread.join();
    }
}

void StripePool::Cancel()
{
    {
        const std::lock_guard lock(m_mutex);
        m_cancel.store(1, std::memory_order_relaxed);
    }
    m_roomFreed.notify_all();
    m_takeDone.notify_all();
}

void StripePool::ComputeTakes()
{
    for (;;) {
        size_t take = 0;
        {
            std::unique_lock lock(m_mutex);
            m_roomFreed.wait(lock, [this] {
                return m_cancel.load(std::memory_order_relaxed) != 0 || m_nextTake >= m_takes.size() ||
                       m_nextTake < m_takeHandedOut + m_slots;
            });
            if (m_cancel.load(std::memory_order_relaxed) != 0 || m_nextTake >= m_takes.size()) {
                return;
            }
            take = m_nextTake++;
        }
        const Take& next = m_takes[take];
        const StripeResult result = ComputeStripeHitsInto(m_stripes[next.stripe], next.rows, SlotOf(take), m_cancel,
                                                          LyapunovSlotOf(take));
        {
            const std::lock_guard lock(m_mutex);
            m_computed[take % m_slots] = result == StripeResult::Completed;
            m_failed = m_failed || result == StripeResult::OutOfMemory;
        }
        m_takeDone.notify_all();
        if (result != StripeResult::Completed) {
            return;
        }
    }
}

Result<const uint64_t*> StripePool::NextRow(std::chrono::milliseconds timeout)
{
    std::unique_lock lock(m_mutex);
    if (m_holdingRow) {
        m_holdingRow = false;
        const Take& current = m_takes[m_takeHandedOut];
        if (++m_rowsOfTakeHandedOut == current.rows.last - current.rows.first) {
            m_computed[m_takeHandedOut % m_slots] = 0;
            ++m_takeHandedOut;
            m_rowsOfTakeHandedOut = 0;
            m_roomFreed.notify_all();
        }
    }
    if (m_takeHandedOut >= m_takes.size()) {
        return nullptr;
    }
    const size_t slot = m_takeHandedOut % m_slots;
    const bool ready = m_takeDone.wait_for(lock, timeout, [this, slot] {
        return m_computed[slot] != 0 || m_failed || m_cancel.load(std::memory_order_relaxed) != 0;
    });
    if (m_failed) {
        return Failure::Because("not enough memory for the rows being computed");
    }
    if (!ready || m_computed[slot] == 0) {
        return nullptr;
    }
    m_holdingRow = true;
    m_rowsHandedOut.fetch_add(1, std::memory_order_relaxed);
    const Take& current = m_takes[m_takeHandedOut];
    const auto rowInTake = static_cast<size_t>(current.rows.last - 1 - m_rowsOfTakeHandedOut - current.rows.first);
    const double* lyapunov = LyapunovSlotOf(m_takeHandedOut);
    m_rowLyapunov = lyapunov == nullptr ? nullptr : lyapunov + rowInTake * kSubSamples;
    return SlotOf(m_takeHandedOut) + rowInTake * m_width;
}
