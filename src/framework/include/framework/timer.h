// Stand-in for the system's window-less timers: SetTimer/KillTimer on the user-interface
// thread, backed by QTimers that live with the QApplication.
#pragma once

#include <cstdint>

#ifndef WM_TIMER  // <windows.h> defines it as the same number
inline constexpr uint32_t WM_TIMER = 0x0113;
#endif

// Called on the user-interface thread at every tick with (context, WM_TIMER, id, time).
using TimerProc = void (*)(void* context, uint32_t message, uintptr_t id, uint32_t time);

// Starts a repeating timer that calls proc with the given context, which stands where the
// system passes the timer's window; returns its nonzero id, or 0 when no timer can be made
// (no application object yet, or called off the user-interface thread).
uint32_t SetTimer(void* context, uint32_t elapseMs, TimerProc proc);

// Stops the timer at once and frees it later, so a tick may kill its own timer.
// Returns false for an id that names no timer.
bool KillTimer(uint32_t id);
