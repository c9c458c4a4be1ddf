// The hits of a grid's cells as a NumPy array file (.npy, format 1.0), written a piece at a time.
#pragma once

#include "job/byte_sink.h"
#include "platform/geometry.h"
#include "platform/result.h"

#include <cstdint>
#include <filesystem>
#include <string>

// What comes before the data of the .npy file of a grid's hits: the magic string, the format
// 1.0, the length of the dict that follows, and the dict (unsigned 64-bit little-endian, row by
// row, shape (rows, columns)), padded with spaces and ended by a line feed so that the data
// begins at a multiple of 64 bytes.
std::string NpyHeader(Size grid);

// A .npy file of a grid's hits, given a row at a time, top row first (grid row 0, the smallest
// parameter, is the array's last row), each count as 8 bytes little-endian whatever the host,
// passed to the sink in pieces of about 64 KiB. The first failure of the sink is given back, and
// the writer is not to be used after it.
class NpyWriter {
public:
    explicit NpyWriter(ByteSink& sink) : m_pieces(sink) {}

    // Writes the header.
    Status Start(Size grid);
    // Adds the next row's hits, left to right.
    Status AddRow(const uint64_t* hits);
    // Passes on what is left once every row is added.
    Status Finish();

private:
    RowPieces m_pieces;
    int32_t m_width = 0;
};

// Whether the file is a whole .npy file of a grid of that size, as NpyWriter writes it: its
// header, and 8 bytes a cell after it.
bool IsCompleteNpy(const std::filesystem::path& path, Size grid);
