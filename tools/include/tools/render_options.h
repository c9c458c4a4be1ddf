// Command line of corvalis-render: what to compute and where to write it.
#pragma once

#include "core/calc_region.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

inline constexpr int32_t kMaxGridSide = 65536;
inline constexpr int64_t kMaxGridCells = int64_t{1} << 29;
inline constexpr int32_t kMaxThreads = 1024;

struct RenderOptions {
    CalcRegion region{0.0, 3.0, 1.0, 4.0};
    int32_t gridWidth = 0;  // from --grid, or fitted to the --fit client area
    int32_t gridHeight = 0;
    int32_t clientWidth = 0;  // from --fit; 0 when the grid is given directly
    int32_t clientHeight = 0;
    int32_t threads = 0;  // 0: one worker per processor
    std::string levelsPath;
    std::string picturePath;  // -o: the coloured picture as PNG
    int32_t scheme = 0;       // 0 blue, 1 red, 2 green, 3 monochrome
    int32_t reverse = 0;
    bool quiet = false;
    bool help = false;
};

struct ParseResult {
    RenderOptions options;
    std::string error;  // empty when the command line is valid
};

ParseResult ParseRenderOptions(const std::vector<std::string_view>& args);

// Parses a whole string as a finite decimal number; nothing else is accepted.
std::optional<double> ParseFiniteNumber(std::string_view text);

// Parses a whole decimal number from least to most.
std::optional<int32_t> ParseWholeNumber(std::string_view text, int32_t least, int32_t most);

// The colour scheme index of blue, red, green or mono.
std::optional<int32_t> ParseScheme(std::string_view name);

// Parses "WxH" with whole numbers 1..kMaxGridSide.
std::optional<std::pair<int32_t, int32_t>> ParseSize(std::string_view text);

extern const char* const kRenderUsage;
