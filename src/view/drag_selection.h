// The arithmetic of a drag over the picture: the client pixels the rubber band inverts, and
// the region values the dragged corners stand for.
#pragma once

#include "calc/calc_region.h"
#include "view/placement.h"

#include <cstdint>
#include <optional>
#include <vector>

struct ClientPoint {
    int32_t x = 0;
    int32_t y = 0;

    bool operator==(const ClientPoint&) const = default;
};

// A rectangle of client pixels: left and top inclusive, width and height at least 1.
struct PixelRect {
    int32_t left = 0;
    int32_t top = 0;
    int32_t width = 0;
    int32_t height = 0;

    bool operator==(const PixelRect&) const = default;
};

// The pixels that the outline from (x1, y1) over (x2, y1), (x2, y2) and (x1, y2) back to
// (x1, y1) inverts, each of its four lines leaving out its end point: every outline pixel of a
// proper rectangle, only the two end pixels of a purely horizontal or vertical band, nothing
// for a band of zero size. Inverting the same pixels again restores them.
std::vector<PixelRect> BandOutline(int32_t x1, int32_t y1, int32_t x2, int32_t y2);

// The dragged rectangle in region values: start x and y, end x and y, each axis ordered.
struct DraggedRegion {
    double startX = 0.0;
    double startY = 0.0;
    double endX = 0.0;
    double endY = 0.0;
};

// Maps the two corners by the inverse of the picture's placement: x grows to the right from
// xmin at the picture's left edge, y grows upward from ymin at the row ch − mY − offY. No value
// without a bitmap of positive width and height.
std::optional<DraggedRegion> MapDragToRegion(ClientPoint start, ClientPoint end, PixelSize client,
                                             Margins margins, PixelSize bitmap, const CalcRegion& region);
