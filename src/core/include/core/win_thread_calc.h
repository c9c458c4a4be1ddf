// The worker of one calculation: computes the density levels of its stripe once, on its own
// thread, then waits idle in its message loop until WM_CALC_QUIT ends the thread.
#pragma once

#include "core/orbit_density.h"
#include "platform/win_thread.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <limits>
#include <mutex>

inline constexpr uint32_t WM_CALC_QUIT = WM_USER + 101;

// A row allowance that holds no worker back.
inline constexpr int32_t kAllRows = std::numeric_limits<int32_t>::max();

class CWinThreadCalc : public CWinThread {
public:
    // Stores the stripe; called before the thread is resumed, so the computation sees it.
    void SetStripe(int32_t* pStripe, int32_t nWidth, int32_t nRows, double dXMin, double dYStart, double dXRange,
                   double dYRange);
    const StripeSpec& Stripe() const { return m_stripe; }

    // Lets the worker store rows of its stripe up to this count (from its first row on), then
    // wait until it may store more; kAllRows, the default, holds it nowhere. Callers that want
    // to know which rows are stored when (tests) set the pace with it.
    void AllowRows(int32_t rows);
    // Stops the computation early: sets m_bCancel and lifts any hold, so that a held worker ends
    // too.
    void Cancel();

    // 1 until the computation has ended; cleared with release order after the last cell write.
    std::atomic<int32_t> m_bRunning{1};
    // Set to 1 by the coordinator to stop the computation early; never reset.
    std::atomic<int32_t> m_bCancel{0};
    // Rows of the stripe stored so far, from its first row on, in order; their cells are final.
    // Counted with release order after each row's cells are written.
    std::atomic<int32_t> m_nRowsDone{0};

protected:
    bool InitInstance() override;
    void OnThreadMessage(uint32_t message, uintptr_t wParam, intptr_t lParam) override;
    // A worker destroyed while it computes stops at once instead of finishing its stripe.
    void OnEndThread() override;

private:
    void OnCalcQuit(uintptr_t wParam, intptr_t lParam);

    StripeSpec m_stripe;
    // The hold: a held worker sleeps on the condition variable until the allowance passes its
    // row. A mutex and a condition variable rather than std::atomic::wait, which on systems
    // without a futex (MinGW's libstdc++) can miss a wake-up and leave the worker held forever.
    std::mutex m_holdMutex;
    std::condition_variable m_holdChanged;
    int32_t m_nRowsAllowed = kAllRows;  // guarded by m_holdMutex
};
