#include "job/lyapunov_table.h"

#include "platform/record_file.h"

#include <algorithm>
#include <charconv>
#include <string>

namespace {

// The most a line takes: a row number and four doubles of at most 24 characters, with commas.
constexpr size_t kMostLineBytes = 128;

void AppendNumber(std::string& line, double value)
{
    char digits[32];
    const std::to_chars_result written = std::to_chars(digits, digits + sizeof digits, value);
    line.append(digits, written.ptr);
}

}  // namespace

Status LyapunovTableWriter::Start()
{
    return m_pieces.Start(kLyapunovTableHeader, kMostLineBytes);
}

Status LyapunovTableWriter::AddRow(int32_t rowFromTop, double parameter, const RowLyapunov& lyapunov)
{
    std::string& piece = m_pieces.Piece();
    piece += std::to_string(rowFromTop);
    for (const double value : {parameter, lyapunov.lambda, lyapunov.least, lyapunov.most}) {
        piece += ',';
        AppendNumber(piece, value);
    }
    piece += '\n';
    return m_pieces.RowAdded();
}

Status LyapunovTableWriter::Finish()
{
    return m_pieces.Flush();
}

bool IsCompleteLyapunovTable(const std::filesystem::path& path, int32_t rows)
{
    Result<RecordFile> file = RecordFile::OpenToRead(path);
    const Result<int64_t> size = file ? file->Size() : Result<int64_t>(file.Error());
    const int64_t mostBytes = static_cast<int64_t>(kLyapunovTableHeader.size()) + int64_t{rows} * kMostLineBytes;
    if (!size || *size > mostBytes) {
        return false;
    }
    std::string text(static_cast<size_t>(*size), '\0');
    if (!file->ReadAt(0, text)) {
        return false;
    }
    return text.starts_with(kLyapunovTableHeader) && text.ends_with('\n') &&
           std::ranges::count(text, '\n') == int64_t{rows} + 1;
}
