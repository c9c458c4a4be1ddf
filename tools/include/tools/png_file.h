// PNG encoding of a pixel buffer for corvalis-render.
#pragma once

#include "render/image_pipeline.h"

#include <string>

// An 8-bit RGB PNG of the buffer's 0x00RRGGBB pixels, buffer row 0 at the bottom of the picture
// (the largest parameter on top, as the window shows it).
std::string EncodePng(const PixelBuffer& buffer);
