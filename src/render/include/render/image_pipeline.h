// The window's picture: its two pixel buffers and the steps between them. The level grid is
// colourised into an image at grid resolution, and the image is resampled into the display bitmap
// fitted to the window (or the bitmap shows a checkerboard placeholder while there is no image).
// The view and corvalis-render compose it with the same functions.
#pragma once

#include "core/orbit_density.h"
#include "render/color_scale.h"
#include "render/placement.h"

#include <algorithm>
#include <cstdint>
#include <functional>
#include <limits>
#include <memory>

// A block of colour values 0x00RRGGBB, row-major (index = row × width + column).
struct PixelBuffer {
    int32_t width = 0;
    int32_t height = 0;
    std::unique_ptr<uint32_t[]> pixels;  // null when the buffer holds no pixels
    int64_t capacity = 0;                // the pixels the block holds

    // width × height when the pixels exist, else 0.
    int64_t PixelCount() const;
};

// Larger buffers count as impossible to allocate; the largest grid and any real window stay
// well below this (4 GiB of pixels).
inline constexpr int64_t kMaxBufferPixels = int64_t{1} << 30;

// Frees the buffer's pixels, then allocates size.width × size.height values, or `reserve` where
// that is more, left uninitialised, and stores the size; a block that holds them and no more than
// twice the larger of them and `reserve` is kept instead. That spares a large picture redrawn at
// the same size, or a window growing within the reserve (its screen), the system's work of
// handing out fresh memory. A size with a side of zero or less is stored but holds no pixels. A
// block that cannot be allocated leaves the buffer 0 × 0 without pixels: the image then counts
// as none (the placeholder shows) and the bitmap as empty, never a crash.
void AllocPixels(PixelBuffer& buffer, Size size, int64_t reserve = 0);

// Colours the pixels of the given rows of `image` (already allocated at the grid's size) with
// the table entry of the level at the same index, read through readLevel(index). A level outside
// 0..255, which the workers never write, is clamped so that the lookup stays inside the table.
template <typename LevelReader>
void ColorizeLevelRows(const LevelReader& readLevel, const ColorTable& table, PixelBuffer& image, RowRange rows)
{
    uint32_t* out = image.pixels.get();
    const int64_t end = int64_t{rows.last} * image.width;
    for (int64_t index = int64_t{rows.first} * image.width; index < end; ++index) {
        out[index] = table[std::clamp<int32_t>(readLevel(index), 0, 255)];
    }
}

// Colours every pixel of `image` in the same way.
template <typename LevelReader>
void ColorizeLevels(const LevelReader& readLevel, const ColorTable& table, PixelBuffer& image)
{
    if (image.PixelCount() > 0) {
        ColorizeLevelRows(readLevel, table, image, {0, image.height});
    }
}

// Runs work(band) for bands of `rows` that together cover them once, on as many threads as there
// are processors (this one among them) where the rows hold enough pixels of `rowWidth` each to
// pay for it, and returns when every band is done. No rows run nothing.
void ForEachRowBand(RowRange rows, int32_t rowWidth, const std::function<void(RowRange)>& work);

// Fills every pixel of `bitmap` from `image` by a box average in integer arithmetic, or with
// the checkerboard placeholder when the image holds no pixels. An empty bitmap gets nothing.
// Bands of rows are filled side by side (ForEachRowBand).
void FillDisplayBitmap(const PixelBuffer& image, PixelBuffer& bitmap);

// Fills the given rows of `bitmap` as FillDisplayBitmap fills them.
void FillDisplayBitmapRows(const PixelBuffer& image, PixelBuffer& bitmap, RowRange rows);

// The box averages of an image's cells that fill a bitmap, for any band of the bitmap's rows
// from the image rows the band takes, so that neither need be whole in memory.
class BoxResampler {
public:
    BoxResampler(Size image, Size bitmap);  // both with pixels
    ~BoxResampler();
    BoxResampler(const BoxResampler&) = delete;
    BoxResampler& operator=(const BoxResampler&) = delete;

    // Fills bitmap rows `rows` into `bitmap` (row rows.first at its start) from `image`, which
    // holds image rows from `firstImageRow` on, at least up to the last row ImageRowsOf(rows)
    // gives: the pixels FillDisplayBitmap gives those rows.
    void Fill(const uint32_t* image, int32_t firstImageRow, RowRange rows, uint32_t* bitmap) const;

private:
    struct Spans;
    template <typename Channels>
    void FillWith(const uint32_t* image, int32_t firstImageRow, RowRange rows, uint32_t* bitmap) const;

    int32_t m_imageWidth;
    int32_t m_bitmapWidth;
    bool m_oneCellPerPixel;
    std::unique_ptr<Spans> m_spans;
};

// The rows of a bitmap `bitmapHeight` high whose box averages take a cell from the given rows of
// an image `imageHeight` high: the bitmap rows that change when those image rows do.
RowRange BitmapRowsOf(RowRange imageRows, int32_t imageHeight, int32_t bitmapHeight);

// The rows of an image `imageHeight` high whose cells the box averages of the given rows of a
// bitmap `bitmapHeight` high take: the image rows a band of the bitmap is filled from. All the
// rows of the bitmap take every row of the image, also when the bitmap has none.
RowRange ImageRowsOf(RowRange bitmapRows, int32_t imageHeight, int32_t bitmapHeight);

// The window's picture of a level grid in a client area: the levels coloured into an image at
// the grid's size, and the display bitmap, fitted inside the view's margins, filled from it.
struct WindowPicture {
    PixelBuffer image;
    PixelBuffer bitmap;         // row 0 is the bottom row
    int64_t bitmapReserve = 0;  // the pixels a new bitmap block holds at least (see AllocPixels)
};

// The size of the display bitmap that fits the client area inside the view's margins with the
// image's aspect.
Size DisplayBitmapSize(Size image, Size client);

// Reallocates the display bitmap at the size that fits the client area inside the view's margins
// with the image's aspect; its pixels are left to be filled.
void FitDisplayBitmap(WindowPicture& picture, Size client);

// Reallocates the image at the grid's size and fits the display bitmap to the client area;
// fills neither.
void AllocPicture(WindowPicture& picture, Size grid, Size client);

// Composes rows [first, last) of the display bitmap of an allocated picture from the levels, read
// through readLevel(index): colours the image rows they take through the table, then fills them.
// Bands composed one at a time, in any order, give the bitmap that composing all its rows at once
// gives. All its rows colour the whole image, even for a bitmap without pixels, so that the
// bitmap can be fitted to another client area from the image alone.
// Of the image rows the band takes, only those among `changedImageRows` (all of them unless
// given) are coloured; the others keep their colours. A picture whose levels changed in those
// rows alone then comes out as composing it from the new levels would give it.
template <typename LevelReader>
void ComposePictureRows(const LevelReader& readLevel, const ColorTable& table, WindowPicture& picture,
                        RowRange bitmapRows, RowRange changedImageRows = {0, std::numeric_limits<int32_t>::max()})
{
    const RowRange taken = ImageRowsOf(bitmapRows, picture.image.height, picture.bitmap.height);
    const RowRange coloured{std::max(taken.first, changedImageRows.first), std::min(taken.last, changedImageRows.last)};
    if (coloured.first < coloured.last) {
        ColorizeLevelRows(readLevel, table, picture.image, coloured);
    }
    FillDisplayBitmapRows(picture.image, picture.bitmap, bitmapRows);
}

// Composes the whole picture of a grid's levels in a client area, as ComposePictureRows does
// for all its rows, with bands of rows coloured and filled side by side: readLevel is called from
// several threads at once.
template <typename LevelReader>
void ComposePicture(const LevelReader& readLevel, const ColorTable& table, Size grid, Size client,
                    WindowPicture& picture)
{
    AllocPicture(picture, grid, client);
    if (picture.image.PixelCount() > 0) {
        ForEachRowBand({0, picture.image.height}, picture.image.width,
                       [&](RowRange rows) { ColorizeLevelRows(readLevel, table, picture.image, rows); });
    }
    FillDisplayBitmap(picture.image, picture.bitmap);
}
