#include "platform/interrupt.h"

#include "interrupt_handler.h"

#include <atomic>

namespace {

std::atomic<int> g_signal{0};
static_assert(std::atomic<int>::is_always_lock_free, "set from a signal handler");

}  // namespace

void OnInterruptSignal(int signal)
{
    g_signal.store(signal, std::memory_order_relaxed);
}

int InterruptSignal()
{
    return g_signal.load(std::memory_order_relaxed);
}

int InterruptedExitStatus()
{
    return 128 + InterruptSignal();
}
