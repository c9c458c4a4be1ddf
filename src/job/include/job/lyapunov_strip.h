// The strip beside a picture that plots the Lyapunov exponent of its rows against the same
// parameter axis: for each picture row a bar from the zero line to its λ, on a fixed axis from
// kStripLeastLambda at the strip's left edge to kStripMostLambda at its right, so that every row
// is drawn as it comes and every shard and zoom draws alike. Values beyond the axis stop at its
// edge (−infinity at the left one); a NaN draws no bar.
#pragma once

#include "core/orbit_density.h"
#include "platform/geometry.h"
#include "render/color_scale.h"

#include <cstdint>
#include <vector>

inline constexpr double kStripLeastLambda = -2.0;
inline constexpr double kStripMostLambda = 1.0;
// The strip is a fifth of the picture's width, and at least this many pixels.
inline constexpr int32_t kLeastStripWidth = 16;

// The levels of the picture's colour table that draw the strip: its background is the colour of
// level 0, as the picture's empty cells are; bars of negative and of positive λ take the colours a
// third and two thirds along the scale, and the zero line the table's colour farthest from the
// background (a reversed scale keeps level 0 black and ends in black too).
inline constexpr int32_t kStripNegativeLevel = 85;
inline constexpr int32_t kStripPositiveLevel = 170;

// The first of the table's colours whose red, green and blue differ most from `from`, summed.
uint32_t FarthestColour(const ColorTable& table, uint32_t from);

// The width of the strip of a picture `pictureWidth` pixels wide.
int32_t LyapunovStripWidth(int32_t pictureWidth);

class LyapunovStrip {
public:
    // The strip of a picture `pictureWidth` wide of a grid `gridHeight` rows high, in the colours of
    // the picture's table.
    LyapunovStrip(int32_t gridHeight, int32_t pictureWidth, const ColorTable& table);

    int32_t Width() const { return m_width; }

    // Keeps the λ of a grid row (0 the bottom row) for the picture rows made from it.
    void SetRow(int32_t gridRow, double lambda);

    // Draws the strip's pixels of a picture row made from grid rows `gridRows`, all set: the bar
    // of the mean of their λ.
    void Draw(RowRange gridRows, uint32_t* pixels) const;

private:
    // The strip's column where the axis has the value: those beyond it at its edges.
    int32_t ColumnOf(double lambda) const;

    int32_t m_width;
    uint32_t m_background;
    uint32_t m_negative;
    uint32_t m_positive;
    uint32_t m_zero;
    int32_t m_zeroColumn;
    std::vector<double> m_rowLambda;  // of every grid row: 8 bytes a row
};
