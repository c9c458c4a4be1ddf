#include "job/byte_sink.h"

#include "platform/record_file.h"

#include <algorithm>

Status RowPieces::Start(std::string_view header, size_t rowBytes)
{
    m_rowBytes = rowBytes;
    m_pieceBytes = std::max<size_t>(size_t{1} << 16, std::max<size_t>(rowBytes, 1));
    m_piece.reserve(m_pieceBytes);
    return m_sink.Write(header);
}

Status RowPieces::RowAdded()
{
    return m_piece.size() + m_rowBytes <= m_pieceBytes ? Status{} : Flush();
}

Status RowPieces::Flush()
{
    Status written = m_piece.empty() ? Status{} : m_sink.Write(m_piece);
    m_piece.clear();
    return written;
}

bool IsCompleteFile(const std::filesystem::path& path, std::string_view header, int64_t dataBytes)
{
    Result<RecordFile> file = RecordFile::OpenToRead(path);
    const Result<int64_t> size = file ? file->Size() : Result<int64_t>(file.Error());
    std::string read(header.size(), '\0');
    return size && *size == static_cast<int64_t>(header.size()) + dataBytes && file->ReadAt(0, read) && read == header;
}
