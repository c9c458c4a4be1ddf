// The user-interface thread's work per refresh tick in a window of 7600 × 4200 pixels, while two
// workers compute a deep zoom (rows of a second or more each): the tick itself (the display
// counter, the recolouring, the resampling) and the paint it asks for. Also the time to the
// whole picture of the default region, and a refresh that recolours everything, as after a
// colour change: the recolouring with its resampling, the resampling alone, the paint; and a
// window growing from half its size, on a screen larger than it.
#include "app/diagram_app.h"
#include "framework/main_window.h"
#include "gui/app_start.h"
#include "gui/main_frame.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QMenuBar>
#include <QTemporaryDir>
#include <QTest>

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <thread>

namespace {

constexpr QSize kClient(7600, 4200);

// The application with its window at the size of a large screen's client area.
class LargeWindow {
public:
    LargeWindow()
    {
        m_app.m_nProcessors = 2;
        InitInstance(m_app);
        m_frame = dynamic_cast<CMainFrame*>(AfxGetMainWnd());
        m_ready = ResizeClient(kClient);
    }
    ~LargeWindow() { delete m_frame; }

    // Whether the view has the size asked for.
    bool Ready() const { return m_ready; }
    // Resizes the window so that the view gets `client`, and paints it; false when it does not
    // within 5 seconds. Events are handled without pause, so that the time is the work alone.
    bool ResizeClient(QSize client)
    {
        m_frame->resize(client.width(), client.height() + m_frame->menuBar()->height());
        QElapsedTimer timer;
        timer.start();
        while (View().size() != client && timer.elapsed() < 5000) {
            QApplication::processEvents();
        }
        QApplication::processEvents();
        return View().size() == client;
    }
    CDiagramView& View() { return m_frame->m_wndView; }
    CDiagramApp& App() { return m_app; }

    // One tick as the timer runs it, and the paint it asks for.
    void Tick()
    {
        m_app.OnRefreshTimer();
        QApplication::processEvents();
    }

private:
    CDiagramApp m_app;
    CMainFrame* m_frame = nullptr;
    bool m_ready = false;
};

void TickDuringADeepZoom(benchmark::State& state)
{
    LargeWindow window;
    if (!window.Ready()) {
        state.SkipWithError("the view did not take the size");
        return;
    }
    window.App().SetRegion(0.5, 3.7, 0.500005, 3.700005);
    window.App().OnCalcStart();
    window.Tick();  // the first tick after a start recolours everything
    for (auto _ : state) {
        std::this_thread::sleep_for(std::chrono::milliseconds(200));  // rows come in meanwhile
        QElapsedTimer timer;
        timer.start();
        window.Tick();
        state.SetIterationTime(static_cast<double>(timer.nsecsElapsed()) * 1e-9);
    }
    window.App().StopCalc();
}

// From the start of the default region's calculation to its whole picture on the screen: the
// workers compute, and the ticks take the user-interface thread's share of the processors.
void WholePictureOfTheDefaultRegion(benchmark::State& state)
{
    for (auto _ : state) {
        LargeWindow window;
        if (!window.Ready()) {
            state.SkipWithError("the view did not take the size");
            return;
        }
        QElapsedTimer timer;
        timer.start();
        window.App().OnCalcStart();
        if (!QTest::qWaitFor([&window] { return window.App().RefreshTimerId() == 0; }, 600000)) {
            state.SkipWithError("the calculation did not finish");
            return;
        }
        state.SetIterationTime(static_cast<double>(timer.nsecsElapsed()) * 1e-9);
    }
}

// The same window with a finished picture (a region above 4, done at once), recoloured whole.
class FinishedPicture : public benchmark::Fixture {
public:
    void SetUp(benchmark::State& state) override
    {
        m_window = std::make_unique<LargeWindow>();
        m_window->App().SetRegion(0.0, 4.5, 1.8173, 5.5);  // fits 7560 × 4160 cells
        m_window->App().OnCalcStart();
        if (!m_window->Ready() || !QTest::qWaitFor([this] { return m_window->App().RefreshTimerId() == 0; }, 120000)) {
            state.SkipWithError("no finished picture");
        }
        m_window->Tick();
    }
    void TearDown(benchmark::State&) override { m_window.reset(); }

protected:
    std::unique_ptr<LargeWindow> m_window;
};

BENCHMARK_DEFINE_F(FinishedPicture, Colorize)(benchmark::State& state)
{
    for (auto _ : state) {
        m_window->View().Colorize();
    }
}

BENCHMARK_DEFINE_F(FinishedPicture, Resample)(benchmark::State& state)
{
    for (auto _ : state) {
        m_window->View().Resample();
    }
}

BENCHMARK_DEFINE_F(FinishedPicture, PaintWhole)(benchmark::State& state)
{
    for (auto _ : state) {
        m_window->View().repaint();
    }
}

// The window made half as wide and high, then dragged back to its size: the refresh of a
// growing window, its paint included.
BENCHMARK_DEFINE_F(FinishedPicture, GrowingResize)(benchmark::State& state)
{
    for (auto _ : state) {
        state.PauseTiming();
        m_window->ResizeClient(kClient / 2);
        state.ResumeTiming();
        m_window->ResizeClient(kClient);
    }
}

}  // namespace

BENCHMARK(TickDuringADeepZoom)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(15);
BENCHMARK(WholePictureOfTheDefaultRegion)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK_REGISTER_F(FinishedPicture, Colorize)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK_REGISTER_F(FinishedPicture, Resample)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK_REGISTER_F(FinishedPicture, PaintWhole)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK_REGISTER_F(FinishedPicture, GrowingResize)->Unit(benchmark::kMillisecond)->Iterations(5);

int main(int argc, char** argv)
{
    // One screen larger than the window, as a window that large has.
    QTemporaryDir folder;
    const QString screens = folder.filePath("screens.json");
    QFile file(screens);
    if (!folder.isValid() || !file.open(QIODevice::WriteOnly) ||
        file.write(R"({"screens": [{"name": "Large", "x": 0, "y": 0, "width": 7680, "height": 4320,
                       "logicalDpi": 96, "logicalBase": 96, "dpr": 1}]})") < 0) {
        std::fprintf(stderr, "view_tick_bench: cannot write the screens' configuration in %s\n",
                     qPrintable(folder.path()));
        return 1;
    }
    file.close();
    qputenv("QT_QPA_PLATFORM", ("offscreen:configfile=" + screens).toUtf8());
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
