// Where an encoder puts the bytes of a file, a piece at a time, so that a large file is never
// whole in memory and its writing can stop between two pieces; the pieces of a file of rows, and
// the check that such a file was finished.
#pragma once

#include "platform/result.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

class ByteSink {
public:
    // Takes the next bytes; a failure when they cannot go where they should, and the encoder is
    // to stop and pass it on.
    virtual Status Write(std::string_view bytes) = 0;

protected:
    ~ByteSink() = default;
};

// Keeps every byte in memory.
class StringSink final : public ByteSink {
public:
    Status Write(std::string_view bytes) override
    {
        m_bytes.append(bytes);
        return {};
    }
    const std::string& Bytes() const { return m_bytes; }

private:
    std::string m_bytes;
};

// Gathers the rows of a file's data into pieces of about 64 KiB, each of whole rows and at least
// one, and passes each piece on to the sink once the next row would not fit: a writer that gets
// a row at a time makes few writes and holds little.
class RowPieces {
public:
    explicit RowPieces(ByteSink& sink) : m_sink(sink) {}

    // Passes the header on and sets how many bytes each row has.
    Status Start(std::string_view header, size_t rowBytes);
    // The piece being gathered: the next row is appended to it, then RowAdded called.
    std::string& Piece() { return m_piece; }
    // Passes the piece on when another row would not fit in it.
    Status RowAdded();
    // Passes on what is gathered.
    Status Flush();

private:
    ByteSink& m_sink;
    size_t m_rowBytes = 0;
    size_t m_pieceBytes = 0;
    std::string m_piece;
};

// Whether the file is one that a writer of a header and rows finished: that header, then exactly
// `dataBytes` bytes more.
bool IsCompleteFile(const std::filesystem::path& path, std::string_view header, int64_t dataBytes);
