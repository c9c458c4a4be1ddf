#include "render/region_label.h"
#include "decimal_comma_locale.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <limits>

namespace {

TEST(RegionLabel, DefaultRegionShowsThreeDecimals)
{
    for (int size : {101, 552, 999}) {
        EXPECT_EQ(FormatRegionLabel({0.0, 3.0, 1.0, 4.0}, size, size), "( 0.000 , 3.000 )---( 1.000 , 4.000 )");
    }
    EXPECT_EQ(LabelPrecision(1.0, 100), 3);
    EXPECT_EQ(LabelPrecision(1.0, 1000), 4);
}

TEST(RegionLabel, PrecisionFollowsTheExtentPerClientPixel)
{
    EXPECT_EQ(LabelPrecision(2000.0, 600), 0);    // 1 − 0.52…
    EXPECT_EQ(LabelPrecision(60000.0, 600), -1);  // 100 units a pixel
    EXPECT_EQ(LabelPrecision(0.0001, 600), 7);
    EXPECT_EQ(LabelPrecision(0.0, 600), 0);  // a zero extent is not finite
    EXPECT_EQ(LabelPrecision(1.0, 0), 0);    // nor a zero client extent
    EXPECT_EQ(FormatRegionLabel({0.0, 3.0, 2000.0, 4.0}, 600, 600), "( 0 , 3.000 )---( 2000 , 4.000 )");
    EXPECT_EQ(FormatRegionLabel({0.0, 3.0, 60000.0, 4.0}, 600, 600), "( 0.000000 , 3.000 )---( 60000.000000 , 4.000 )");
}

TEST(RegionLabel, MatchesPrintfForEveryPrecisionTheRuleCanGive)
{
    // The C library's "%.*f" in the C locale is the reference; the label must hold any length.
    const double values[] = {0.0, -0.5, 1.0 / 3.0, 3.75, 1e-300, 1.7976931348623157e308, -2.5e-7};
    char expected[2048];
    for (double value : values) {
        for (int precision : {-5, 0, 1, 7, 17, 330}) {
            std::snprintf(expected, sizeof expected, "%.*f", precision, value);
            EXPECT_EQ(FormatFixed(value, precision), expected) << value << " " << precision;
        }
    }
    EXPECT_EQ(FormatFixed(1.7976931348623157e308, 0).size(), 309u);
    EXPECT_EQ(LabelPrecision(1e-300, 600), 303);
}

TEST(RegionLabel, DigitsDoNotFollowTheUsersLocale)
{
    const DecimalCommaLocale german;
    if (!german.IsSet()) {
        GTEST_SKIP() << "this system has no locale with a decimal comma";
    }
    EXPECT_EQ(FormatRegionLabel({0.25, 3.5, 0.75, 3.875}, 500, 500), "( 0.2500 , 3.5000 )---( 0.7500 , 3.8750 )");
}

}  // namespace
