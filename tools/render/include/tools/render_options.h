// Command line of corvalis-render: what to compute and where to write it.
#pragma once

#include "job/computation.h"
#include "job/picture_rows.h"
#include "platform/result.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct RenderOptions {
    // The region, --grid or --fit (the grid sized by FitGrid), --stripes (0 until it is known:
    // one per processor) and the shard of the rows.
    Computation computation{.region = kDefaultRegion, .grid = {}, .client = {}, .stripes = 0, .shard = {}};
    int32_t threads = 0;                 // how many threads share the rows; 0: one per processor
    std::string levelsPath;              // "-": standard output
    std::string countsPath;              // --counts: every cell's hits as .npy; "-": standard output
    std::string picturePath;             // -o: the coloured picture as PNG; "-": standard output
    std::string lyapunovPath;            // --lyapunov: the rows' λ as CSV; "-": standard output
    std::string rowsPath;                // --rows: where the computed rows are kept
    std::optional<Shard> shard;          // --shard I/N: of the rows, or of a film's frames
    std::vector<std::string> fromPaths;  // --from: the rows files to make the outputs of
    std::optional<CalcRegion> zoomTo;    // --zoom-to: the last frame's region of a film
    int32_t frames = 0;                  // --frames: the film's frames; 0 without a film
    bool dryRun = false;
    PictureStyle style;
    bool quiet = false;
    bool help = false;
};

// Reads the command line. Every option may be given once; a region must have width and height.
// The grid of --fit is sized.
Result<RenderOptions> ParseRenderOptions(const std::vector<std::string_view>& args);

// The command that computes and colours the same picture again, byte for byte: the region with
// every digit a double holds, the grid or the client area, the stripes, the colour scale, the
// strip of λ.
std::string ReproducingCommand(const Computation& computation, const PictureStyle& style);

// The name as one word of a POSIX shell's command line, quoted so that the shell takes every
// character of it as it is.
std::string ShellWord(const std::string& name);

// The text of --help.
std::string RenderUsage();
