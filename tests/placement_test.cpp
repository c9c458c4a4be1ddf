#include "render/placement.h"

#include <gtest/gtest.h>

#include <limits>

namespace {

constexpr Margins kMargins{20, 20};
constexpr Size kNoImage{0, 0};

void ExpectSize(Size size, int32_t width, int32_t height)
{
    EXPECT_EQ(size.width, width);
    EXPECT_EQ(size.height, height);
}

TEST(FitBitmapSize, KeepsTheImageAspectInsideTheMargins)
{
    ExpectSize(FitBitmapSize({440, 340}, kMargins, kNoImage), 300, 300);  // placeholder: square
    ExpectSize(FitBitmapSize({340, 440}, kMargins, kNoImage), 300, 300);
    ExpectSize(FitBitmapSize({340, 340}, kMargins, {100, 50}), 300, 150);   // narrower area
    ExpectSize(FitBitmapSize({440, 240}, kMargins, {200, 100}), 400, 200);  // equal ratios
    ExpectSize(FitBitmapSize({1000, 700}, kMargins, {660, 660}), 660, 660);
    ExpectSize(FitBitmapSize({1000, 700}, kMargins, {960, 800}), 792, 660);
    ExpectSize(FitBitmapSize({1000, 700}, kMargins, {7, 3}), 960, 411);  // 411.4 truncated
}

TEST(FitBitmapSize, ClientAreasNoLargerThanTheMarginsGiveNoPixels)
{
    ExpectSize(FitBitmapSize({40, 40}, kMargins, {100, 50}), 0, 0);      // 0 / 0
    ExpectSize(FitBitmapSize({140, 40}, kMargins, {100, 50}), 0, 0);     // +infinity: height 0
    ExpectSize(FitBitmapSize({30, 40}, kMargins, {100, 50}), -10, -5);   // −infinity
    ExpectSize(FitBitmapSize({30, 30}, kMargins, {50, 100}), -5, -10);   // both negative
    ExpectSize(FitBitmapSize({30, 140}, kMargins, {100, 50}), -10, -5);  // negative ratio
}

TEST(FitBitmapSize, ShortAreaWithANegativeRatioTakesTheFullWidth)
{
    ExpectSize(FitBitmapSize({100, 30}, kMargins, {100, 50}), 60, 30);
    ExpectSize(FitBitmapSize({100, 30}, kMargins, {50, 100}), 60, 120);  // taller than the area
}

TEST(FitBitmapSize, LargeGridsDoNotOverflow)
{
    // 65,536 × 49,960 exceeds 32 bits; the quotient does not.
    ExpectSize(FitBitmapSize({60000, 50000}, kMargins, {65536, 65536}), 49960, 49960);
    ExpectSize(FitBitmapSize({50000, 60000}, kMargins, {65536, 65536}), 49960, 49960);
    ExpectSize(FitBitmapSize({40040, 60000}, kMargins, {65535, 65536}), 40000, 40000);
    // A negative-ratio height far beyond 32 bits saturates instead of wrapping.
    ExpectSize(FitBitmapSize({100000, 30}, kMargins, {1, 65536}), 99960, std::numeric_limits<int32_t>::max());
}

void ExpectPlacement(const ImagePlacement& p, int32_t offX, int32_t offY, int32_t left, int32_t top, int32_t right,
                     int32_t bottom)
{
    EXPECT_EQ(p.offX, offX);
    EXPECT_EQ(p.offY, offY);
    EXPECT_EQ(p.left, left);
    EXPECT_EQ(p.top, top);
    EXPECT_EQ(p.right, right);
    EXPECT_EQ(p.bottom, bottom);
}

TEST(PlaceImage, CentresTheBitmapWithItsMargins)
{
    ExpectPlacement(PlaceImage({440, 340}, kMargins, {300, 300}), 50, 0, 70, 20, 370, 320);
    ExpectPlacement(PlaceImage({340, 340}, kMargins, {300, 150}), 0, 75, 20, 95, 320, 245);
    ExpectPlacement(PlaceImage({1000, 700}, kMargins, {660, 660}), 150, 0, 170, 20, 830, 680);
    ExpectPlacement(PlaceImage({700, 552}, {30, 10}, {512, 512}), 64, 10, 94, 20, 606, 532);
    EXPECT_EQ(PlaceImage({440, 340}, kMargins, {300, 300}).ScreenRow(0), 319);  // bottom-up
}

TEST(PlaceImage, AnOddLeftoverWidensTheRightAndBottomMargins)
{
    const ImagePlacement wide = PlaceImage({443, 340}, kMargins, {300, 300});
    ExpectPlacement(wide, 51, 0, 71, 20, 371, 320);
    EXPECT_EQ(443 - wide.right, wide.left + 1);
    const ImagePlacement tall = PlaceImage({340, 443}, kMargins, {300, 300});
    ExpectPlacement(tall, 0, 51, 20, 71, 320, 371);
    EXPECT_EQ(443 - tall.bottom, tall.top + 1);
}

TEST(PlaceImage, OversizeBitmapsGetNegativeOffsetsTruncatedTowardZero)
{
    // The short-area fit above: 60 × 120 in a client area 100 × 30.
    ExpectPlacement(PlaceImage({100, 30}, kMargins, {60, 120}), 0, -65, 20, -45, 80, 75);
    // −45 / 2 truncates to −22, not −23.
    ExpectPlacement(PlaceImage({100, 30}, kMargins, {60, 35}), 0, -22, 20, -2, 80, 33);
    ExpectPlacement(PlaceImage({40, 40}, kMargins, {0, 0}), 0, 0, 20, 20, 20, 20);
}

}  // namespace
