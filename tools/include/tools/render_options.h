// Command line of corvalis-render: what to compute and where to write it.
#pragma once

#include "core/calc_layout.h"
#include "core/calc_region.h"
#include "render/color_scale.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The largest side of a grid: what PNG, PGM and the 32-bit arithmetic of the rows allow. The
// rows are computed and written a few at a time, so the number of cells is not limited.
inline constexpr int32_t kMaxGridSide = 65536;
inline constexpr int32_t kMaxThreads = 1024;
inline constexpr int32_t kMaxStripes = 1024;
inline constexpr int32_t kMaxShards = kMaxGridSide;
// The least side of a --fit client area: one pixel inside the margins.
inline constexpr int32_t kMinClientSide = 2 * kViewMargin + 1;

struct RenderOptions {
    CalcRegion region{0.0, 3.0, 1.0, 4.0};
    int32_t gridWidth = 0;  // from --grid, or fitted to the --fit client area
    int32_t gridHeight = 0;
    int32_t clientWidth = 0;  // from --fit; 0 when the grid is given directly
    int32_t clientHeight = 0;
    int32_t stripes = 0;  // the split whose row values the levels have; 0: one per processor
    int32_t threads = 0;  // how many threads share the rows; 0: one per processor
    std::string levelsPath;   // "-": standard output
    std::string picturePath;  // -o: the coloured picture as PNG; "-": standard output
    std::string rowsPath;     // --rows: where the computed rows are kept
    int32_t shard = 0;        // --shard I/N: computes only shard I of N; N is 0 without it
    int32_t shards = 0;
    std::vector<std::string> fromPaths;  // --from: the rows files to make the outputs of
    std::optional<CalcRegion> zoomTo;    // --zoom-to: the last frame's region of a film
    int32_t frames = 0;                  // --frames: the film's frames; 0 without a film
    bool dryRun = false;
    ColorScheme scheme = ColorScheme::Blue;
    int32_t reverse = 0;
    bool quiet = false;
    bool help = false;
};

struct ParseResult {
    RenderOptions options;
    std::string error;  // empty when the command line is valid
};

// Reads the command line. Every option may be given once; a region must have width and height.
ParseResult ParseRenderOptions(const std::vector<std::string_view>& args);

// Sizes the grid of --fit for the options' region; the message of what is wrong with it.
std::string SizeFittedGrid(RenderOptions& options);

// The command that computes and colours the same picture again, byte for byte: the region with
// every digit a double holds, the grid or the client area, the stripes, the colour scale.
std::string ReproducingCommand(const RenderOptions& options, int32_t stripes);

// The region's four numbers, XMIN YMIN XMAX YMAX, with every digit a double holds.
std::string RegionText(const CalcRegion& region);

// Parses a whole string as a finite decimal number, with or without a leading plus sign as the
// window's edits take it; nothing else is accepted.
std::optional<double> ParseFiniteNumber(std::string_view text);

// Whether the string is a decimal number so close to 0 that a double holds only 0 for it.
bool UnderflowsToZero(std::string_view text);

// Parses a whole decimal number from least to most.
std::optional<int32_t> ParseWholeNumber(std::string_view text, int32_t least, int32_t most);

// Parses "WxH" with whole numbers least..kMaxGridSide.
std::optional<std::pair<int32_t, int32_t>> ParseSize(std::string_view text, int32_t least);

// The text of --help.
std::string RenderUsage();
