#include "job/npy_file.h"

#include <string_view>

namespace {

constexpr size_t kCellBytes = 8;

}  // namespace

std::string NpyHeader(Size grid)
{
    // The magic string and the format's version 1.0; the dict's length, 2 bytes, follows.
    constexpr std::string_view kMagic("\x93NUMPY\x01\x00", 8);
    constexpr size_t kAlignment = 64;
    std::string dict = "{'descr': '<u8', 'fortran_order': False, 'shape': (" + std::to_string(grid.height) + ", " +
                       std::to_string(grid.width) + "), }";
    const size_t unpadded = kMagic.size() + 2 + dict.size() + 1;
    dict.append((kAlignment - unpadded % kAlignment) % kAlignment, ' ');
    dict += '\n';
    std::string header(kMagic);
    header += static_cast<char>(dict.size() & 0xFF);
    header += static_cast<char>(dict.size() >> 8);
    return header + dict;
}

Status NpyWriter::Start(Size grid)
{
    m_width = grid.width;
    return m_pieces.Start(NpyHeader(grid), static_cast<size_t>(m_width) * kCellBytes);
}

Status NpyWriter::AddRow(const uint64_t* hits)
{
    std::string& piece = m_pieces.Piece();
    for (int32_t column = 0; column < m_width; ++column) {
        for (size_t byte = 0; byte < kCellBytes; ++byte) {
            piece.push_back(static_cast<char>(hits[column] >> (8 * byte)));
        }
    }
    return m_pieces.RowAdded();
}

Status NpyWriter::Finish()
{
    return m_pieces.Flush();
}

bool IsCompleteNpy(const std::filesystem::path& path, Size grid)
{
    return IsCompleteFile(path, NpyHeader(grid), int64_t{grid.width} * grid.height * int64_t{kCellBytes});
}
