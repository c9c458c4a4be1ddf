#include "render/color_scale.h"
#include "res/dialog_template.h"
#include "res/resource.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

using enum ColorScheme;

TEST(ColorScale, TablesMatchTheCheckValues)
{
    struct Row {
        ColorScheme scheme;
        bool reverse;
        uint32_t colors[7];
    };
    const int32_t levels[7] = {0, 1, 76, 77, 128, 192, 255};
    const Row rows[] = {
        {Blue, false, {0x000000, 0x000003, 0x0010FC, 0x0011FF, 0x11BBFF, 0x88DDFF, 0xFDFEFF}},
        {Blue, true, {0x000000, 0xFDFEFF, 0x71D6FF, 0x6FD6FF, 0x11BBFF, 0x000ED4, 0x000003}},
        {Red, false, {0x000000, 0x030000, 0xFC0000, 0xFF0000, 0xFFFF00, 0xFFFF7F, 0xFFFFFD}},
        {Red, true, {0x000000, 0xFFFFFD, 0xFFFF67, 0xFFFF65, 0xFFFF00, 0xD40000, 0x030000}},
        {Green, false, {0x000000, 0x000200, 0x00DA32, 0x00DD33, 0xEEFF33, 0xF6FF99, 0xFEFFFD}},
        {Green, true, {0x000000, 0xFEFFFD, 0xF4FF85, 0xF4FF84, 0xEEFF33, 0x00B82A, 0x000200}},
        {Monochrome, false, {0x000000, 0x000000, 0x4B4B4B, 0x4C4C4C, 0x7F7F7F, 0xBFBFBF, 0xFEFEFE}},
        {Monochrome, true, {0x000000, 0xFEFEFE, 0xB3B3B3, 0xB2B2B2, 0x7F7F7F, 0x3F3F3F, 0x000000}},
    };
    for (const Row& row : rows) {
        const ColorTable table = MakeColorTable(row.scheme, row.reverse);
        for (int i = 0; i < 7; ++i) {
            EXPECT_EQ(table[levels[i]], row.colors[i])
                << std::hex << "scheme " << static_cast<int32_t>(row.scheme) << " reverse " << row.reverse << " level "
                << std::dec << levels[i];
        }
    }
}

TEST(ColorScale, NoTableHoldsPureWhite)
{
    for (const ColorSchemeRow& row : kColorSchemes) {
        for (bool reverse : {false, true}) {
            for (uint32_t color : MakeColorTable(row.scheme, reverse)) {
                EXPECT_NE(color, 0xFFFFFFu) << row.name << " reverse " << reverse;
            }
        }
    }
}

TEST(ColorScale, InnerStopsBelongToTheSegmentThatStartsThere)
{
    EXPECT_EQ(ScaleColor(Blue, 0.3), 0x0011FFu);
    EXPECT_EQ(ScaleColor(Red, 0.3), 0xFF0000u);
    EXPECT_EQ(ScaleColor(Green, 0.3), 0x00DD33u);
    EXPECT_EQ(ScaleColor(Blue, 0.5), 0x11BBFFu);
    EXPECT_EQ(ScaleColor(Red, 0.5), 0xFFFF00u);
    EXPECT_EQ(ScaleColor(Green, 0.5), 0xEEFF33u);
    EXPECT_EQ(ScaleColor(Monochrome, 0.5), 0x7F7F7Fu);
    // Just below the stop the red channel is a hair under 255 and truncates, not rounds.
    EXPECT_EQ(ScaleColor(Red, std::nextafter(0.3, 0.0)), 0xFE0000u);
}

TEST(ColorScale, PositionsOutsideTheScaleAreBlack)
{
    const double outside[] = {1.0,
                              1.5,
                              -1e-300,
                              -0.25,
                              std::numeric_limits<double>::infinity(),
                              -std::numeric_limits<double>::infinity(),
                              std::nan("")};
    for (const ColorSchemeRow& row : kColorSchemes) {
        for (double position : outside) {
            EXPECT_EQ(ScaleColor(row.scheme, position), 0x000000u) << row.name << " position " << position;
        }
        EXPECT_EQ(ScaleColor(row.scheme, 0.0), 0x000000u);
        EXPECT_NE(ScaleColor(row.scheme, std::nextafter(1.0, 0.0)), 0x000000u);
    }
}

TEST(ColorScale, UnknownSchemesReadAsMonochrome)
{
    const ColorTable monochrome = MakeColorTable(Monochrome, false);
    for (int32_t value : {static_cast<int32_t>(std::size(kColorSchemes)), -1, std::numeric_limits<int32_t>::max(),
                          std::numeric_limits<int32_t>::min()}) {
        const auto scheme = static_cast<ColorScheme>(value);
        EXPECT_EQ(MakeColorTable(scheme, false), monochrome) << "scheme " << value;
        EXPECT_EQ(ScaleColor(scheme, 0.3), ScaleColor(Monochrome, 0.3));
    }
}

TEST(ColorSchemes, AreFoundByTheirExactName)
{
    for (const ColorSchemeRow& row : kColorSchemes) {
        EXPECT_EQ(FindColorScheme(row.name), row.scheme) << row.name;
    }
    for (std::string_view name : {"Blue", "monochrome", ""}) {
        EXPECT_EQ(FindColorScheme(name), std::nullopt) << name;
    }
}

// The colour dialog hands the position of its checked radio button over as the scheme.
TEST(ColorSchemes, TheColourDialogsRadioButtonsFollowTheTable)
{
    const std::vector<const DialogControl*> radios = RadioButtonsFrom(*FindDialogTemplate(IDD_COLOR), IDC_COLOR_BLUE);
    ASSERT_EQ(radios.size(), std::size(kColorSchemes));
    for (size_t i = 0; i < radios.size(); ++i) {
        EXPECT_EQ(radios[i]->text, kColorSchemes[i].label) << "radio button " << i;
    }
}

}  // namespace
