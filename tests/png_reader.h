// Reads back the PNG files the program writes, independently of its encoder: every chunk's
// CRC, the header, the text chunks, and the pixels of an 8-bit RGB picture without interlace
// and with unfiltered scanlines, which is what the program writes.
#pragma once

#include <zlib.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

struct DecodedPng {
    std::string error;  // empty when the file is a PNG this reader understands
    int32_t width = 0;
    int32_t height = 0;
    std::vector<uint32_t> pixels;                            // 0x00RRGGBB, top row first
    std::vector<std::pair<std::string, std::string>> texts;  // tEXt keyword and text, in order
};

namespace png_reader {

inline uint32_t BigEndian(std::string_view bytes, size_t at)
{
    return static_cast<uint32_t>(static_cast<uint8_t>(bytes[at])) << 24 |
           static_cast<uint32_t>(static_cast<uint8_t>(bytes[at + 1])) << 16 |
           static_cast<uint32_t>(static_cast<uint8_t>(bytes[at + 2])) << 8 |
           static_cast<uint32_t>(static_cast<uint8_t>(bytes[at + 3]));
}

}  // namespace png_reader

inline DecodedPng DecodePng(std::string_view file)
{
    using png_reader::BigEndian;
    DecodedPng png;
    if (file.substr(0, 8) != std::string_view("\x89PNG\r\n\x1a\n", 8)) {
        png.error = "no PNG signature";
        return png;
    }
    std::string compressed;
    bool ended = false;
    for (size_t at = 8; !ended;) {
        if (at + 12 > file.size()) {
            png.error = "the file ends inside a chunk";
            return png;
        }
        const uint32_t length = BigEndian(file, at);
        const std::string_view type = file.substr(at + 4, 4);
        if (length > file.size() - at - 12) {
            png.error = "a chunk runs past the end";
            return png;
        }
        const std::string_view data = file.substr(at + 8, length);
        const auto* checked = reinterpret_cast<const Bytef*>(file.data() + at + 4);
        if (crc32(0, checked, length + 4) != BigEndian(file, at + 8 + length)) {
            png.error = "bad CRC in " + std::string(type);
            return png;
        }
        if (type == "IHDR") {
            png.width = static_cast<int32_t>(BigEndian(data, 0));
            png.height = static_cast<int32_t>(BigEndian(data, 4));
            if (data.substr(8) != std::string_view("\x08\x02\x00\x00\x00", 5)) {
                png.error = "not 8-bit RGB without interlace";
                return png;
            }
        } else if (type == "tEXt") {
            const size_t zero = data.find('\0');
            png.texts.emplace_back(std::string(data.substr(0, zero)), std::string(data.substr(zero + 1)));
        } else if (type == "IDAT") {
            compressed.append(data);
        } else if (type == "IEND") {
            ended = true;
        }
        at += 12 + length;
    }
    const size_t rowBytes = static_cast<size_t>(png.width) * 3;
    std::vector<uint8_t> raw((rowBytes + 1) * static_cast<size_t>(png.height));
    uLongf rawSize = static_cast<uLongf>(raw.size());
    if (uncompress(raw.data(), &rawSize, reinterpret_cast<const Bytef*>(compressed.data()),
                   static_cast<uLong>(compressed.size())) != Z_OK ||
        rawSize != raw.size()) {
        png.error = "the image data does not inflate to the picture's size";
        return png;
    }
    for (int32_t y = 0; y < png.height; ++y) {
        const uint8_t* row = raw.data() + static_cast<size_t>(y) * (rowBytes + 1);
        if (row[0] != 0) {
            png.error = "a filtered scanline";
            return png;
        }
        for (size_t x = 1; x <= rowBytes; x += 3) {
            png.pixels.push_back(uint32_t{row[x]} << 16 | uint32_t{row[x + 1]} << 8 | row[x + 2]);
        }
    }
    return png;
}
