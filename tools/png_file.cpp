#include "tools/png_file.h"

#include <zlib.h>

#include <array>
#include <cstdint>
#include <new>
#include <string_view>
#include <vector>

namespace {

void AppendBigEndian(std::string& out, uint32_t value)
{
    for (int shift = 24; shift >= 0; shift -= 8) {
        out.push_back(static_cast<char>((value >> shift) & 0xFF));
    }
}

void AppendChunk(std::string& out, std::string_view type, std::string_view data)
{
    AppendBigEndian(out, static_cast<uint32_t>(data.size()));
    const size_t typeStart = out.size();
    out.append(type);
    out.append(data);
    const auto* checked = reinterpret_cast<const Bytef*>(out.data() + typeStart);
    AppendBigEndian(out, static_cast<uint32_t>(crc32(0L, checked, static_cast<uInt>(out.size() - typeStart))));
}

// The filtered scanlines: each row, top row first, a filter byte 0 then R, G, B per pixel.
std::vector<Bytef> Scanlines(const PixelBuffer& buffer)
{
    const size_t rowBytes = 1 + static_cast<size_t>(buffer.width) * 3;
    std::vector<Bytef> raw(rowBytes * static_cast<size_t>(buffer.height));
    Bytef* out = raw.data();
    for (int64_t row = buffer.height - 1; row >= 0; --row) {
        *out++ = 0;
        const uint32_t* pixels = buffer.pixels.get() + row * buffer.width;
        for (int32_t column = 0; column < buffer.width; ++column) {
            *out++ = static_cast<Bytef>(pixels[column] >> 16);
            *out++ = static_cast<Bytef>(pixels[column] >> 8);
            *out++ = static_cast<Bytef>(pixels[column]);
        }
    }
    return raw;
}

}  // namespace

std::string EncodePng(const PixelBuffer& buffer)
{
    const std::vector<Bytef> raw = Scanlines(buffer);
    uLongf compressedSize = compressBound(static_cast<uLong>(raw.size()));
    std::string compressed(compressedSize, '\0');
    if (compress2(reinterpret_cast<Bytef*>(compressed.data()), &compressedSize, raw.data(),
                  static_cast<uLong>(raw.size()), Z_DEFAULT_COMPRESSION) != Z_OK) {
        throw std::bad_alloc();
    }
    compressed.resize(compressedSize);

    std::string header;
    AppendBigEndian(header, static_cast<uint32_t>(buffer.width));
    AppendBigEndian(header, static_cast<uint32_t>(buffer.height));
    header += std::string{'\x08', '\x02', '\x00', '\x00', '\x00'};  // 8 bits, RGB, deflate, no interlace

    std::string png = "\x89PNG\r\n\x1a\n";
    AppendChunk(png, "IHDR", header);
    AppendChunk(png, "IDAT", compressed);
    AppendChunk(png, "IEND", {});
    return png;
}
