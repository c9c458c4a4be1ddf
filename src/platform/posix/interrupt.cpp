#include "platform/interrupt.h"

#include "interrupt_handler.h"

#include <csignal>
#include <initializer_list>

void CatchInterrupts()
{
    struct sigaction action = {};
    action.sa_handler = OnInterruptSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = 0;  // no SA_RESTART: a blocked write or open returns with EINTR
    // A closed terminal (SIGHUP) is how a long job most often ends; Ctrl+\ sends SIGQUIT.
    for (const int signal : {SIGINT, SIGTERM, SIGHUP, SIGQUIT}) {
        sigaction(signal, &action, nullptr);
    }
    // A reader that went away is an error of the write (EPIPE), not a signal that kills.
    std::signal(SIGPIPE, SIG_IGN);
    // So is a file grown past the limit on file sizes (ulimit -f): the write fails with EFBIG.
    std::signal(SIGXFSZ, SIG_IGN);
}
