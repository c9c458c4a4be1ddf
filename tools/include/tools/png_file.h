// PNG files of pixel buffers, written a piece at a time.
#pragma once

#include "platform/result.h"
#include "render/image_pipeline.h"
#include "tools/byte_sink.h"

#include <functional>
#include <string>
#include <vector>

// A text chunk: a keyword of 1 to 79 Latin-1 characters and its text.
struct PngText {
    std::string keyword;
    std::string text;
};

// Puts the colours 0x00RRGGBB of one row of a picture, left to right, into `colours`; row 0 is
// the bottom row.
using PixelRows = std::function<void(int32_t row, uint32_t* colours)>;

// An 8-bit RGB PNG of a picture of the given size, asked for a row at a time, top row first
// (the largest parameter on top, as the window shows it), with the text chunks before the
// picture. The same picture and texts give the same bytes. Stops at the first failure, of the
// sink or of the compressor, and gives it back.
Status WritePng(Size size, const PixelRows& rows, const std::vector<PngText>& texts, ByteSink& sink);

// The PNG of a buffer's pixels, buffer row 0 at the bottom, whole in memory; a failure when the
// compressor fails.
Result<std::string> EncodePng(const PixelBuffer& buffer, const std::vector<PngText>& texts = {});
