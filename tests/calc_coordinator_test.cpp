#include "app/diagram_app.h"
#include "literal_orbit_density.h"
#include "platform/timer.h"

#include <QCoreApplication>
#include <QTest>

#include <gtest/gtest.h>

#include <chrono>
#include <random>
#include <vector>

namespace {

using namespace std::chrono_literals;

// The main window as the coordinator sees it: a client size and a count of frame repaints.
class TestWindow : public CMainWindow {
public:
    TestWindow(int width, int height) : m_width(width), m_height(height) {}
    void GetViewClientSize(int& width, int& height) const override
    {
        width = m_width;
        height = m_height;
    }
    void InvalidateFrame() override { ++invalidations; }
    void CloseFrame() override {}

    int m_width;
    int m_height;
    int invalidations = 0;
};

// A fresh application object that the refresh tick reaches, with its timer killed at the end.
class CalcCoordinator : public testing::Test {
protected:
    CalcCoordinator() : window(200, 150)
    {
        app.m_pMainWnd = &window;
        SetCurrentApp(&app);
    }
    ~CalcCoordinator() override
    {
        app.StopCalc();
        if (app.m_nTimerId != 0) {
            KillTimer(app.m_nTimerId);
        }
        SetCurrentApp(nullptr);
    }

    bool WaitForTimerToStop(int timeoutMs = 60000)
    {
        return QTest::qWaitFor([this] { return app.m_nTimerId == 0; }, timeoutMs);
    }

    // The levels each stripe must hold, computed literally from the workers' own stripes.
    std::vector<int32_t> LiteralGrid() const
    {
        std::vector<int32_t> grid(static_cast<size_t>(app.m_nGridWidth) * app.m_nGridHeight, 0);
        for (const auto& worker : app.m_workers) {
            const StripeSpec& s = worker->Stripe();
            const int64_t offset = s.cells - app.m_pLevels;
            literal::ComputeStripe(grid.data() + offset, s.width, s.rows, s.xMin, s.yStart,
                                   s.xRange, s.yRange);
        }
        return grid;
    }

    std::vector<int32_t> Grid() const
    {
        return {app.m_pLevels, app.m_pLevels + app.m_nGridWidth * app.m_nGridHeight};
    }

    void SetDeepZoom() { app.SetRegion(0.5, 3.7, 0.5001, 3.7001); }

    TestWindow window;
    CDiagramApp app;
};

TEST_F(CalcCoordinator, StartFitsTheGridAndRunsOneWorkerPerStripe)
{
    app.m_nProcessors = 4;
    app.OnCalcStart();
    EXPECT_EQ(app.m_nGridWidth, 110);  // 200 × 150 less the margins: 160 × 110
    EXPECT_EQ(app.m_nGridHeight, 110);
    ASSERT_EQ(app.m_workers.size(), 4u);
    for (int32_t i = 0; i < 4; ++i) {
        const StripeSpec expected = StripeFor(app.m_pLevels, {110, 110}, {0.0, 3.0, 1.0, 4.0},
                                              StripeBounds(i, 4, 110));
        const StripeSpec& stripe = app.m_workers[i]->Stripe();
        EXPECT_EQ(stripe.cells, expected.cells);
        EXPECT_EQ(stripe.rows, expected.rows);
        EXPECT_EQ(stripe.yStart, expected.yStart);
        EXPECT_EQ(stripe.yRange, expected.yRange);
    }
    EXPECT_NE(app.m_nTimerId, 0u);
    EXPECT_EQ(app.m_nDisplayCount, 0);  // the start itself repaints nothing
    EXPECT_EQ(window.invalidations, 0);

    ASSERT_TRUE(WaitForTimerToStop());
    // Every tick, the last included, counted a change and repainted the frame.
    EXPECT_GE(app.m_nDisplayCount, 1);
    EXPECT_EQ(window.invalidations, app.m_nDisplayCount);
    EXPECT_EQ(Grid(), LiteralGrid());
    // Finished workers stay until the next start.
    EXPECT_EQ(app.m_workers.size(), 4u);
    EXPECT_EQ(CountRunning(app.m_workers), 0);
}

TEST_F(CalcCoordinator, StartWhileRunningKeepsTheTimerAndStartsOver)
{
    SetDeepZoom();  // rows take about a second each
    app.OnCalcStart();
    const uint32_t timer = app.m_nTimerId;
    const CWinThreadCalc* firstWorker = app.m_workers[0].get();
    ASSERT_NE(timer, 0u);

    app.OnCalcStart();
    EXPECT_EQ(app.m_nTimerId, timer);  // neither restarted nor doubled
    EXPECT_NE(app.m_workers[0].get(), firstWorker);
    EXPECT_EQ(static_cast<int>(app.m_workers.size()), app.m_nProcessors);
    EXPECT_EQ(Grid(), std::vector<int32_t>(Grid().size(), 0));

    // The next tick counts the new, running workers: the timer goes on.
    ASSERT_TRUE(QTest::qWaitFor([this] { return app.m_nDisplayCount >= 1; }, 5000));
    EXPECT_EQ(app.m_nTimerId, timer);

    const auto stopping = std::chrono::steady_clock::now();
    app.StopCalc();
    EXPECT_LT(std::chrono::steady_clock::now() - stopping, 10s);
    EXPECT_TRUE(app.m_workers.empty());
    EXPECT_TRUE(WaitForTimerToStop(5000));  // a tick with no worker stops the timer
}

TEST_F(CalcCoordinator, StartAfterFinishingCreatesANewTimer)
{
    window.m_width = 80;
    window.m_height = 80;
    app.OnCalcStart();
    ASSERT_TRUE(WaitForTimerToStop());
    app.OnCalcStart();
    EXPECT_NE(app.m_nTimerId, 0u);
    ASSERT_TRUE(WaitForTimerToStop());
    EXPECT_EQ(Grid(), LiteralGrid());
}

TEST_F(CalcCoordinator, ZeroExtentsComputeNothingAndTheFirstTickStops)
{
    const CalcRegion regions[] = {{0.0, 3.5, 1.0, 3.5}, {0.5, 3.0, 0.5, 4.0}, {0.5, 3.5, 0.5, 3.5}};
    const GridSize sizes[] = {{160, 0}, {0, 110}, {0, 110}};
    for (int k = 0; k < 3; ++k) {
        app.SetRegion(regions[k].xmin, regions[k].ymin, regions[k].xmax, regions[k].ymax);
        const int32_t before = app.m_nDisplayCount;
        app.OnCalcStart();
        EXPECT_EQ(app.m_nGridWidth, sizes[k].width);
        EXPECT_EQ(app.m_nGridHeight, sizes[k].height);
        ASSERT_TRUE(WaitForTimerToStop());
        EXPECT_EQ(app.m_nDisplayCount, before + 1);
    }
}

TEST_F(CalcCoordinator, NoRoomForAPictureChangesNothing)
{
    SetDeepZoom();
    app.OnCalcStart();
    const CWinThreadCalc* worker = app.m_workers[0].get();
    const int32_t* grid = app.m_pLevels;
    const uint32_t timer = app.m_nTimerId;
    const int32_t gridWidth = app.m_nGridWidth;
    for (const auto& [width, height] : {std::pair{40, 300}, std::pair{300, 40}, std::pair{0, 0}}) {
        window.m_width = width;
        window.m_height = height;
        app.OnCalcStart();
        EXPECT_EQ(app.m_workers[0].get(), worker);
        EXPECT_EQ(app.m_pLevels, grid);
        EXPECT_EQ(app.m_nTimerId, timer);
        EXPECT_EQ(app.m_nGridWidth, gridWidth);
    }
}

TEST_F(CalcCoordinator, WithoutATimerTheCalculationStillRuns)
{
    // A tick reached with no timer counts and repaints but kills nothing.
    app.OnRefreshTimer();
    EXPECT_EQ(app.m_nDisplayCount, 1);
    EXPECT_EQ(window.invalidations, 1);
    EXPECT_EQ(app.m_nTimerId, 0u);
}

TEST(CalcCoordinatorLifetime, DestroyingTheApplicationWhileComputingEndsTheWorkersFirst)
{
    TestWindow window(200, 150);
    auto app = std::make_unique<CDiagramApp>();
    app->m_pMainWnd = &window;
    app->SetRegion(0.5, 3.7, 0.5001, 3.7001);
    app->OnCalcStart();
    const uint32_t timer = app->m_nTimerId;
    QTest::qWait(50);
    ASSERT_GE(CountRunning(app->m_workers), 1);
    app.reset();  // workers still writing into the grid: they must end before it is freed
    KillTimer(timer);
}

TEST_F(CalcCoordinator, StartsAndStopsAtRandomMomentsWithoutDeadlockOrLeak)
{
    std::mt19937 random(20261207);
    for (int round = 0; round < 120; ++round) {
        window.m_width = std::uniform_int_distribution<int>(20, 300)(random);
        window.m_height = std::uniform_int_distribution<int>(20, 300)(random);
        app.m_nProcessors = std::uniform_int_distribution<int>(1, 6)(random);
        if (random() % 3 == 0) {
            SetDeepZoom();
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
    EXPECT_TRUE(app.m_workers.empty());
    EXPECT_TRUE(WaitForTimerToStop(5000));
}

}  // namespace
