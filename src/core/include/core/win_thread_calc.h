// The worker of one calculation: computes the density levels of its stripe once, on its own
// thread, then waits idle in its message loop until WM_CALC_QUIT ends the thread.
#pragma once

#include "core/orbit_density.h"
#include "platform/win_thread.h"

#include <atomic>
#include <cstdint>

inline constexpr uint32_t WM_CALC_QUIT = WM_USER + 101;

class CWinThreadCalc : public CWinThread {
public:
    // Stores the stripe; called before the thread is resumed, so the computation sees it.
    void SetStripe(int32_t* pStripe, int32_t nWidth, int32_t nRows, double dXMin, double dYStart,
                   double dXRange, double dYRange);
    const StripeSpec& Stripe() const { return m_stripe; }

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
};
