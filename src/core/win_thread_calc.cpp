#include "core/win_thread_calc.h"

#include <algorithm>

void CWinThreadCalc::OnEndThread()
{
    Cancel();
}

void CWinThreadCalc::AllowRows(int32_t rows)
{
    {
        // Under the mutex, so that a worker about to sleep either sees the new count or is
        // already waiting when the notification comes; it also makes a cancel flag set before
        // visible to the worker that this wakes.
        std::lock_guard lock(m_holdMutex);
        m_nRowsAllowed = rows;
    }
    m_holdChanged.notify_all();
}

void CWinThreadCalc::Cancel()
{
    m_bCancel.store(1, std::memory_order_relaxed);
    AllowRows(kAllRows);
}

void CWinThreadCalc::SetStripe(int32_t* pStripe, int32_t nWidth, int32_t nRows, double dXMin, double dYStart,
                               double dXRange, double dYRange)
{
    m_stripe = {pStripe, nWidth, nRows, dXMin, dYStart, dXRange, dYRange};
}

bool CWinThreadCalc::InitInstance()
{
    int32_t row = 0;
    while (row < m_stripe.rows && m_bCancel.load(std::memory_order_relaxed) == 0) {
        int32_t allowed = 0;
        {
            std::unique_lock lock(m_holdMutex);
            m_holdChanged.wait(lock, [&] { return m_nRowsAllowed > row; });
            allowed = m_nRowsAllowed;
        }
        const int32_t last = std::min(allowed, m_stripe.rows);
        if (ComputeStripeRows(m_stripe, {row, last}, m_bCancel, &m_nRowsDone) != StripeResult::Completed) {
            break;
        }
        row = last;
    }
    m_bRunning.store(0, std::memory_order_release);
    return true;
}

void CWinThreadCalc::OnThreadMessage(uint32_t message, uintptr_t wParam, intptr_t lParam)
{
    if (message == WM_CALC_QUIT) {
        OnCalcQuit(wParam, lParam);
    }
}

void CWinThreadCalc::OnCalcQuit(uintptr_t, intptr_t)
{
    PostQuitMessage(0);
}
