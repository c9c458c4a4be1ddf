// Stand-in for the system information the program asks for.
#pragma once

#include <cstdint>
#include <thread>

// Number of processors, at least 1.
inline int32_t ProcessorCount()
{
    const unsigned count = std::thread::hardware_concurrency();
    return count == 0 ? 1 : static_cast<int32_t>(count);
}
