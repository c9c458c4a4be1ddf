#include "core/calc_workers.h"

#include <new>

WorkerList StartWorkers(int32_t* levels, Size grid, const CalcRegion& region, int32_t count, int32_t rowsAllowed)
{
    WorkerList workers;
    try {
        workers.resize(static_cast<size_t>(count));
        for (int32_t i = 0; i < count; ++i) {
            std::unique_ptr<CWinThreadCalc> worker = AfxBeginThread<CWinThreadCalc>();
            if (worker == nullptr) {
                return {};  // the workers made so far end, unstarted, as they are destroyed
            }
            const StripeSpec stripe = StripeFor(levels, grid, region, StripeBounds(i, count, grid.height));
            worker->SetStripe(stripe.cells, stripe.width, stripe.rows, stripe.xMin, stripe.yStart, stripe.xRange,
                              stripe.yRange);
            worker->AllowRows(rowsAllowed);
            workers[static_cast<size_t>(i)] = std::move(worker);
        }
    } catch (const std::bad_alloc&) {
        return {};
    }
    for (auto& worker : workers) {
        worker->ResumeThread();
    }
    return workers;
}

void StopWorkers(WorkerList& workers)
{
    std::vector<CWinThread*> threads;
    for (auto& worker : workers) {
        if (worker) {
            worker->Cancel();
            worker->PostThreadMessage(WM_CALC_QUIT, 0, 0);
            threads.push_back(worker.get());
        }
    }
    WaitForAllThreads(threads);
    workers.clear();
    workers.shrink_to_fit();
}

int32_t CountRunning(const WorkerList& workers)
{
    int32_t running = 0;
    for (const auto& worker : workers) {
        if (worker->m_bRunning.load(std::memory_order_acquire) != 0) {
            ++running;
        }
    }
    return running;
}

std::vector<RowRange> StoredRows(const WorkerList& workers, int32_t gridHeight)
{
    std::vector<RowRange> rows;
    const auto count = static_cast<int32_t>(workers.size());
    for (int32_t i = 0; i < count; ++i) {
        const int32_t first = StripeBounds(i, count, gridHeight).first;
        rows.push_back({first, first + workers[i]->m_nRowsDone.load(std::memory_order_acquire)});
    }
    return rows;
}

int64_t RowsDone(const WorkerList& workers)
{
    int64_t rows = 0;
    for (const auto& worker : workers) {
        rows += worker->m_nRowsDone.load(std::memory_order_relaxed);
    }
    return rows;
}
