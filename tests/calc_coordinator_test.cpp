#include "app/diagram_app.h"
#include "framework/timer.h"
#include "hang_guard.h"
#include "literal_orbit_density.h"

#include <QCoreApplication>
#include <QTest>

#include <gtest/gtest.h>

#include <random>
#include <vector>

namespace {

// The main window as the coordinator sees it: a client size and a count of frame repaints.
class TestWindow : public CMainWindow {
public:
    TestWindow(int width, int height) : m_width(width), m_height(height) {}
    void GetViewClientSize(int& width, int& height) const override
    {
        width = m_width;
        height = m_height;
    }
    void InvalidateFrame() override { ++repaints; }
    void RefreshFrame() override { ++repaints; }
    void CloseFrame() override {}

    int m_width;
    int m_height;
    int repaints = 0;
};

// A fresh application object with a main window of its own.
class CalcCoordinator : public testing::Test {
protected:
    CalcCoordinator() : window(200, 150) { app.m_pMainWnd = &window; }

    bool WaitForTimerToStop()
    {
        return QTest::qWaitFor([this] { return app.RefreshTimerId() == 0; }, kHangGuardMs);
    }

    Size GridSize() const
    {
        Size grid;
        app.GetGridSize(grid.width, grid.height);
        return grid;
    }

    // The levels each stripe must hold, computed literally from the workers' own stripes.
    std::vector<int32_t> LiteralGrid() const
    {
        std::vector<int32_t> grid(static_cast<size_t>(GridSize().width) * GridSize().height, 0);
        const std::vector<StripeSpec> stripes = app.WorkerStripes();
        for (const StripeSpec& s : stripes) {
            const int64_t offset = s.cells - stripes.front().cells;
            literal::ComputeStripe(grid.data() + offset, s.width, s.rows, s.xMin, s.yStart, s.xRange, s.yRange);
        }
        return grid;
    }

    std::vector<int32_t> Grid() const
    {
        std::vector<int32_t> levels(static_cast<size_t>(GridSize().width) * GridSize().height);
        for (size_t i = 0; i < levels.size(); ++i) {
            levels[i] = app.GetLevel(static_cast<int64_t>(i));
        }
        return levels;
    }

    TestWindow window;
    CDiagramApp app;
};

TEST_F(CalcCoordinator, StartFitsTheGridAndRunsOneWorkerPerStripe)
{
    app.m_nProcessors = 4;
    app.OnCalcStart();
    EXPECT_EQ(GridSize(), (Size{110, 110}));  // 200 × 150 less the margins: 160 × 110
    const std::vector<StripeSpec> stripes = app.WorkerStripes();
    ASSERT_EQ(stripes.size(), 4u);
    for (int32_t i = 0; i < 4; ++i) {
        const StripeSpec expected = StripeFor(stripes.front().cells, {110, 110}, {0.0, 3.0, 1.0, 4.0},
                                              StripeBounds(i, 4, 110));
        const StripeSpec& stripe = stripes[i];
        EXPECT_EQ(stripe.cells, expected.cells);
        EXPECT_EQ(stripe.rows, expected.rows);
        EXPECT_EQ(stripe.yStart, expected.yStart);
        EXPECT_EQ(stripe.yRange, expected.yRange);
    }
    EXPECT_NE(app.RefreshTimerId(), 0u);
    EXPECT_EQ(app.m_nDisplayCount, 0);  // the start itself repaints nothing
    EXPECT_EQ(window.repaints, 0);

    ASSERT_TRUE(WaitForTimerToStop());
    // Every tick, the last included, counted a change and repainted the frame.
    EXPECT_GE(app.m_nDisplayCount, 1);
    EXPECT_EQ(window.repaints, app.m_nDisplayCount);
    EXPECT_EQ(Grid(), LiteralGrid());
    // Finished workers stay until the next start.
    EXPECT_EQ(app.WorkerCount(), 4);
    EXPECT_EQ(app.RunningWorkerCount(), 0);
}

TEST_F(CalcCoordinator, StartWhileRunningKeepsTheTimerAndStartsOver)
{
    app.AllowWorkerRows(0);  // the workers run until they are stopped
    app.OnCalcStart();
    const uint32_t timer = app.RefreshTimerId();
    const int32_t started = app.CalculationsStarted();
    ASSERT_NE(timer, 0u);

    app.OnCalcStart();
    EXPECT_EQ(app.RefreshTimerId(), timer);  // neither restarted nor doubled
    EXPECT_EQ(app.CalculationsStarted(), started + 1);
    EXPECT_EQ(app.WorkerCount(), app.m_nProcessors);
    EXPECT_EQ(Grid(), std::vector<int32_t>(Grid().size(), 0));

    // The next tick counts the new, running workers: the timer goes on.
    ASSERT_TRUE(QTest::qWaitFor([this] { return app.m_nDisplayCount >= 1; }, kHangGuardMs));
    EXPECT_EQ(app.RefreshTimerId(), timer);

    app.StopCalc();
    EXPECT_EQ(app.WorkerCount(), 0);
    EXPECT_TRUE(WaitForTimerToStop());  // a tick with no worker stops the timer
}

TEST_F(CalcCoordinator, StartAfterFinishingCreatesANewTimer)
{
    window.m_width = 80;
    window.m_height = 80;
    app.OnCalcStart();
    ASSERT_TRUE(WaitForTimerToStop());
    app.OnCalcStart();
    EXPECT_NE(app.RefreshTimerId(), 0u);
    ASSERT_TRUE(WaitForTimerToStop());
    EXPECT_EQ(Grid(), LiteralGrid());
}

TEST_F(CalcCoordinator, ZeroExtentsComputeNothingAndTheFirstTickStops)
{
    const CalcRegion regions[] = {{0.0, 3.5, 1.0, 3.5}, {0.5, 3.0, 0.5, 4.0}, {0.5, 3.5, 0.5, 3.5}};
    const Size sizes[] = {{160, 0}, {0, 110}, {0, 110}};
    for (int k = 0; k < 3; ++k) {
        app.SetRegion(regions[k].xmin, regions[k].ymin, regions[k].xmax, regions[k].ymax);
        const int32_t before = app.m_nDisplayCount;
        app.OnCalcStart();
        EXPECT_EQ(GridSize(), sizes[k]);
        ASSERT_TRUE(WaitForTimerToStop());
        EXPECT_EQ(app.m_nDisplayCount, before + 1);
    }
}

TEST_F(CalcCoordinator, NoRoomForAPictureChangesNothing)
{
    app.AllowWorkerRows(0);
    app.OnCalcStart();
    const int32_t started = app.CalculationsStarted();
    const uint32_t timer = app.RefreshTimerId();
    const Size grid = GridSize();
    for (const auto& [width, height] : {std::pair{40, 300}, std::pair{300, 40}, std::pair{0, 0}}) {
        window.m_width = width;
        window.m_height = height;
        app.OnCalcStart();
        EXPECT_EQ(app.CalculationsStarted(), started);
        EXPECT_EQ(app.RefreshTimerId(), timer);
        EXPECT_EQ(GridSize(), grid);
        EXPECT_GE(app.RunningWorkerCount(), 1);
    }
}

TEST_F(CalcCoordinator, WithoutATimerTheCalculationStillRuns)
{
    // A tick reached with no timer counts and repaints but kills nothing.
    app.OnRefreshTimer();
    EXPECT_EQ(app.m_nDisplayCount, 1);
    EXPECT_EQ(window.repaints, 1);
    EXPECT_EQ(app.RefreshTimerId(), 0u);
}

TEST(CalcCoordinatorLifetime, DestroyingTheApplicationEndsTheWorkersFirstAndKillsItsTimer)
{
    TestWindow window(200, 150);
    auto app = std::make_unique<CDiagramApp>();
    app->m_pMainWnd = &window;
    app->SetRegion(0.5, 3.7, 0.5001, 3.7001);  // rows far longer than the test
    app->OnCalcStart();
    const uint32_t timer = app->RefreshTimerId();
    app.reset();                     // workers still writing into the grid: they must end before it is freed
    EXPECT_FALSE(KillTimer(timer));  // it would tick into the destroyed application
}

TEST_F(CalcCoordinator, StartsAndStopsAtRandomMomentsWithoutDeadlockOrLeak)
{
    std::mt19937 random(20261207);
    for (int round = 0; round < 120; ++round) {
        window.m_width = std::uniform_int_distribution<int>(20, 300)(random);
        window.m_height = std::uniform_int_distribution<int>(20, 300)(random);
        app.m_nProcessors = std::uniform_int_distribution<int>(1, 6)(random);
        if (random() % 3 == 0) {
            app.SetRegion(0.5, 3.7, 0.5001, 3.7001);  // rows that a stop interrupts
        } else {
            app.SetRegion(0.0, 3.0, 1.0, 4.0);
        }
        if (random() % 4 == 0) {
            app.StopCalc();
        } else {
            app.OnCalcStart();
        }
        QTest::qWait(std::uniform_int_distribution<int>(0, 15)(random));
    }
    app.StopCalc();
    EXPECT_EQ(app.WorkerCount(), 0);
    EXPECT_TRUE(WaitForTimerToStop());
}

}  // namespace
