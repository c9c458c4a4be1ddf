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
        EXPECT_NE(row.stops.empty(), row.colors == nullptr) << row.name << ": a scale or a colour map, never both";
        for (double position : outside) {
            EXPECT_EQ(ScaleColor(row.scheme, position), 0x000000u) << row.name << " position " << position;
        }
        EXPECT_NE(ScaleColor(row.scheme, std::nextafter(1.0, 0.0)), 0x000000u);
        if (row.colors == nullptr) {
            EXPECT_EQ(ScaleColor(row.scheme, 0.0), 0x000000u) << row.name << ": a scale starts black";
        }
    }
}

// Each channel v of the published floats as a byte: v × 255 rounded half up.
uint32_t PublishedColor(double red, double green, double blue)
{
    const auto byte = [](double v) { return static_cast<uint32_t>(std::floor(v * 255.0 + 0.5)); };
    return byte(red) << 16 | byte(green) << 8 | byte(blue);
}

TEST(ColorMaps, HoldThePublishedColoursFromTheLowEndUp)
{
    struct Row {
        ColorScheme scheme;
        uint32_t first, middle, last;  // entries 0, 128 and 255
    };
    const Row rows[] = {
        {Viridis, PublishedColor(0.267004, 0.004874, 0.329415), PublishedColor(0.127568, 0.566949, 0.550556),
         PublishedColor(0.993248, 0.906157, 0.143936)},
        {Magma, PublishedColor(0.001462, 0.000466, 0.013866), PublishedColor(0.716387, 0.214982, 0.475290),
         PublishedColor(0.987053, 0.991438, 0.749504)},
        {Inferno, PublishedColor(0.001462, 0.000466, 0.013866), PublishedColor(0.735683, 0.215906, 0.330245),
         PublishedColor(0.988362, 0.998364, 0.644924)},
        {Cividis, PublishedColor(0.000000, 0.135112, 0.304751), PublishedColor(0.488697, 0.485318, 0.471008),
         PublishedColor(0.995737, 0.909344, 0.217772)},
    };
    for (const Row& row : rows) {
        const ColorTable table = MakeColorTable(row.scheme, false);
        EXPECT_EQ(table[0], row.first) << SchemeRow(row.scheme).name;
        EXPECT_EQ(table[128], row.middle) << SchemeRow(row.scheme).name;
        EXPECT_EQ(table[255], row.last) << SchemeRow(row.scheme).name;
    }
}

TEST(ColorMaps, ReversedRunFromTheirLastColourDown)
{
    for (ColorScheme scheme : {Viridis, Magma, Inferno, Cividis}) {
        const ColorTable table = MakeColorTable(scheme, false);
        const ColorTable reversed = MakeColorTable(scheme, true);
        for (int32_t level = 0; level < 256; ++level) {
            EXPECT_EQ(reversed[level], table[255 - level]) << SchemeRow(scheme).name << " level " << level;
        }
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
    EXPECT_EQ(FindColorScheme("magma"), Magma);
    for (std::string_view name : {"Blue", "monochrome", "Viridis", ""}) {
        EXPECT_EQ(FindColorScheme(name), std::nullopt) << name;
    }
}

// The colour dialog hands the position of its checked radio button over as the scheme.
TEST(ColorSchemes, TheColourDialogsRadioButtonsFollowTheTable)
{
    const std::vector<const DialogControl*> radios = RadioButtonsFrom(*FindDialogTemplate(IDD_COLOR), IDC_COLOR_BLUE);
    ASSERT_EQ(radios.size(), 4u);
    for (size_t i = 0; i < std::size(kColorSchemes); ++i) {
        EXPECT_EQ(i < radios.size() ? radios[i]->text : "", kColorSchemes[i].label) << "row " << i;
    }
}

TEST(ColorSchemes, TheWindowShowsOnlyTheSchemesOfItsRadioButtons)
{
    for (ColorScheme scheme : {Blue, Red, Green, Monochrome}) {
        EXPECT_EQ(WindowColorScheme(static_cast<int32_t>(scheme)), scheme);
    }
    for (int32_t stored : {static_cast<int32_t>(Viridis), static_cast<int32_t>(Cividis),
                           static_cast<int32_t>(std::size(kColorSchemes)), -1, std::numeric_limits<int32_t>::min()}) {
        EXPECT_EQ(WindowColorScheme(stored), Monochrome) << "stored " << stored;
    }
}

}  // namespace
