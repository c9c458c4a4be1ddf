// How long a test waits for something that must happen before it calls it a hang. It is never
// what a test measures: generous for the slowest machine, a sanitizer build and busy processors.
#pragma once

#include <chrono>
#include <thread>

inline constexpr int kHangGuardMs = 60000;

// Checks `done` every millisecond, processing no event, until it holds or the guard runs out.
template <class Condition>
bool WaitWithoutEvents(Condition done)
{
    const auto limit = std::chrono::steady_clock::now() + std::chrono::milliseconds(kHangGuardMs);
    while (!done()) {
        if (std::chrono::steady_clock::now() > limit) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}
