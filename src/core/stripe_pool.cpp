#include "core/stripe_pool.h"

#include <algorithm>
#include <system_error>

StripePool::StripePool(std::vector<StripeSpec> stripes) : m_stripes(std::move(stripes))
{
    for (int32_t stripe = 0; stripe < static_cast<int32_t>(m_stripes.size()); ++stripe) {
        if (m_stripes[stripe].width > 0) {  // rows without cells are never stored
            m_rowCount += std::max(m_stripes[stripe].rows, 0);
        }
        for (int32_t first = 0; first < m_stripes[stripe].rows; first += kRowsPerTake) {
            m_takes.push_back({stripe, {first, std::min(first + kRowsPerTake, m_stripes[stripe].rows)}});
        }
    }
}

std::unique_ptr<StripePool> StripePool::Start(std::vector<StripeSpec> stripes, int32_t threads)
{
    std::unique_ptr<StripePool> pool(new StripePool(std::move(stripes)));
    try {
        for (int32_t i = 0; i < threads; ++i) {
            pool->m_runningThreads.fetch_add(1, std::memory_order_relaxed);
            pool->m_threads.emplace_back(&StripePool::ComputeTakes, pool.get());
        }
    } catch (const std::system_error&) {
        return nullptr;  // the threads started so far are cancelled and joined
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

void StripePool::ComputeTakes()
{
    for (size_t take = m_nextTake.fetch_add(1); take < m_takes.size(); take = m_nextTake.fetch_add(1)) {
        const Take& next = m_takes[take];
        if (ComputeStripeRows(m_stripes[next.stripe], next.rows, m_cancel, &m_rowsDone) != StripeResult::Completed) {
            break;
        }
    }
    m_runningThreads.fetch_sub(1, std::memory_order_release);
}
