#include "render/color_scale.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

constexpr int32_t kBlue = 0;
constexpr int32_t kRed = 1;
constexpr int32_t kGreen = 2;
constexpr int32_t kMonochrome = 3;

TEST(ColorScale, TablesMatchTheCheckValues)
{
    struct Row {
        int32_t scheme;
        int32_t reverse;
        uint32_t colors[7];
    };
    const int32_t levels[7] = {0, 1, 76, 77, 128, 192, 255};
    const Row rows[] = {
        {kBlue, 0, {0x000000, 0x000003, 0x0010FC, 0x0011FF, 0x11BBFF, 0x88DDFF, 0xFDFEFF}},
        {kBlue, 1, {0x000000, 0xFDFEFF, 0x71D6FF, 0x6FD6FF, 0x11BBFF, 0x000ED4, 0x000003}},
        {kRed, 0, {0x000000, 0x030000, 0xFC0000, 0xFF0000, 0xFFFF00, 0xFFFF7F, 0xFFFFFD}},
        {kRed, 1, {0x000000, 0xFFFFFD, 0xFFFF67, 0xFFFF65, 0xFFFF00, 0xD40000, 0x030000}},
        {kGreen, 0, {0x000000, 0x000200, 0x00DA32, 0x00DD33, 0xEEFF33, 0xF6FF99, 0xFEFFFD}},
        {kGreen, 1, {0x000000, 0xFEFFFD, 0xF4FF85, 0xF4FF84, 0xEEFF33, 0x00B82A, 0x000200}},
        {kMonochrome, 0, {0x000000, 0x000000, 0x4B4B4B, 0x4C4C4C, 0x7F7F7F, 0xBFBFBF, 0xFEFEFE}},
        {kMonochrome, 1, {0x000000, 0xFEFEFE, 0xB3B3B3, 0xB2B2B2, 0x7F7F7F, 0x3F3F3F, 0x000000}},
    };
    for (const Row& row : rows) {
        const ColorTable table = MakeColorTable(row.scheme, row.reverse);
        for (int i = 0; i < 7; ++i) {
            EXPECT_EQ(table[levels[i]], row.colors[i])
                << std::hex << "scheme " << row.scheme << " reverse " << row.reverse
                << " level " << std::dec << levels[i];
        }
    }
}

TEST(ColorScale, NoTableHoldsPureWhite)
{
    for (int32_t scheme = 0; scheme < 4; ++scheme) {
        for (int32_t reverse = 0; reverse < 2; ++reverse) {
            for (uint32_t color : MakeColorTable(scheme, reverse)) {
                EXPECT_NE(color, 0xFFFFFFu) << "scheme " << scheme << " reverse " << reverse;
            }
        }
    }
}

TEST(ColorScale, InnerStopsBelongToTheSegmentThatStartsThere)
{
    EXPECT_EQ(ScaleColor(kBlue, 0.3), 0x0011FFu);
    EXPECT_EQ(ScaleColor(kRed, 0.3), 0xFF0000u);
    EXPECT_EQ(ScaleColor(kGreen, 0.3), 0x00DD33u);
    EXPECT_EQ(ScaleColor(kBlue, 0.5), 0x11BBFFu);
    EXPECT_EQ(ScaleColor(kRed, 0.5), 0xFFFF00u);
    EXPECT_EQ(ScaleColor(kGreen, 0.5), 0xEEFF33u);
    EXPECT_EQ(ScaleColor(kMonochrome, 0.5), 0x7F7F7Fu);
    // Just below the stop the red channel is a hair under 255 and truncates, not rounds.
    EXPECT_EQ(ScaleColor(kRed, std::nextafter(0.3, 0.0)), 0xFE0000u);
}

TEST(ColorScale, PositionsOutsideTheScaleAreBlack)
{
    const double outside[] = {1.0, 1.5, -1e-300, -0.25, std::numeric_limits<double>::infinity(),
                              -std::numeric_limits<double>::infinity(), std::nan("")};
    for (int32_t scheme = 0; scheme < 4; ++scheme) {
        for (double position : outside) {
            EXPECT_EQ(ScaleColor(scheme, position), 0x000000u)
                << "scheme " << scheme << " position " << position;
        }
        EXPECT_EQ(ScaleColor(scheme, 0.0), 0x000000u);
        EXPECT_NE(ScaleColor(scheme, std::nextafter(1.0, 0.0)), 0x000000u);
    }
}

TEST(ColorScale, UnknownSchemesReadAsMonochrome)
{
    const ColorTable monochrome = MakeColorTable(kMonochrome, 0);
    for (int32_t scheme : {4, -1, std::numeric_limits<int32_t>::max(),
                           std::numeric_limits<int32_t>::min()}) {
        EXPECT_EQ(MakeColorTable(scheme, 0), monochrome) << "scheme " << scheme;
        EXPECT_EQ(ScaleColor(scheme, 0.3), ScaleColor(kMonochrome, 0.3));
    }
}

}  // namespace
