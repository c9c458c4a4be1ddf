#include "job/picture_rows.h"

#include <algorithm>

Result<PictureRows> PictureRows::Make(const Computation& computation, const PictureStyle& style)
{
    if (computation.client.width != 0) {
        const Size bitmap = DisplayBitmapSize(computation.grid, computation.client);
        if (bitmap.width < 1 || bitmap.height < 1) {
            return OutOfMemory(computation.grid);
        }
    }
    return PictureRows(computation, style);
}

PictureRows::PictureRows(const Computation& computation, const PictureStyle& style)
    : m_table(MakeColorTable(style.scheme, style.reverse)),
      m_grid(computation.grid),
      m_size(computation.grid),
      m_row(static_cast<size_t>(computation.grid.width))
{
    if (computation.client.width != 0) {
        m_size = DisplayBitmapSize(m_grid, computation.client);
        m_resampler = std::make_unique<BoxResampler>(m_grid, m_size);
        m_row.resize(static_cast<size_t>(std::max(m_grid.width, m_size.width)));
    }
    if (style.lyapunovStrip) {
        m_strip.emplace(m_grid.height, m_size.width, m_table);
        m_row.resize(std::max(m_row.size(), static_cast<size_t>(m_size.width + m_strip->Width())));
    }
    if (!m_resampler) {
        return;
    }
    m_nextRow = m_size.height - 1;
    m_span = ImageRowsOf({m_nextRow, m_nextRow + 1}, m_grid.height, m_size.height);
    int32_t longestSpan = 0;
    for (int32_t y = 0; y < m_size.height; ++y) {
        const RowRange span = ImageRowsOf({y, y + 1}, m_grid.height, m_size.height);
        longestSpan = std::max(longestSpan, span.last - span.first);
    }
    m_image.resize(static_cast<size_t>(longestSpan) * m_grid.width);
}

Size PictureRows::PictureSize() const
{
    return {m_size.width + (m_strip ? m_strip->Width() : 0), m_size.height};
}

Status PictureRows::AddRow(int32_t gridRow, const int32_t* levels, const PictureRowSink& sink)
{
    uint32_t* colours = m_resampler ? m_image.data() + int64_t{gridRow - m_span.first} * m_grid.width : m_row.data();
    for (int32_t column = 0; column < m_grid.width; ++column) {
        colours[column] = m_table[std::clamp<int32_t>(levels[column], 0, 255)];
    }
    if (!m_resampler) {
        if (m_strip) {
            m_strip->Draw({gridRow, gridRow + 1}, m_row.data() + m_size.width);
        }
        return sink(colours);
    }
    // Fills every bitmap row whose image rows are all there; row 0 of the bitmap is its bottom.
    while (m_nextRow >= 0 && m_span.first >= gridRow) {
        m_resampler->Fill(m_image.data(), m_span.first, {m_nextRow, m_nextRow + 1}, m_row.data());
        if (m_strip) {
            m_strip->Draw(m_span, m_row.data() + m_size.width);
        }
        if (Status passed = sink(m_row.data()); !passed) {
            return passed;
        }
        // The next row's span is this one again (an enlarged image repeats rows) or the rows
        // just below it, which come next.
        --m_nextRow;
        if (m_nextRow >= 0) {
            m_span = ImageRowsOf({m_nextRow, m_nextRow + 1}, m_grid.height, m_size.height);
        }
    }
    return {};
}
