#include "core/win_thread_calc.h"
#include "hang_guard.h"
#include "literal_orbit_density.h"

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <thread>
#include <vector>

namespace {

using namespace std::chrono_literals;

bool WaitUntilFinished(const CWinThreadCalc& worker)
{
    return WaitWithoutEvents([&worker] { return worker.m_bRunning.load(std::memory_order_acquire) == 0; });
}

// WaitWithoutEvents without its sleep: returns the moment `done` holds, so that what the caller
// does next races with what the other thread does right after it made `done` true.
template <class Condition>
bool WaitYielding(Condition done)
{
    const auto limit = std::chrono::steady_clock::now() + std::chrono::milliseconds(kHangGuardMs);
    while (!done()) {
        if (std::chrono::steady_clock::now() > limit) {
            return false;
        }
        std::this_thread::yield();
    }
    return true;
}

TEST(CWinThreadCalc, ConstructedRunningAndNotCancelled)
{
    CWinThreadCalc worker;
    EXPECT_EQ(worker.m_bRunning.load(), 1);
    EXPECT_EQ(worker.m_bCancel.load(), 0);
    EXPECT_EQ(worker.Stripe().cells, nullptr);
}

TEST(CWinThreadCalc, SuspendedWorkerComputesNothingUntilResumed)
{
    std::vector<int32_t> cells(8 * 4, -1);
    const std::unique_ptr<CWinThreadCalc> worker = AfxBeginThread<CWinThreadCalc>();
    ASSERT_NE(worker, nullptr);
    worker->SetStripe(cells.data(), 8, 4, 0.0, 3.0, 1.0, 1.0);
    std::this_thread::sleep_for(20ms);
    EXPECT_EQ(worker->m_bRunning.load(), 1);
    EXPECT_EQ(cells[0], -1);

    worker->ResumeThread();
    ASSERT_TRUE(WaitUntilFinished(*worker));
    std::vector<int32_t> expected(8 * 4, -1);
    literal::ComputeStripe(expected.data(), 8, 4, 0.0, 3.0, 1.0, 1.0);
    EXPECT_EQ(cells, expected);

    // Finished, the thread waits in its message loop until WM_CALC_QUIT.
    EXPECT_TRUE(worker->Joinable());
    worker->PostThreadMessage(WM_CALC_QUIT, 0, 0);
    worker->Join();
    EXPECT_FALSE(worker->Joinable());
}

TEST(CWinThreadCalc, QuitPostedWhileComputingWaitsForTheComputation)
{
    std::vector<int32_t> cells(50 * 6, -1);
    const std::unique_ptr<CWinThreadCalc> worker = AfxBeginThread<CWinThreadCalc>();
    ASSERT_NE(worker, nullptr);
    worker->SetStripe(cells.data(), 50, 6, 0.3, 3.6, 0.01, 0.3);
    worker->PostThreadMessage(WM_CALC_QUIT, 0, 0);
    worker->ResumeThread();
    worker->Join();
    EXPECT_EQ(worker->m_bRunning.load(), 0);
    std::vector<int32_t> expected(50 * 6, -1);
    literal::ComputeStripe(expected.data(), 50, 6, 0.3, 3.6, 0.01, 0.3);
    EXPECT_EQ(cells, expected);
}

TEST(CWinThreadCalc, CancelledBeforeStartWritesNothingAndStillFinishes)
{
    std::vector<int32_t> cells(10 * 10, -1);
    const std::unique_ptr<CWinThreadCalc> worker = AfxBeginThread<CWinThreadCalc>();
    ASSERT_NE(worker, nullptr);
    worker->SetStripe(cells.data(), 10, 10, 0.0, 3.0, 1.0, 1.0);
    worker->m_bCancel.store(1);
    worker->ResumeThread();
    ASSERT_TRUE(WaitUntilFinished(*worker));
    EXPECT_EQ(cells, std::vector<int32_t>(10 * 10, -1));
    worker->PostThreadMessage(WM_CALC_QUIT, 0, 0);
    worker->Join();
}

TEST(CWinThreadCalc, EmptyStripeFinishesAtOnce)
{
    const std::unique_ptr<CWinThreadCalc> worker = AfxBeginThread<CWinThreadCalc>();
    ASSERT_NE(worker, nullptr);
    worker->SetStripe(nullptr, 0, 0, 0.0, 3.0, 1.0, 1.0);
    worker->ResumeThread();
    EXPECT_TRUE(WaitUntilFinished(*worker));
}

TEST(CWinThreadCalc, HeldAtARowCountItStoresThoseRowsAndWaitsUntilAllowedMore)
{
    std::vector<int32_t> cells(8 * 6, -1);
    const std::unique_ptr<CWinThreadCalc> worker = AfxBeginThread<CWinThreadCalc>();
    ASSERT_NE(worker, nullptr);
    worker->SetStripe(cells.data(), 8, 6, 0.0, 3.0, 1.0, 1.0);
    worker->AllowRows(2);
    worker->ResumeThread();
    ASSERT_TRUE(WaitWithoutEvents([&] { return worker->m_nRowsDone.load() == 2; }));
    worker->AllowRows(5);
    ASSERT_TRUE(WaitWithoutEvents([&] { return worker->m_nRowsDone.load() == 5; }));
    EXPECT_EQ(worker->m_bRunning.load(), 1);
    std::vector<int32_t> expected(8 * 6, -1);
    literal::ComputeStripe(expected.data(), 8, 6, 0.0, 3.0, 1.0, 1.0);
    std::fill(expected.begin() + 5 * 8, expected.end(), -1);
    EXPECT_EQ(cells, expected);
    // A cancel ends a held worker as it ends a computing one.
    worker->Cancel();
    EXPECT_TRUE(WaitUntilFinished(*worker));
    EXPECT_EQ(worker->m_nRowsDone.load(), 5);
}

TEST(CWinThreadCalc, AllowedOneRowAtATimeItWakesForEveryRow)
{
    // Every step puts the worker to sleep on its hold and wakes it again, the next row allowed
    // as soon as the last one is stored, while the worker is on its way to sleep: a wake-up
    // that the hold can lose there leaves the worker held, and shows within a few hundred steps.
    constexpr int32_t kRows = 500;
    std::vector<int32_t> cells(2 * kRows, -1);
    const std::unique_ptr<CWinThreadCalc> worker = AfxBeginThread<CWinThreadCalc>();
    ASSERT_NE(worker, nullptr);
    worker->SetStripe(cells.data(), 2, kRows, 0.0, 3.0, 1.0, 1.0);
    worker->AllowRows(0);
    worker->ResumeThread();
    for (int32_t rows = 1; rows <= kRows; ++rows) {
        worker->AllowRows(rows);
        ASSERT_TRUE(WaitYielding([&] { return worker->m_nRowsDone.load() == rows; }))
            << "held at " << worker->m_nRowsDone.load() << " rows after allowing " << rows;
        // A different short head start each time, so that the next allowance meets the worker
        // at every point of its way from the stored row into its sleep.
        for (int32_t i = 0; i < rows % 64; ++i) {
            std::this_thread::yield();
        }
    }
    ASSERT_TRUE(WaitUntilFinished(*worker));
    std::vector<int32_t> expected(2 * kRows, -1);
    literal::ComputeStripe(expected.data(), 2, kRows, 0.0, 3.0, 1.0, 1.0);
    EXPECT_EQ(cells, expected);
}

TEST(CWinThreadCalc, DestroyingAComputingWorkerAbandonsTheRowItIsOn)
{
    // Row 0 settles on a fixed point and is done in moments; row 1 is chaotic and takes far
    // longer than the test: destroyed on it, the worker ends without storing it.
    std::vector<int32_t> cells(100 * 2, -1);
    {
        const std::unique_ptr<CWinThreadCalc> worker = AfxBeginThread<CWinThreadCalc>();
        ASSERT_NE(worker, nullptr);
        worker->SetStripe(cells.data(), 100, 2, 0.3, 2.8, 1e-9, 1.8);
        worker->ResumeThread();
        ASSERT_TRUE(WaitWithoutEvents([&] { return worker->m_nRowsDone.load() == 1; }));
    }
    EXPECT_EQ(std::vector<int32_t>(cells.begin() + 100, cells.end()), std::vector<int32_t>(100, -1));
}

TEST(CWinThreadCalc, NeverResumedWorkerCanBeDestroyed)
{
    std::vector<int32_t> cells(4, -1);
    {
        const std::unique_ptr<CWinThreadCalc> worker = AfxBeginThread<CWinThreadCalc>();
        ASSERT_NE(worker, nullptr);
        worker->SetStripe(cells.data(), 2, 2, 0.0, 3.0, 1.0, 1.0);
    }
    EXPECT_EQ(cells, std::vector<int32_t>(4, -1));
}

}  // namespace
