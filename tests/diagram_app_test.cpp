#include "app/diagram_app.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

CalcRegion RegionOf(const CDiagramApp& app)
{
    CalcRegion r;
    app.GetRegion(r.xmin, r.ymin, r.xmax, r.ymax);
    return r;
}

void ExpectRegion(const CDiagramApp& app, double xmin, double ymin, double xmax, double ymax)
{
    const CalcRegion r = RegionOf(app);
    EXPECT_EQ(r.xmin, xmin);
    EXPECT_EQ(r.ymin, ymin);
    EXPECT_EQ(r.xmax, xmax);
    EXPECT_EQ(r.ymax, ymax);
}

TEST(CDiagramApp, StartsFromTheDefaults)
{
    CDiagramApp app;
    ExpectRegion(app, 0.0, 3.0, 1.0, 4.0);
    int scheme = -1, reverse = -1, width = -1, height = -1;
    app.GetColorSettings(scheme, reverse);
    app.GetGridSize(width, height);
    EXPECT_EQ(scheme, 0);
    EXPECT_EQ(reverse, 0);
    EXPECT_EQ(width, 0);
    EXPECT_EQ(height, 0);
    EXPECT_EQ(app.m_nDisplayCount, 0);
    EXPECT_EQ(app.RefreshTimerId(), 0u);
    EXPECT_EQ(app.WorkerCount(), 0);
    EXPECT_GE(app.m_nProcessors, 1);
}

TEST(CDiagramApp, SetRegionOrdersEachAxisOnItsOwn)
{
    CDiagramApp app;
    app.SetRegion(1.0, 4.0, 0.0, 3.0);
    ExpectRegion(app, 0.0, 3.0, 1.0, 4.0);
    app.SetRegion(0.0, 4.0, 1.0, 3.0);
    ExpectRegion(app, 0.0, 3.0, 1.0, 4.0);
    app.SetRegion(1.0, 3.0, 0.0, 4.0);
    ExpectRegion(app, 0.0, 3.0, 1.0, 4.0);
    app.SetRegion(2.0, 3.0, 2.0, 4.0);
    ExpectRegion(app, 2.0, 3.0, 2.0, 4.0);
}

TEST(CDiagramApp, SetRegionKeepsTheGivenOrderOfUnorderedValues)
{
    CDiagramApp app;
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    app.SetRegion(nan, 4.0, 0.5, inf);
    const CalcRegion r = RegionOf(app);
    EXPECT_TRUE(std::isnan(r.xmin));
    EXPECT_EQ(r.xmax, 0.5);
    EXPECT_EQ(r.ymin, 4.0);
    EXPECT_EQ(r.ymax, inf);
}

TEST(CDiagramApp, SetRegionTouchesNothingElse)
{
    CDiagramApp app;
    app.m_nDisplayCount = 5;
    app.SetRegion(0.25, 3.5, 0.75, 3.75);
    EXPECT_EQ(app.m_nDisplayCount, 5);
    EXPECT_EQ(app.CalculationsStarted(), 0);
    EXPECT_EQ(app.WorkerCount(), 0);
}

TEST(CDiagramApp, StopCalcWithoutWorkersDoesNothing)
{
    CDiagramApp app;
    app.StopCalc();
    app.StopCalc();
    EXPECT_EQ(app.WorkerCount(), 0);
}

}  // namespace
