// The density levels as a binary PGM (P5, maxval 255), written a piece at a time.
#pragma once

#include "job/byte_sink.h"
#include "platform/geometry.h"
#include "platform/result.h"

#include <cstdint>
#include <filesystem>
#include <string>

// A PGM of a grid's levels, given a row at a time, top row first (grid row 0, the smallest
// parameter, is the bottom row of the picture), and passed to the sink in pieces of about
// 64 KiB. The first failure of the sink is given back, and the writer is not to be used after it.
class PgmWriter {
public:
    explicit PgmWriter(ByteSink& sink) : m_pieces(sink) {}

    // Writes the header.
    Status Start(Size grid);
    // Adds the next row's levels, left to right.
    Status AddRow(const int32_t* levels);
    // Passes on what is left once every row is added.
    Status Finish();

private:
    RowPieces m_pieces;
    int32_t m_width = 0;
};

// Whether the file is a whole PGM of a grid of that size, as PgmWriter writes it: its header,
// and as many bytes after it as the grid has cells.
bool IsCompletePgm(const std::filesystem::path& path, Size grid);
