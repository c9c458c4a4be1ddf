// The signal handler that the system's source installs for the signals it catches.
#pragma once

// Records the signal for InterruptSignal. Safe to run as a signal handler.
void OnInterruptSignal(int signal);
