#include "render/image_pipeline.h"

#include "core/calc_layout.h"
#include "platform/system_info.h"

#include <algorithm>
#include <memory>
#include <new>
#include <ranges>
#include <thread>
#include <vector>

int64_t PixelBuffer::PixelCount() const
{
    return pixels != nullptr ? int64_t{width} * height : 0;
}

void AllocPixels(PixelBuffer& buffer, Size size, int64_t reserve)
{
    const int64_t count = size.width > 0 && size.height > 0 ? int64_t{size.width} * size.height : 0;
    const int64_t wanted = std::max(count, reserve <= kMaxBufferPixels ? reserve : 0);
    const bool keep = count > 0 && buffer.pixels != nullptr && count <= buffer.capacity &&
                      buffer.capacity <= 2 * wanted;
    if (!keep) {
        buffer.pixels.reset();
        buffer.capacity = 0;
    }
    buffer.width = size.width;
    buffer.height = size.height;
    if (count == 0 || keep) {
        return;
    }
    for (const int64_t pixels : {wanted, count}) {
        if (buffer.pixels == nullptr && pixels <= kMaxBufferPixels) {
            buffer.pixels.reset(new (std::nothrow) uint32_t[static_cast<size_t>(pixels)]);
            buffer.capacity = pixels;
        }
    }
    if (buffer.pixels == nullptr) {  // not even the size alone
        buffer.width = 0;
        buffer.height = 0;
        buffer.capacity = 0;
    }
}

namespace {

constexpr uint32_t kPlaceholderGrey = 0x404040;
constexpr int32_t kPlaceholderSquare = 10;

// Squares of 10 × 10 pixels, black at buffer position (0, 0).
void FillPlaceholder(PixelBuffer& bitmap, RowRange rows)
{
    for (int32_t y = rows.first; y < rows.last; ++y) {
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

// The spans of every pixel along one axis, worked out once per resample, each with the index
// of its length among the distinct span lengths (at most two: integer division shares the
// cells out as evenly as it can).
struct AxisSpans {
    struct PixelSpan {
        Span cells;
        uint32_t lengthIndex = 0;
    };
    std::vector<PixelSpan> spans;
    std::vector<uint32_t> lengths;

    AxisSpans(int32_t cells, int32_t pixels) : spans(static_cast<size_t>(pixels))
    {
        for (int32_t i = 0; i < pixels; ++i) {
            const Span span = SpanOf(i, cells, pixels);
            const auto length = static_cast<uint32_t>(span.last - span.first);
            const auto known = std::find(lengths.begin(), lengths.end(), length);
            spans[i] = {span, static_cast<uint32_t>(known - lengths.begin())};
            if (known == lengths.end()) {
                lengths.push_back(length);
            }
        }
    }

    uint32_t LongestLength() const { return *std::max_element(lengths.begin(), lengths.end()); }
};

// Channel sums as three 21-bit lanes of one 64-bit integer (red at bit 42, green at 21, blue
// at 0): one addition sums all three. Running sums may carry from lane to lane, but the
// difference of two is the exact packed sum of the cells between them as long as no lane of
// it exceeds 21 bits, which holds for boxes of up to kMaxBoxCells cells (255 × 8224 < 2^21).
struct PackedChannels {
    static constexpr uint64_t kMaxBoxCells = 8224;
    using Sum = uint64_t;

    static Sum Of(uint32_t color)
    {
        return uint64_t{color & 0xFF0000} << 26 | uint64_t{color & 0x00FF00} << 13 | (color & 0xFF);
    }

    // Division by n as a multiplication by ceil(2^40 / n), exact for every dividend up to
    // 255 × n when n is at most kMaxBoxCells: no integer division per pixel.
    class Divisor {
    public:
        explicit Divisor(uint64_t n) : m_reciprocal(((uint64_t{1} << 40) + n - 1) / n) {}
        uint32_t Divide(uint64_t sum) const { return static_cast<uint32_t>((sum * m_reciprocal) >> 40); }

    private:
        uint64_t m_reciprocal;
    };

    static uint32_t Mean(Sum box, const Divisor& divisor)
    {
        constexpr uint64_t kLane = (uint64_t{1} << 21) - 1;
        return divisor.Divide(box >> 42) << 16 | divisor.Divide((box >> 21) & kLane) << 8 | divisor.Divide(box & kLane);
    }
};

// Channel sums in three 64-bit integers, for boxes too large for the packed lanes.
struct WideChannels {
    struct Sum {
        uint64_t red = 0;
        uint64_t green = 0;
        uint64_t blue = 0;

        Sum& operator+=(const Sum& other)
        {
            red += other.red;
            green += other.green;
            blue += other.blue;
            return *this;
        }
        Sum operator-(const Sum& other) const { return {red - other.red, green - other.green, blue - other.blue}; }
    };

    static Sum Of(uint32_t color) { return {(color >> 16) & 0xFF, (color >> 8) & 0xFF, color & 0xFF}; }

    class Divisor {
    public:
        explicit Divisor(uint64_t n) : m_n(n) {}
        uint32_t Divide(uint64_t sum) const { return static_cast<uint32_t>(sum / m_n); }

    private:
        uint64_t m_n;
    };

    static uint32_t Mean(const Sum& box, const Divisor& divisor)
    {
        return divisor.Divide(box.red) << 16 | divisor.Divide(box.green) << 8 | divisor.Divide(box.blue);
    }
};

// Sums of the image cells in one span of rows, accumulated from the left: entry c holds the
// sums over columns 0..c-1, so a column span's sums take one subtraction. The column sums go
// to entries 1..w row by row, in a loop the compiler can vectorise, before one pass
// accumulates them. `image` holds image rows from `firstImageRow` on, `width` cells each.
template <typename Channels>
void SumRowSpan(const uint32_t* image, int32_t width, int32_t firstImageRow, Span rows,
                std::vector<typename Channels::Sum>& sums)
{
    std::fill(sums.begin(), sums.end(), typename Channels::Sum{});
    for (int32_t row = rows.first; row < rows.last; ++row) {
        const uint32_t* cells = image + int64_t{row - firstImageRow} * width;
        for (int32_t column = 0; column < width; ++column) {
            sums[column + 1] += Channels::Of(cells[column]);
        }
    }
    for (int32_t column = 1; column <= width; ++column) {
        sums[column] += sums[column - 1];
    }
}

}  // namespace

// The spans of the bitmap's columns and rows, worked out once per resampler.
struct BoxResampler::Spans {
    AxisSpans columns;
    AxisSpans rows;
};

BoxResampler::BoxResampler(Size image, Size bitmap)
    : m_imageWidth(image.width),
      m_bitmapWidth(bitmap.width),
      m_oneCellPerPixel(image.width == bitmap.width && image.height == bitmap.height),
      m_spans(
          std::make_unique<Spans>(Spans{AxisSpans(image.width, bitmap.width), AxisSpans(image.height, bitmap.height)}))
{
}

BoxResampler::~BoxResampler() = default;

// Each pixel is the channel-wise integer mean of the cells in its column span × row span.
// The sums of a row span are reused by the following bitmap rows with the same span (an
// enlarged image repeats rows); there is one divisor per pair of span lengths.
template <typename Channels>
void BoxResampler::FillWith(const uint32_t* image, int32_t firstImageRow, RowRange rows, uint32_t* bitmap) const
{
    using Divisor = typename Channels::Divisor;
    const AxisSpans& columnSpans = m_spans->columns;
    const AxisSpans& rowSpans = m_spans->rows;
    std::vector<Divisor> divisors;
    for (uint32_t height : rowSpans.lengths) {
        for (uint32_t width : columnSpans.lengths) {
            divisors.emplace_back(uint64_t{width} * height);
        }
    }
    std::vector<typename Channels::Sum> sums(static_cast<size_t>(m_imageWidth) + 1);
    Span summedRows;  // empty: equal to no row span
    for (int32_t y = rows.first; y < rows.last; ++y) {
        const AxisSpans::PixelSpan& row = rowSpans.spans[y];
        if (row.cells != summedRows) {
            SumRowSpan<Channels>(image, m_imageWidth, firstImageRow, row.cells, sums);
            summedRows = row.cells;
        }
        const Divisor* rowDivisors = divisors.data() + row.lengthIndex * columnSpans.lengths.size();
        uint32_t* out = bitmap + int64_t{y - rows.first} * m_bitmapWidth;
        for (int32_t x = 0; x < m_bitmapWidth; ++x) {
            const AxisSpans::PixelSpan& column = columnSpans.spans[x];
            out[x] = Channels::Mean(sums[column.cells.last] - sums[column.cells.first],
                                    rowDivisors[column.lengthIndex]);
        }
    }
}

void BoxResampler::Fill(const uint32_t* image, int32_t firstImageRow, RowRange rows, uint32_t* bitmap) const
{
    if (m_oneCellPerPixel) {  // each mean is the cell's colour
        const uint32_t* cells = image + int64_t{rows.first - firstImageRow} * m_imageWidth;
        const int64_t count = int64_t{rows.last - rows.first} * m_bitmapWidth;
        for (int64_t i = 0; i < count; ++i) {
            bitmap[i] = cells[i] & 0xFFFFFF;
        }
        return;
    }
    const uint64_t largestBox = uint64_t{m_spans->columns.LongestLength()} * m_spans->rows.LongestLength();
    if (largestBox <= PackedChannels::kMaxBoxCells) {
        FillWith<PackedChannels>(image, firstImageRow, rows, bitmap);
    } else {
        FillWith<WideChannels>(image, firstImageRow, rows, bitmap);
    }
}

void ForEachRowBand(RowRange rows, int32_t rowWidth, const std::function<void(RowRange)>& work)
{
    // Fewer pixels than this in a band cost more to hand to a thread than to fill.
    constexpr int64_t kMinBandPixels = int64_t{1} << 17;
    const int64_t count = rows.last - rows.first;
    if (count <= 0) {
        return;
    }
    const int64_t bands = std::clamp<int64_t>(count * std::max(rowWidth, 1) / kMinBandPixels, 1,
                                              std::min<int64_t>(ProcessorCount(), count));
    const auto band = [&](int64_t i) {
        return RowRange{static_cast<int32_t>(rows.first + i * count / bands),
                        static_cast<int32_t>(rows.first + (i + 1) * count / bands)};
    };
    std::vector<std::thread> helpers;
    for (int64_t i = 1; i < bands; ++i) {
        helpers.emplace_back(work, band(i));
    }
    work(band(0));
    for (std::thread& helper : helpers) {
        helper.join();
    }
}

void FillDisplayBitmap(const PixelBuffer& image, PixelBuffer& bitmap)
{
    ForEachRowBand({0, bitmap.height}, bitmap.width,
                   [&](RowRange rows) { FillDisplayBitmapRows(image, bitmap, rows); });
}

void FillDisplayBitmapRows(const PixelBuffer& image, PixelBuffer& bitmap, RowRange rows)
{
    rows = {std::max(rows.first, 0), std::min(rows.last, bitmap.PixelCount() > 0 ? bitmap.height : 0)};
    if (rows.first >= rows.last) {
        return;
    }
    if (image.PixelCount() == 0) {
        FillPlaceholder(bitmap, rows);
    } else {
        BoxResampler({image.width, image.height}, {bitmap.width, bitmap.height})
            .Fill(image.pixels.get(), 0, rows, bitmap.pixels.get() + int64_t{rows.first} * bitmap.width);
    }
}

RowRange BitmapRowsOf(RowRange imageRows, int32_t imageHeight, int32_t bitmapHeight)
{
    if (imageRows.first >= imageRows.last || imageHeight <= 0 || bitmapHeight <= 0) {
        return {};
    }
    // The spans move down the image as the bitmap rows do: the rows wanted are those after the
    // ones whose span ends before the image rows, and before the ones whose span begins after.
    const auto rows = std::views::iota(0, bitmapHeight);
    const auto spanOf = [&](int32_t y) { return SpanOf(y, imageHeight, bitmapHeight); };
    const auto first = std::ranges::partition_point(rows, [&](int32_t y) { return spanOf(y).last <= imageRows.first; });
    const auto last = std::ranges::partition_point(rows, [&](int32_t y) { return spanOf(y).first < imageRows.last; });
    return {static_cast<int32_t>(first - rows.begin()), static_cast<int32_t>(last - rows.begin())};
}

RowRange ImageRowsOf(RowRange bitmapRows, int32_t imageHeight, int32_t bitmapHeight)
{
    if (bitmapRows.first <= 0 && bitmapRows.last >= bitmapHeight) {
        return {0, std::max(imageHeight, 0)};
    }
    bitmapRows = {std::max(bitmapRows.first, 0), std::min(bitmapRows.last, bitmapHeight)};
    if (bitmapRows.first >= bitmapRows.last || imageHeight <= 0) {
        return {};
    }
    // The spans of successive rows follow each other without a gap.
    return {SpanOf(bitmapRows.first, imageHeight, bitmapHeight).first,
            SpanOf(bitmapRows.last - 1, imageHeight, bitmapHeight).last};
}

Size DisplayBitmapSize(Size image, Size client)
{
    return FitBitmapSize(client, {kViewMargin, kViewMargin}, image);
}

void FitDisplayBitmap(WindowPicture& picture, Size client)
{
    AllocPixels(picture.bitmap, DisplayBitmapSize({picture.image.width, picture.image.height}, client),
                picture.bitmapReserve);
}

void AllocPicture(WindowPicture& picture, Size grid, Size client)
{
    AllocPixels(picture.image, grid);
    FitDisplayBitmap(picture, client);
}
