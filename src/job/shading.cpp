#include "job/shading.h"

#include "core/exact_log.h"
#include "core/orbit_density.h"
#include "core/truncate.h"

#include <algorithm>
#include <iterator>

namespace {

// The hits at which the window's levels reach 255.
constexpr uint64_t kSaturatingHits = 255 * 50;

}  // namespace

std::string_view ShadingName(Shading shading)
{
    for (const ShadingRow& row : kShadings) {
        if (row.shading == shading) {
            return row.name;
        }
    }
    return kShadings[0].name;
}

std::optional<Shading> FindShading(std::string_view name)
{
    for (const ShadingRow& row : kShadings) {
        if (row.name == name) {
            return row.shading;
        }
    }
    return std::nullopt;
}

void HitsHistogram::Add(const uint64_t* hits, int32_t width)
{
    for (int32_t column = 0; column < width; ++column) {
        ++m_cells[hits[column]];
    }
}

std::vector<std::pair<uint64_t, int64_t>> HitsHistogram::Cumulative() const
{
    std::vector<std::pair<uint64_t, int64_t>> cumulative(m_cells.begin(), m_cells.end());
    std::ranges::sort(cumulative);
    int64_t cells = 0;
    for (auto& [value, count] : cumulative) {
        cells += count;
        count = cells;
    }
    return cumulative;
}

Shader::Shader(Shading shading)
    : m_shading(shading), m_saturatingLog(ExactLog(1.0 + static_cast<double>(kSaturatingHits)))
{
}

Shader::Shader(const HitsHistogram& histogram) : m_shading(Shading::Equalize), m_cumulative(histogram.Cumulative())
{
    if (!m_cumulative.empty()) {
        m_fewest = m_cumulative.front().second;
        m_cells = m_cumulative.back().second;
    }
}

void Shader::Shade(const uint64_t* hits, int32_t width, int32_t* levels) const
{
    for (int32_t column = 0; column < width; ++column) {
        switch (m_shading) {
        case Shading::Log:
            levels[column] = LogLevel(hits[column]);
            break;
        case Shading::Equalize:
            levels[column] = EqualizedLevel(hits[column]);
            break;
        default:
            levels[column] = LevelFromHits(static_cast<int64_t>(std::min<uint64_t>(hits[column], kMostHits)));
            break;
        }
    }
}

int32_t Shader::LogLevel(uint64_t hits) const
{
    if (hits >= kSaturatingHits) {
        return 255;  // so exactly, whatever the last bits of the logarithms
    }
    // Below it every level is under 254.998: the quotient's rounding cannot reach the next one.
    return TruncToInt32((ExactLog(1.0 + static_cast<double>(hits)) * 255.0) / m_saturatingLog);
}

int32_t Shader::EqualizedLevel(uint64_t hits) const
{
    // The cells with as many hits or fewer: those of the last value not above it.
    const auto above = std::ranges::upper_bound(m_cumulative, hits, {}, [](const auto& entry) { return entry.first; });
    if (above == m_cumulative.begin() || m_cells == m_fewest) {
        return 0;  // fewer hits than any cell of the picture, or a picture of one value
    }
    // At most 255 × 65536²: within 64 bits.
    return static_cast<int32_t>((255 * (std::prev(above)->second - m_fewest)) / (m_cells - m_fewest));
}
