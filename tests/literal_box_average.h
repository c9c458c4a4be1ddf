// The box average of the display bitmap written literally, pixel by pixel, as the reference
// that the program's resampling must match exactly. Deliberately simple and slow.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace literal {

// bitmap (W × H) from image (w × h), both row-major 0x00RRGGBB.
inline std::vector<uint32_t> BoxAverage(const std::vector<uint32_t>& image, int64_t w, int64_t h, int64_t W, int64_t H)
{
    std::vector<uint32_t> bitmap(static_cast<size_t>(W * H));
    for (int64_t y = 0; y < H; ++y) {
        for (int64_t x = 0; x < W; ++x) {
            int64_t x0 = (x * w) / W;
            int64_t x1 = ((x + 1) * w) / W;
            if (x1 == x0) {
                x1 = x0 + 1;
            }
            int64_t y0 = (y * h) / H;
            int64_t y1 = ((y + 1) * h) / H;
            if (y1 == y0) {
                y1 = y0 + 1;
            }
            int64_t red = 0;
            int64_t green = 0;
            int64_t blue = 0;
            for (int64_t row = y0; row < y1; ++row) {
                for (int64_t column = x0; column < x1; ++column) {
                    const uint32_t c = image[static_cast<size_t>(row * w + column)];
                    red += (c >> 16) & 0xFF;
                    green += (c >> 8) & 0xFF;
                    blue += c & 0xFF;
                }
            }
            const int64_t n = (x1 - x0) * (y1 - y0);
            bitmap[static_cast<size_t>(y * W + x)] = static_cast<uint32_t>((red / n) << 16 | (green / n) << 8 |
                                                                           (blue / n));
        }
    }
    return bitmap;
}

}  // namespace literal
