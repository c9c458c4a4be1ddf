// The encoder of the program's icon file: a Windows icon holding several images.
#pragma once

#include "render/image_pipeline.h"

#include <cstdint>
#include <span>
#include <string>
#include <vector>

// One square image of a Windows icon, row 0 at the bottom: 4 or 8 bits per pixel (the pixels
// are indices into the palette, which holds 1 << bitsPerPixel colours) or 24 (the pixels are
// colour values 0x00RRGGBB). Every pixel is opaque.
struct IcoImage {
    PixelBuffer pixels;
    int32_t bitsPerPixel = 24;
    std::vector<uint32_t> palette;
};

// The image of 4 or 8 bits per pixel that shows every colour of the picture as the nearest
// colour of the palette.
IcoImage Quantize(const PixelBuffer& picture, std::span<const uint32_t> palette, int32_t bitsPerPixel);

// A .ico file holding the images in the given order.
std::string EncodeIco(std::span<const IcoImage> images);
