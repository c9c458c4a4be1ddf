#include "platform/interrupt.h"

#include <atomic>
#include <csignal>

namespace {

std::atomic<int> g_signal{0};
static_assert(std::atomic<int>::is_always_lock_free, "set from a signal handler");

void OnSignal(int signal)
{
    g_signal.store(signal, std::memory_order_relaxed);
}

}  // namespace

#ifdef _WIN32

void CatchInterrupts()
{
    std::signal(SIGINT, OnSignal);
}

#else

void CatchInterrupts()
{
    struct sigaction action = {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = 0;  // no SA_RESTART: a blocked write or open returns with EINTR
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    // A reader that went away is an error of the write (EPIPE), not a signal that kills.
    std::signal(SIGPIPE, SIG_IGN);
}

#endif

int InterruptSignal()
{
    return g_signal.load(std::memory_order_relaxed);
}

int InterruptedExitStatus()
{
    return 128 + InterruptSignal();
}
