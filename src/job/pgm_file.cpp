#include "job/pgm_file.h"

namespace {

std::string Header(Size grid)
{
    return "P5\n" + std::to_string(grid.width) + " " + std::to_string(grid.height) + "\n255\n";
}

}  // namespace

Status PgmWriter::Start(Size grid)
{
    m_width = grid.width;
    return m_pieces.Start(Header(grid), static_cast<size_t>(m_width));
}

Status PgmWriter::AddRow(const int32_t* levels)
{
    std::string& piece = m_pieces.Piece();
    for (int32_t column = 0; column < m_width; ++column) {
        piece.push_back(static_cast<char>(static_cast<unsigned char>(levels[column])));
    }
    return m_pieces.RowAdded();
}

Status PgmWriter::Finish()
{
    return m_pieces.Flush();
}

bool IsCompletePgm(const std::filesystem::path& path, Size grid)
{
    return IsCompleteFile(path, Header(grid), int64_t{grid.width} * grid.height);
}
