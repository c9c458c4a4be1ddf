#include "job/lyapunov_strip.h"

#include "core/truncate.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

int32_t LyapunovStripWidth(int32_t pictureWidth)
{
    return std::max(kLeastStripWidth, pictureWidth / 5);
}

uint32_t FarthestColour(const ColorTable& table, uint32_t from)
{
    const auto distance = [from](uint32_t colour) {
        int32_t sum = 0;
        for (const int shift : {16, 8, 0}) {
            sum += std::abs(static_cast<int32_t>((colour >> shift) & 0xFF) -
                            static_cast<int32_t>((from >> shift) & 0xFF));
        }
        return sum;
    };
    return *std::ranges::max_element(table, {}, distance);
}

LyapunovStrip::LyapunovStrip(int32_t gridHeight, int32_t pictureWidth, const ColorTable& table)
    : m_width(LyapunovStripWidth(pictureWidth)),
      m_background(table[0]),
      m_negative(table[kStripNegativeLevel]),
      m_positive(table[kStripPositiveLevel]),
      m_zero(FarthestColour(table, table[0])),
      m_zeroColumn(ColumnOf(0.0)),
      m_rowLambda(static_cast<size_t>(gridHeight))
{
}

int32_t LyapunovStrip::ColumnOf(double lambda) const
{
    const double position = (lambda - kStripLeastLambda) / (kStripMostLambda - kStripLeastLambda) * m_width;
    if (!(position >= 0.0)) {
        return 0;
    }
    return position < m_width ? TruncToInt32(position) : m_width - 1;
}

void LyapunovStrip::SetRow(int32_t gridRow, double lambda)
{
    m_rowLambda[static_cast<size_t>(gridRow)] = lambda;
}

void LyapunovStrip::Draw(RowRange gridRows, uint32_t* pixels) const
{
    double sum = 0.0;
    for (int32_t row = gridRows.first; row < gridRows.last; ++row) {
        sum += m_rowLambda[static_cast<size_t>(row)];
    }
    const double lambda = sum / (gridRows.last - gridRows.first);
    std::fill_n(pixels, m_width, m_background);
    if (!std::isnan(lambda)) {
        const int32_t end = ColumnOf(lambda);
        const int32_t first = std::min(end, m_zeroColumn);
        const int32_t last = std::max(end, m_zeroColumn);
        std::fill(pixels + first, pixels + last + 1, lambda < 0.0 ? m_negative : m_positive);
    }
    pixels[m_zeroColumn] = m_zero;
}
