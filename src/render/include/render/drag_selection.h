// The arithmetic of a drag over the picture: the client pixels the rubber band inverts, and
// the region values the dragged corners stand for.
#pragma once

#include "core/calc_region.h"
#include "platform/geometry.h"
#include "render/placement.h"

#include <cstdint>
#include <optional>
#include <vector>

// The client pixels, as rectangles, that the outline from (x1, y1) over (x2, y1), (x2, y2) and
// (x1, y2) back to (x1, y1) inverts, each of its four lines leaving out its end point: every
// outline pixel of a proper rectangle, only the two end pixels of a purely horizontal or
// vertical band, nothing for a band of zero size. Inverting the same pixels again restores them.
std::vector<Rect> BandOutline(int32_t x1, int32_t y1, int32_t x2, int32_t y2);

// Maps the two corners by the inverse of the picture's placement: x grows to the right from
// xmin at the picture's left edge, y grows upward from ymin at the row ch − mY − offY. The
// result is the dragged rectangle with each axis ordered. No value without a bitmap of
// positive width and height.
std::optional<CalcRegion> MapDragToRegion(Point start, Point end, Size client, Margins margins, Size bitmap,
                                          const CalcRegion& region);
