#include "render/drag_selection.h"

#include <gtest/gtest.h>

#include <map>
#include <set>

namespace {

using Pixel = std::pair<int32_t, int32_t>;

// The outline drawn literally: a move to (x1, y1) and four lines, each leaving out its end
// point; a pixel is inverted when an odd number of lines pass over it.
std::set<Pixel> LiteralOutline(int32_t x1, int32_t y1, int32_t x2, int32_t y2)
{
    std::map<Pixel, int> passes;
    const Pixel corners[] = {{x1, y1}, {x2, y1}, {x2, y2}, {x1, y2}, {x1, y1}};
    for (int k = 0; k < 4; ++k) {
        auto [x, y] = corners[k];
        const auto [toX, toY] = corners[k + 1];
        while (x != toX || y != toY) {
            ++passes[{x, y}];
            x += (toX > x) - (toX < x);
            y += (toY > y) - (toY < y);
        }
    }
    std::set<Pixel> odd;
    for (const auto& [pixel, count] : passes) {
        if (count % 2 == 1) {
            odd.insert(pixel);
        }
    }
    return odd;
}

std::set<Pixel> PixelsOf(const std::vector<Rect>& rects)
{
    std::set<Pixel> pixels;
    for (const Rect& r : rects) {
        for (int32_t y = r.y; y < r.y + r.height; ++y) {
            for (int32_t x = r.x; x < r.x + r.width; ++x) {
                EXPECT_TRUE(pixels.insert({x, y}).second) << "pixel inverted twice";
            }
        }
    }
    return pixels;
}

TEST(BandOutline, InvertsExactlyThePixelsTheFourLinesPassAnOddNumberOfTimes)
{
    const int32_t points[] = {-3, 0, 1, 2, 5, 9};
    for (int32_t x1 : points) {
        for (int32_t y1 : points) {
            for (int32_t x2 : points) {
                for (int32_t y2 : points) {
                    EXPECT_EQ(PixelsOf(BandOutline(x1, y1, x2, y2)), LiteralOutline(x1, y1, x2, y2))
                        << x1 << "," << y1 << " " << x2 << "," << y2;
                }
            }
        }
    }
}

TEST(BandOutline, DegenerateBands)
{
    EXPECT_TRUE(BandOutline(7, 7, 7, 7).empty());
    EXPECT_EQ(PixelsOf(BandOutline(2, 5, 9, 5)), (std::set<Pixel>{{2, 5}, {9, 5}}));
    EXPECT_EQ(PixelsOf(BandOutline(4, 1, 4, 8)), (std::set<Pixel>{{4, 1}, {4, 8}}));
    EXPECT_EQ(PixelsOf(BandOutline(0, 0, 3, 2)).size(), 10u);
}

const CalcRegion kDefault{0.0, 3.0, 1.0, 4.0};

void ExpectRegion(const std::optional<CalcRegion>& r, double x1, double y1, double x2, double y2)
{
    ASSERT_TRUE(r.has_value());
    EXPECT_EQ(r->xmin, x1);
    EXPECT_EQ(r->ymin, y1);
    EXPECT_EQ(r->xmax, x2);
    EXPECT_EQ(r->ymax, y2);
}

TEST(MapDragToRegion, MapsBothCornersAndOrdersEachAxis)
{
    const Size client{552, 552};
    const Size bitmap{512, 512};
    ExpectRegion(MapDragToRegion({148, 84}, {404, 340}, client, {20, 20}, bitmap, kDefault), 0.25, 3.375, 0.75, 3.875);
    ExpectRegion(MapDragToRegion({404, 340}, {148, 84}, client, {20, 20}, bitmap, kDefault), 0.25, 3.375, 0.75, 3.875);
    // A wider client centres the picture 74 pixels further right.
    ExpectRegion(MapDragToRegion({222, 84}, {478, 340}, {700, 552}, {20, 20}, bitmap, kDefault), 0.25, 3.375, 0.75,
                 3.875);
}

TEST(MapDragToRegion, CornersOutsideThePictureMapByTheSameRule)
{
    const auto r = MapDragToRegion({10, 84}, {404, 340}, {552, 552}, {20, 20}, {512, 512}, kDefault);
    ASSERT_TRUE(r.has_value());
    EXPECT_EQ(r->xmin, -0.01953125);
    const auto outside = MapDragToRegion({148, 84}, {-100, 900}, {552, 552}, {20, 20}, {512, 512}, kDefault);
    ASSERT_TRUE(outside.has_value());
    EXPECT_LT(outside->xmin, 0.0);
    EXPECT_LT(outside->ymin, 3.0);
}

TEST(MapDragToRegion, AnOddLeftoverRowPutsTheBaseOnePixelLower)
{
    // 553 − 512 − 40 = 1: offY is 0, and v = 0 falls on the second row below the picture.
    const auto r = MapDragToRegion({148, 533}, {404, 84}, {552, 553}, {20, 20}, {512, 512}, kDefault);
    ASSERT_TRUE(r.has_value());
    EXPECT_EQ(r->ymin, 3.0);
    EXPECT_EQ(r->ymax, 3.0 + 449 * (1.0 / 512));
}

TEST(MapDragToRegion, DegenerateDragsPassThrough)
{
    const auto flat = MapDragToRegion({148, 200}, {404, 200}, {552, 552}, {20, 20}, {512, 512}, kDefault);
    ASSERT_TRUE(flat.has_value());
    EXPECT_EQ(flat->ymin, flat->ymax);
    const auto upright = MapDragToRegion({300, 84}, {300, 340}, {552, 552}, {20, 20}, {512, 512}, kDefault);
    ASSERT_TRUE(upright.has_value());
    EXPECT_EQ(upright->xmin, upright->xmax);
}

TEST(MapDragToRegion, NoRegionWithoutAPicture)
{
    EXPECT_FALSE(MapDragToRegion({1, 1}, {5, 5}, {40, 40}, {20, 20}, {0, 0}, kDefault).has_value());
    EXPECT_FALSE(MapDragToRegion({1, 1}, {5, 5}, {60, 30}, {20, 20}, {20, -10}, kDefault).has_value());
}

}  // namespace
