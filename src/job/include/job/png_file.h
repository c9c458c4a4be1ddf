// PNG files of pixel buffers, written a piece at a time.
#pragma once

#include "job/byte_sink.h"
#include "platform/result.h"
#include "render/image_pipeline.h"

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
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

class PngImageData;

// An 8-bit RGB PNG of a picture of the given size, given a row at a time, top row first, each
// compressed as it comes: the picture is never whole in memory. The first failure, of the sink
// or of the compressor, is given back, and the writer is not to be used after it.
class PngWriter {
public:
    explicit PngWriter(ByteSink& sink);
    ~PngWriter();
    PngWriter(const PngWriter&) = delete;
    PngWriter& operator=(const PngWriter&) = delete;

    // Writes the signature, the header and the text chunks.
    Status Start(Size size, const std::vector<PngText>& texts);
    // Adds the next row's colours 0x00RRGGBB, left to right.
    Status AddRow(const uint32_t* colours);
    // Ends the picture once every row is added.
    Status Finish();

private:
    ByteSink& m_sink;
    std::unique_ptr<PngImageData> m_data;
    std::vector<unsigned char> m_scanline;
};

// An 8-bit RGB PNG of a picture of the given size, asked for a row at a time, top row first
// (the largest parameter on top, as the window shows it), with the text chunks before the
// picture. The same picture and texts give the same bytes. Stops at the first failure, of the
// sink or of the compressor, and gives it back.
Status WritePng(Size size, const PixelRows& rows, const std::vector<PngText>& texts, ByteSink& sink);

// The PNG of a buffer's pixels, buffer row 0 at the bottom, whole in memory; a failure when the
// compressor fails.
Result<std::string> EncodePng(const PixelBuffer& buffer, const std::vector<PngText>& texts = {});

// The text chunks of a complete PNG file: the signature, then whole chunks with right CRCs up to
// an IEND chunk that ends the file. Nothing for any other file, or one that cannot be read.
std::optional<std::vector<PngText>> ReadCompletePngTexts(const std::filesystem::path& path);
