// Where the picture goes in the view's client area: the display bitmap's size fitted inside the
// margins with the image's aspect, and its centred position. Painting and the mapping of mouse
// positions back to region values both use these, so the two always agree.
#pragma once

#include "platform/geometry.h"

#include <cstdint>

// Free space left and right (x) and above and below (y) the picture.
struct Margins {
    int32_t x = 0;
    int32_t y = 0;
};

// The largest size with the image's aspect inside the client area less the margins. An image
// side below 1 counts as 1, so without an image the result is square. The ratios are compared
// in floating point and the other side is an integer quotient of 64-bit products; results
// beyond the 32-bit range saturate. A client area no larger than the margins gives a size with
// a side of zero or less; one only shorter than the margins (a negative area ratio) gives the
// full available width and a height that ignores the available height.
Size FitBitmapSize(Size client, Margins margins, Size image);

// Placement of a bitmap of the given size in the client area, in client pixels.
struct ImagePlacement {
    int32_t offX = 0;  // left edge of the margin box; the integer centring offset
    int32_t offY = 0;  // top edge of the margin box
    int32_t left = 0;  // image rectangle; right and bottom exclusive
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;

    // Client row that shows bitmap buffer row `bufferRow`: buffer row 0 is the bottom row.
    int32_t ScreenRow(int32_t bufferRow) const { return bottom - 1 - bufferRow; }
};

// Centres the bitmap with its margins; the offsets truncate toward zero, so an odd leftover
// pixel goes to the right or bottom margin. Results beyond the 32-bit range saturate.
ImagePlacement PlaceImage(Size client, Margins margins, Size bitmap);
