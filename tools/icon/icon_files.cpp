#include "tools/icon_files.h"

#include <limits>

namespace {

void PutU8(std::string& out, uint32_t value)
{
    out += static_cast<char>(value & 0xFF);
}

void PutU16(std::string& out, uint32_t value)
{
    PutU8(out, value);
    PutU8(out, value >> 8);
}

void PutU32(std::string& out, uint32_t value)
{
    PutU16(out, value);
    PutU16(out, value >> 16);
}

// Rows of bitmaps in an icon are padded to whole 32-bit words.
size_t RowBytes(int32_t width, int32_t bitsPerPixel)
{
    return (static_cast<size_t>(width) * bitsPerPixel + 31) / 32 * 4;
}

uint32_t Channel(uint32_t color, int shift)
{
    return (color >> shift) & 0xFF;
}

uint32_t SquaredDistance(uint32_t a, uint32_t b)
{
    uint32_t sum = 0;
    for (int shift : {16, 8, 0}) {
        const int32_t d = static_cast<int32_t>(Channel(a, shift)) - static_cast<int32_t>(Channel(b, shift));
        sum += static_cast<uint32_t>(d * d);
    }
    return sum;
}

uint32_t NearestIndex(uint32_t color, std::span<const uint32_t> palette)
{
    uint32_t best = 0;
    uint32_t bestDistance = std::numeric_limits<uint32_t>::max();
    for (size_t i = 0; i < palette.size(); ++i) {
        const uint32_t distance = SquaredDistance(color, palette[i]);
        if (distance < bestDistance) {
            bestDistance = distance;
            best = static_cast<uint32_t>(i);
        }
    }
    return best;
}

// The device-independent bitmap of one icon image: header, palette, the colour bitmap and the
// transparency mask (all clear: opaque), both bottom-up.
std::string EncodeIcoBitmap(const IcoImage& image)
{
    const int32_t size = image.pixels.width;
    const size_t colorRow = RowBytes(size, image.bitsPerPixel);
    const size_t maskRow = RowBytes(size, 1);
    std::string out;
    PutU32(out, 40);                               // header size
    PutU32(out, static_cast<uint32_t>(size));      // width
    PutU32(out, static_cast<uint32_t>(size * 2));  // height of the colour bitmap and the mask
    PutU16(out, 1);                                // planes
    PutU16(out, static_cast<uint32_t>(image.bitsPerPixel));
    PutU32(out, 0);  // no compression
    PutU32(out, static_cast<uint32_t>((colorRow + maskRow) * size));
    PutU32(out, 0);
    PutU32(out, 0);
    PutU32(out, 0);  // colours used: all of the palette
    PutU32(out, 0);
    for (uint32_t color : image.palette) {
        PutU8(out, Channel(color, 0));
        PutU8(out, Channel(color, 8));
        PutU8(out, Channel(color, 16));
        PutU8(out, 0);
    }
    for (int32_t row = 0; row < size; ++row) {
        const uint32_t* line = image.pixels.pixels.get() + static_cast<size_t>(row) * size;
        std::string bytes(colorRow, '\0');
        for (int32_t column = 0; column < size; ++column) {
            const uint32_t value = line[column];
            if (image.bitsPerPixel == 24) {
                bytes[column * 3] = static_cast<char>(Channel(value, 0));
                bytes[column * 3 + 1] = static_cast<char>(Channel(value, 8));
                bytes[column * 3 + 2] = static_cast<char>(Channel(value, 16));
            } else if (image.bitsPerPixel == 8) {
                bytes[column] = static_cast<char>(value);
            } else {
                const int shift = column % 2 == 0 ? 4 : 0;  // the left pixel in the high nibble
                bytes[column / 2] = static_cast<char>(bytes[column / 2] | (value << shift));
            }
        }
        out += bytes;
    }
    out.append(maskRow * size, '\0');
    return out;
}

}  // namespace

IcoImage Quantize(const PixelBuffer& picture, std::span<const uint32_t> palette, int32_t bitsPerPixel)
{
    IcoImage image{{}, bitsPerPixel, {palette.begin(), palette.end()}};
    image.palette.resize(size_t{1} << bitsPerPixel);
    AllocPixels(image.pixels, {picture.width, picture.height});
    for (int64_t i = 0; i < picture.PixelCount(); ++i) {
        image.pixels.pixels[i] = NearestIndex(picture.pixels[i], palette);
    }
    return image;
}

std::string EncodeIco(std::span<const IcoImage> images)
{
    std::string directory;
    PutU16(directory, 0);  // reserved
    PutU16(directory, 1);  // an icon
    PutU16(directory, static_cast<uint32_t>(images.size()));
    std::string bitmaps;
    size_t offset = 6 + 16 * images.size();
    for (const IcoImage& image : images) {
        const std::string bitmap = EncodeIcoBitmap(image);
        const int32_t size = image.pixels.width;
        PutU8(directory, size >= 256 ? 0 : static_cast<uint32_t>(size));
        PutU8(directory, size >= 256 ? 0 : static_cast<uint32_t>(size));
        PutU8(directory, image.bitsPerPixel < 8 ? 1u << image.bitsPerPixel : 0);
        PutU8(directory, 0);
        PutU16(directory, 1);  // planes
        PutU16(directory, static_cast<uint32_t>(image.bitsPerPixel));
        PutU32(directory, static_cast<uint32_t>(bitmap.size()));
        PutU32(directory, static_cast<uint32_t>(offset));
        offset += bitmap.size();
        bitmaps += bitmap;
    }
    return directory + bitmaps;
}
