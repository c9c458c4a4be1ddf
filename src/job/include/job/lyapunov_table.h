// The Lyapunov exponent of a render's rows as a CSV table, written a row at a time: a line per
// row from the top down with its number as in the levels' PGM (0 the top row), its parameter,
// and its λ with the least and the largest of its sub-samples', every number in the shortest
// text that reads back as the same double ("-inf" and "nan" where it is one).
#pragma once

#include "core/lyapunov.h"
#include "job/byte_sink.h"
#include "platform/result.h"

#include <cstdint>
#include <filesystem>
#include <string_view>

inline constexpr std::string_view kLyapunovTableHeader = "row,a,lambda,lambda_min,lambda_max\n";

class LyapunovTableWriter {
public:
    explicit LyapunovTableWriter(ByteSink& sink) : m_pieces(sink) {}

    // Writes the header line.
    Status Start();
    // Adds the line of the next row: its number from the top, its parameter and its λ.
    Status AddRow(int32_t rowFromTop, double parameter, const RowLyapunov& lyapunov);
    // Passes on what is left once every row is added.
    Status Finish();

private:
    RowPieces m_pieces;
};

// Whether the file is a whole table of `rows` rows: its header, then that many lines, the last
// one ended.
bool IsCompleteLyapunovTable(const std::filesystem::path& path, int32_t rows);
