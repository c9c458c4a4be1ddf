// Writing corvalis-render's outputs: whole files or nothing.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// Binary PGM (P5, maxval 255) of a width × height level grid, grid row 0 at the bottom.
std::string EncodePgm(const std::vector<int32_t>& levels, int32_t width, int32_t height);

// Writes the bytes to a temporary file beside `path` and renames it into place, so a failed
// or interrupted write leaves no half-written file. Returns an empty string or the error.
std::string WriteFileWhole(const std::string& path, std::string_view bytes);

// Tells before a long computation whether its output can be written: an empty string or the
// error that WriteFileWhole would give.
std::string CheckWritable(const std::string& path);
