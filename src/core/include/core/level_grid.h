// The cells of the level grid, which worker threads write while the user-interface thread reads
// them: every access is one relaxed atomic access of a whole 32-bit cell, so a reader sees
// either the old or the new level, never a mix.
#pragma once

#include <atomic>
#include <cstdint>

inline int32_t LoadLevel(int32_t* cells, int64_t index)
{
    return std::atomic_ref<int32_t>(cells[index]).load(std::memory_order_relaxed);
}

inline void StoreLevel(int32_t* cells, int64_t index, int32_t level)
{
    std::atomic_ref<int32_t>(cells[index]).store(level, std::memory_order_relaxed);
}

// Reads the cells of one grid by index, for code that takes a level reader.
struct SharedLevels {
    int32_t* cells = nullptr;

    int32_t operator()(int64_t index) const { return LoadLevel(cells, index); }
};
