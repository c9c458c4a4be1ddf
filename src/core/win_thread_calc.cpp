#include "core/win_thread_calc.h"

void CWinThreadCalc::OnEndThread()
{
    m_bCancel.store(1, std::memory_order_relaxed);
}

void CWinThreadCalc::SetStripe(int32_t* pStripe, int32_t nWidth, int32_t nRows, double dXMin,
                               double dYStart, double dXRange, double dYRange)
{
    m_stripe = {pStripe, nWidth, nRows, dXMin, dYStart, dXRange, dYRange};
}

bool CWinThreadCalc::InitInstance()
{
    ComputeStripe(m_stripe, m_bCancel, &m_nRowsDone);
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
