// The view's two pixel buffers and the steps between them: the level grid is colourised into an
// image at grid resolution, and the image is resampled into the display bitmap fitted to the
// window (or the bitmap shows a checkerboard placeholder while there is no image).
#pragma once

#include "core/orbit_density.h"
#include "render/color_scale.h"
#include "render/placement.h"

#include <algorithm>
#include <cstdint>
#include <memory>

// A block of colour values 0x00RRGGBB, row-major (index = row × width + column).
struct PixelBuffer {
    int32_t width = 0;
    int32_t height = 0;
    std::unique_ptr<uint32_t[]> pixels;  // null when the buffer holds no pixels

    // width × height when the pixels exist, else 0.
    int64_t PixelCount() const;
};

// Larger buffers count as impossible to allocate; the largest grid and any real window stay
// well below this (4 GiB of pixels).
inline constexpr int64_t kMaxBufferPixels = int64_t{1} << 30;

// Frees the buffer's pixels, then allocates size.width × size.height values, left
// uninitialised, and stores the size. A size with a side of zero or less is stored but holds no
// pixels. A block that cannot be allocated leaves the buffer 0 × 0 without pixels: the image
// then counts as none (the placeholder shows) and the bitmap as empty, never a crash.
void AllocPixels(PixelBuffer& buffer, Size size);

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

// Fills every pixel of `bitmap` from `image` by a box average in integer arithmetic, or with
// the checkerboard placeholder when the image holds no pixels. An empty bitmap gets nothing.
void FillDisplayBitmap(const PixelBuffer& image, PixelBuffer& bitmap);

// Fills the given rows of `bitmap` as FillDisplayBitmap fills them.
void FillDisplayBitmapRows(const PixelBuffer& image, PixelBuffer& bitmap, RowRange rows);

// The rows of a bitmap `bitmapHeight` high whose box averages take a cell from the given rows of
// an image `imageHeight` high: the bitmap rows that change when those image rows do.
RowRange BitmapRowsOf(RowRange imageRows, int32_t imageHeight, int32_t bitmapHeight);
