#include "render/drag_selection.h"

#include <algorithm>
#include <utility>

std::vector<Rect> BandOutline(int32_t x1, int32_t y1, int32_t x2, int32_t y2)
{
    if (x1 == x2 && y1 == y2) {
        return {};
    }
    if (x1 == x2 || y1 == y2) {
        // The line there and the line back cancel out but for the first pixel of each.
        return {{x1, y1, 1, 1}, {x2, y2, 1, 1}};
    }
    const int32_t left = std::min(x1, x2);
    const int32_t top = std::min(y1, y2);
    const int32_t width = std::max(x1, x2) - left + 1;
    const int32_t height = std::max(y1, y2) - top + 1;
    std::vector<Rect> outline = {{left, top, width, 1}, {left, top + height - 1, width, 1}};
    if (height > 2) {
        outline.push_back({left, top + 1, 1, height - 2});
        outline.push_back({left + width - 1, top + 1, 1, height - 2});
    }
    return outline;
}

namespace {

double MapX(int32_t px, const ImagePlacement& place, Margins margins, double dx, const CalcRegion& region)
{
    const int32_t u = px - margins.x - place.offX;
    return region.xmin + static_cast<double>(u) * dx;
}

double MapY(int32_t py, const ImagePlacement& place, Size client, Margins margins, double dy, const CalcRegion& region)
{
    const int32_t v = client.height - margins.y - py - place.offY;
    return region.ymin + static_cast<double>(v) * dy;
}

}  // namespace

std::optional<CalcRegion> MapDragToRegion(Point start, Point end, Size client, Margins margins, Size bitmap,
                                          const CalcRegion& region)
{
    if (bitmap.width <= 0 || bitmap.height <= 0) {
        return std::nullopt;
    }
    const ImagePlacement place = PlaceImage(client, margins, bitmap);
    const double dx = (region.xmax - region.xmin) / bitmap.width;
    const double dy = (region.ymax - region.ymin) / bitmap.height;
    double x1 = MapX(start.x, place, margins, dx, region);
    double y1 = MapY(start.y, place, client, margins, dy, region);
    double x2 = MapX(end.x, place, margins, dx, region);
    double y2 = MapY(end.y, place, client, margins, dy, region);
    if (x1 > x2) {
        std::swap(x1, x2);
    }
    if (y2 < y1) {
        std::swap(y1, y2);
    }
    return CalcRegion{x1, y1, x2, y2};
}
