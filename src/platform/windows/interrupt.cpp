#include "platform/interrupt.h"

#include "interrupt_handler.h"

#include <csignal>

void CatchInterrupts()
{
    std::signal(SIGINT, OnInterruptSignal);
}
