#include "view/image_pipeline.h"

#include <new>
#include <vector>

int64_t PixelBuffer::PixelCount() const
{
    return pixels != nullptr ? int64_t{width} * height : 0;
}

void AllocPixels(PixelBuffer& buffer, PixelSize size)
{
    buffer.pixels.reset();
    buffer.width = size.width;
    buffer.height = size.height;
    if (size.width <= 0 || size.height <= 0) {
        return;
    }
    const int64_t count = int64_t{size.width} * size.height;
    if (count <= kMaxBufferPixels) {
        buffer.pixels.reset(new (std::nothrow) uint32_t[static_cast<size_t>(count)]);
    }
    if (buffer.pixels == nullptr) {
        buffer.width = 0;
        buffer.height = 0;
    }
}

namespace {

constexpr uint32_t kPlaceholderGrey = 0x404040;
constexpr int32_t kPlaceholderSquare = 10;

// Squares of 10 × 10 pixels, black at buffer position (0, 0).
void FillPlaceholder(PixelBuffer& bitmap)
{
    for (int32_t y = 0; y < bitmap.height; ++y) {
        uint32_t* row = bitmap.pixels.get() + int64_t{y} * bitmap.width;
        for (int32_t x = 0; x < bitmap.width; ++x) {
            const bool grey = (x / kPlaceholderSquare + y / kPlaceholderSquare) % 2 == 1;
            row[x] = grey ? kPlaceholderGrey : 0x000000;
        }
    }
}

// Image cells [first, last) behind one bitmap pixel along one axis.
struct Span {
    int32_t first = 0;
    int32_t last = 0;

    bool operator==(const Span&) const = default;
};

// The cells (index × cells) / pixels up to ((index + 1) × cells) / pixels, at least one. When
// there are fewer pixels than cells the spans tile the cells exactly; when there are more,
// each span is the one cell at or below the pixel's scaled position.
Span SpanOf(int32_t index, int32_t cells, int32_t pixels)
{
    const auto first = static_cast<int32_t>((int64_t{index} * cells) / pixels);
    const auto last = static_cast<int32_t>((int64_t{index + 1} * cells) / pixels);
    return {first, last == first ? first + 1 : last};
}

// Red, green and blue sums of every image column over one span of rows.
struct ColumnSums {
    std::vector<uint64_t> red, green, blue;

    explicit ColumnSums(int32_t columns) : red(columns), green(columns), blue(columns) {}

    void Sum(const PixelBuffer& image, Span rows)
    {
        std::fill(red.begin(), red.end(), 0);
        std::fill(green.begin(), green.end(), 0);
        std::fill(blue.begin(), blue.end(), 0);
        for (int32_t row = rows.first; row < rows.last; ++row) {
            const uint32_t* cells = image.pixels.get() + int64_t{row} * image.width;
            for (int32_t column = 0; column < image.width; ++column) {
                red[column] += (cells[column] >> 16) & 0xFF;
                green[column] += (cells[column] >> 8) & 0xFF;
                blue[column] += cells[column] & 0xFF;
            }
        }
    }
};

// Each pixel is the channel-wise integer mean of the cells in its column span × row span.
// The column spans are worked out once, and the column sums of a row span are reused by the
// following bitmap rows with the same span (an enlarged image repeats rows).
void BoxAverage(const PixelBuffer& image, PixelBuffer& bitmap)
{
    std::vector<Span> columnSpans(static_cast<size_t>(bitmap.width));
    for (int32_t x = 0; x < bitmap.width; ++x) {
        columnSpans[x] = SpanOf(x, image.width, bitmap.width);
    }
    ColumnSums sums(image.width);
    Span summedRows;  // empty: equal to no row span
    for (int32_t y = 0; y < bitmap.height; ++y) {
        const Span rows = SpanOf(y, image.height, bitmap.height);
        if (rows != summedRows) {
            sums.Sum(image, rows);
            summedRows = rows;
        }
        const uint64_t spanHeight = static_cast<uint64_t>(rows.last - rows.first);
        uint32_t* out = bitmap.pixels.get() + int64_t{y} * bitmap.width;
        for (int32_t x = 0; x < bitmap.width; ++x) {
            const Span columns = columnSpans[x];
            uint64_t red = 0;
            uint64_t green = 0;
            uint64_t blue = 0;
            for (int32_t column = columns.first; column < columns.last; ++column) {
                red += sums.red[column];
                green += sums.green[column];
                blue += sums.blue[column];
            }
            const uint64_t n = static_cast<uint64_t>(columns.last - columns.first) * spanHeight;
            out[x] = static_cast<uint32_t>((red / n) << 16 | (green / n) << 8 | blue / n);
        }
    }
}

}  // namespace

void FillDisplayBitmap(const PixelBuffer& image, PixelBuffer& bitmap)
{
    if (bitmap.PixelCount() == 0) {
        return;
    }
    if (image.PixelCount() == 0) {
        FillPlaceholder(bitmap);
    } else {
        BoxAverage(image, bitmap);
    }
}
