#include "job/pgm_file.h"

#include "platform/record_file.h"

#include <algorithm>

namespace {

// Bytes gathered before they go to the sink: about 64 KiB, and at least one row.
size_t PieceBytes(int32_t width)
{
    return std::max<size_t>(size_t{1} << 16, static_cast<size_t>(std::max(width, 1)));
}

std::string Header(Size grid)
{
    return "P5\n" + std::to_string(grid.width) + " " + std::to_string(grid.height) + "\n255\n";
}

}  // namespace

Status PgmWriter::Start(Size grid)
{
    m_width = grid.width;
    m_piece.reserve(PieceBytes(m_width));
    return m_sink.Write(Header(grid));
}

Status PgmWriter::AddRow(const int32_t* levels)
{
    for (int32_t column = 0; column < m_width; ++column) {
        m_piece.push_back(static_cast<char>(static_cast<unsigned char>(levels[column])));
    }
    if (m_piece.size() + static_cast<size_t>(m_width) <= PieceBytes(m_width)) {
        return {};
    }
    return Finish();
}

Status PgmWriter::Finish()
{
    Status written = m_piece.empty() ? Status{} : m_sink.Write(m_piece);
    m_piece.clear();
    return written;
}

bool IsCompletePgm(const std::filesystem::path& path, Size grid)
{
    const std::string header = Header(grid);
    Result<RecordFile> file = RecordFile::OpenToRead(path);
    const Result<int64_t> size = file ? file->Size() : Result<int64_t>(file.Error());
    std::string read(header.size(), '\0');
    return size && *size == static_cast<int64_t>(header.size()) + int64_t{grid.width} * grid.height &&
           file->ReadAt(0, read) && read == header;
}
