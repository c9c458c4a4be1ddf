#include "platform/dialog_units.h"
#include "res/dialog_template.h"
#include "res/resource.h"

#include <gtest/gtest.h>

namespace {

TEST(MulDivRound, RoundsHalfAwayFromZeroAndFailsWithMinusOne)
{
    EXPECT_EQ(MulDivRound(309, 7, 4), 541);  // 540.75
    EXPECT_EQ(MulDivRound(50, 7, 4), 88);    // 87.5
    EXPECT_EQ(MulDivRound(10, 1, 4), 3);     // 2.5
    EXPECT_EQ(MulDivRound(9, 1, 4), 2);      // 2.25
    EXPECT_EQ(MulDivRound(-1, 1, 2), -1);
    EXPECT_EQ(MulDivRound(5, 3, -2), -8);                        // -7.5
    EXPECT_EQ(MulDivRound(1 << 30, 1 << 30, 1 << 30), 1 << 30);  // the product may exceed 32 bits
    EXPECT_EQ(MulDivRound(1, 1, 0), -1);
    EXPECT_EQ(MulDivRound(1 << 30, 8, 2), -1);  // the result may not
}

TEST(DialogUnits, NinePointsAtCommonScreenResolutions)
{
    EXPECT_EQ(PointsToPixels(9, 96), 12);
    EXPECT_EQ(PointsToPixels(9, 120), 15);
    EXPECT_EQ(PointsToPixels(9, 144), 18);
}

TEST(DialogUnits, BaseWidthIsTheRoundedAverageLetterWidth)
{
    EXPECT_EQ(BaseUnitsOf(369, 13).cx, 7);  // 7.10
    EXPECT_EQ(BaseUnitsOf(337, 13).cx, 6);  // 6.48
    EXPECT_EQ(BaseUnitsOf(338, 13).cx, 7);  // 6.5
    EXPECT_EQ(BaseUnitsOf(338, 13).cy, 13);
}

TEST(DialogUnits, PositionAndSizeAreConvertedEachOnItsOwn)
{
    const Rect pixels = DialogUnitsToPixels({5, 15, 50, 10}, {7, 13});
    EXPECT_EQ(pixels.x, 9);        // 8.75
    EXPECT_EQ(pixels.y, 24);       // 24.375
    EXPECT_EQ(pixels.width, 88);   // 87.5
    EXPECT_EQ(pixels.height, 16);  // 16.25
}

TEST(DialogTemplates, AGroupRunsToTheNextControlThatStartsOne)
{
    const DialogTemplate& color = *FindDialogTemplate(IDD_COLOR);
    // The radio buttons' group takes in the check box after them, up to the end.
    const std::span<const DialogControl> radios = GroupFrom(color, 2);
    ASSERT_EQ(radios.size(), color.controls.size() - 2);
    EXPECT_EQ(radios.front().id, IDC_COLOR_BLUE);
    EXPECT_EQ(radios.back().id, IDC_REVERSE);
    // In the region dialog each static text starts a group that holds the edit after it.
    const DialogTemplate& region = *FindDialogTemplate(IDD_CALC_REGION);
    const std::span<const DialogControl> first = GroupFrom(region, 0);
    ASSERT_EQ(first.size(), 2u);
    EXPECT_EQ(first.back().id, IDC_START_X);
}

}  // namespace
