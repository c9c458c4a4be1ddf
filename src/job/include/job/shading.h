// How the hits of a picture's cells become the levels 0..255 that pick their colours. The
// levels of the data (--levels) are always the window's; a shading changes only the picture.
#pragma once

#include "platform/result.h"

#include <cstdint>
#include <optional>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

enum class Shading {
    Levels,    // the window's levels: one per 50 hits, at most 255
    Log,       // by the logarithm of the hits, on a scale fixed beforehand
    Equalize,  // spread by the picture's own distribution of hits
};

struct ShadingRow {
    Shading shading;
    std::string_view name;  // corvalis-render --shade NAME
};

inline constexpr ShadingRow kShadings[] = {
    {Shading::Levels, "levels"},
    {Shading::Log, "log"},
    {Shading::Equalize, "equalize"},
};

std::string_view ShadingName(Shading shading);
std::optional<Shading> FindShading(std::string_view name);

// Whether a shading reads the hits themselves, which rows files of the first version do not keep.
inline bool NeedsHits(Shading shading)
{
    return shading != Shading::Levels;
}

// Whether the shading needs the hits of every cell before it shades the first row.
inline bool NeedsEveryRowFirst(Shading shading)
{
    return shading == Shading::Equalize;
}

// The hits of every cell of a picture counted by value, for equalisation.
class HitsHistogram {
public:
    void Add(const uint64_t* hits, int32_t width);
    // Each value met, ascending, with the number of cells that hold it or less.
    std::vector<std::pair<uint64_t, int64_t>> Cumulative() const;

private:
    std::unordered_map<uint64_t, int64_t> m_cells;  // the cells that hold each value
};

// Turns a row's hits into levels 0..255 with integer arithmetic and the project's own logarithm,
// so that every system gives the same levels.
class Shader {
public:
    // Levels: trunc(hits × 0.02), at most 255, as the window's. Log: trunc(255 × ln(1 + hits) ÷
    // ln(1 + 12750)), at most 255: full brightness where the window's levels saturate, and a
    // scale that no picture's own hits move, so that rows stream, shards agree and a zoom shades
    // like the picture it comes from.
    explicit Shader(Shading shading);
    // Equalize: trunc(255 × (cells with as many hits or fewer − cells with the fewest hits) ÷
    // (cells − cells with the fewest hits)), in integers: the fewest hits of the picture give 0,
    // the most 255.
    explicit Shader(const HitsHistogram& histogram);

    void Shade(const uint64_t* hits, int32_t width, int32_t* levels) const;

private:
    int32_t LogLevel(uint64_t hits) const;
    int32_t EqualizedLevel(uint64_t hits) const;

    Shading m_shading;
    double m_saturatingLog = 0.0;  // ln(1 + the hits where the window's levels saturate)
    std::vector<std::pair<uint64_t, int64_t>> m_cumulative;
    int64_t m_fewest = 0;  // cells with the fewest hits
    int64_t m_cells = 0;
};
