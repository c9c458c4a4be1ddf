// The coloured picture of a computation, a row at a time from the top down, as the grid's rows
// come: with a grid given, the grid coloured one pixel a cell; with a client area, the display
// bitmap the window shows there, of which only the image rows that the bitmap row being filled
// takes are kept. With the strip of λ asked for, each picture row has its strip at its right.
#pragma once

#include "job/computation.h"
#include "job/lyapunov_strip.h"
#include "job/shading.h"
#include "platform/result.h"
#include "render/color_scale.h"
#include "render/image_pipeline.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

// How the hits of the cells become colours, and whether the strip of the rows' λ stands beside
// them.
struct PictureStyle {
    ColorScheme scheme = ColorScheme::Blue;
    bool reverse = false;
    Shading shading = Shading::Levels;
    bool lyapunovStrip = false;

    bool operator==(const PictureStyle&) const = default;
};

// Takes each finished row of the picture, its colours 0x00RRGGBB left to right.
using PictureRowSink = std::function<Status(const uint32_t* colours)>;

class PictureRows {
public:
    // The picture of a computation whose grid is sized; a failure when a client area leaves no
    // picture.
    static Result<PictureRows> Make(const Computation& computation, const PictureStyle& style);

    // The picture's size, its strip included.
    Size PictureSize() const;

    bool HasLyapunovStrip() const { return m_strip.has_value(); }

    // Keeps the λ of grid row `gridRow` for the strip, before the row is added; for a picture
    // with the strip only.
    void SetRowLyapunov(int32_t gridRow, double lambda) { m_strip->SetRow(gridRow, lambda); }

    // Colours grid row `gridRow`, the next from the top, and passes on every picture row it
    // finishes.
    Status AddRow(int32_t gridRow, const int32_t* levels, const PictureRowSink& sink);

private:
    PictureRows(const Computation& computation, const PictureStyle& style);

    ColorTable m_table;
    Size m_grid;
    Size m_size;
    std::vector<uint32_t> m_row;                // a grid row coloured, or a bitmap row filled, then its strip
    std::vector<uint32_t> m_image;              // the image rows the next bitmap row takes
    std::unique_ptr<BoxResampler> m_resampler;  // with a client area only
    int32_t m_nextRow = 0;                      // the next bitmap row to fill
    RowRange m_span;                            // the image rows it takes
    std::optional<LyapunovStrip> m_strip;
};
