#include "render/placement.h"

#include <algorithm>
#include <limits>

namespace {

int32_t SaturateToInt32(int64_t v)
{
    return static_cast<int32_t>(
        std::clamp<int64_t>(v, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()));
}

}  // namespace

Size FitBitmapSize(Size client, Margins margins, Size image)
{
    const int64_t aw = int64_t{client.width} - 2 * int64_t{margins.x};
    const int64_t ah = int64_t{client.height} - 2 * int64_t{margins.y};
    const int64_t gw = std::max(image.width, 1);
    const int64_t gh = std::max(image.height, 1);
    // With ah = 0 the area ratio is ±infinity, or NaN when aw = 0 too; NaN compares false
    // and so takes the second branch, which then gives 0 × 0.
    const double areaRatio = static_cast<double>(aw) / static_cast<double>(ah);
    const double imageRatio = static_cast<double>(gw) / static_cast<double>(gh);
    if (areaRatio < imageRatio) {
        return {SaturateToInt32(aw), SaturateToInt32((gh * aw) / gw)};
    }
    return {SaturateToInt32((gw * ah) / gh), SaturateToInt32(ah)};
}

ImagePlacement PlaceImage(Size client, Margins margins, Size bitmap)
{
    const int64_t boxWidth = int64_t{bitmap.width} + 2 * int64_t{margins.x};
    const int64_t boxHeight = int64_t{bitmap.height} + 2 * int64_t{margins.y};
    const int64_t offX = (client.width - boxWidth) / 2;
    const int64_t offY = (client.height - boxHeight) / 2;
    const int64_t left = margins.x + offX;
    const int64_t top = margins.y + offY;
    ImagePlacement placement;
    placement.offX = SaturateToInt32(offX);
    placement.offY = SaturateToInt32(offY);
    placement.left = SaturateToInt32(left);
    placement.top = SaturateToInt32(top);
    placement.right = SaturateToInt32(left + bitmap.width);
    placement.bottom = SaturateToInt32(top + bitmap.height);
    return placement;
}
