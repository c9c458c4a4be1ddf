// Command line of corvalis-render: what to compute and where to write it.
#pragma once

#include "calc/calc_region.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

inline constexpr int32_t kMaxGridSide = 65536;
inline constexpr int64_t kMaxGridCells = int64_t{1} << 29;

struct RenderOptions {
    CalcRegion region{0.0, 3.0, 1.0, 4.0};
    int32_t gridWidth = 0;  // from --grid; 0 when the grid is fitted instead
    int32_t gridHeight = 0;
    std::string levelsPath;
    bool help = false;
};

struct ParseResult {
    RenderOptions options;
    std::string error;  // empty when the command line is valid
};

ParseResult ParseRenderOptions(const std::vector<std::string_view>& args);

// Parses a whole string as a finite decimal number; nothing else is accepted.
std::optional<double> ParseFiniteNumber(std::string_view text);

// Parses "WxH" with whole numbers 1..kMaxGridSide.
std::optional<std::pair<int32_t, int32_t>> ParseSize(std::string_view text);

extern const char* const kRenderUsage;
