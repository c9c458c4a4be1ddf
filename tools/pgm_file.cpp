#include "tools/pgm_file.h"

#include <algorithm>
#include <string>

namespace {

// Rows of the picture passed to the sink at a time, at least one: about 64 KiB.
int64_t RowsPerPiece(int32_t width)
{
    return std::max<int64_t>(1, (int64_t{1} << 16) / std::max(width, 1));
}

}  // namespace

Status WritePgm(const std::vector<int32_t>& levels, Size grid, ByteSink& sink)
{
    const std::string header = "P5\n" + std::to_string(grid.width) + " " + std::to_string(grid.height) + "\n255\n";
    if (Status written = sink.Write(header); !written) {
        return written;
    }
    const int64_t rowsPerPiece = RowsPerPiece(grid.width);
    std::string piece;
    for (int64_t row = grid.height - 1; row >= 0; --row) {
        const int32_t* cells = levels.data() + row * grid.width;
        for (int32_t column = 0; column < grid.width; ++column) {
            piece.push_back(static_cast<char>(static_cast<unsigned char>(cells[column])));
        }
        if ((grid.height - row) % rowsPerPiece == 0 || row == 0) {
            if (Status written = sink.Write(piece); !written) {
                return written;
            }
            piece.clear();
        }
    }
    return {};
}
