// Ctrl+C, and SIGTERM, SIGHUP and SIGQUIT where the system has them: caught instead of ending
// the program at once, so that a program can stop its work and remove what it has begun before
// it exits.
#pragma once

// Catches the signals from now on. A system call that blocks (a write to a full pipe, the
// opening of a FIFO without a reader) returns early when one arrives. A write that the system
// refuses with a signal where it has one (to a pipe without a reader, past the limit on file
// sizes) fails instead, with the error of the write.
void CatchInterrupts();

// The signal that asked the program to stop, or 0.
int InterruptSignal();

// The exit status of a program that a signal stopped: 128 + the signal's number.
int InterruptedExitStatus();
