#include "app_window_fixture.h"
#include "hang_guard.h"
#include "label_image.h"
#include "render/region_label.h"
#include "res/resource.h"

#include <functional>
#include <numeric>

namespace {

// Counts the paints of a widget.
class PaintCounter : public QObject {
public:
    explicit PaintCounter(QWidget* widget) { widget->installEventFilter(this); }
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint) {
            ++paints;
        }
        return false;
    }
    int paints = 0;
};

// The main window in a small size, with a wide region that keeps calculations short:
// iterations grow as 1 / x-range.
class MainFrame : public AppWindow {
protected:
    MainFrame()
    {
        frame->resize(420, 360);
        app.SetRegion(0.0, 3.0, 4.0, 4.0);
    }

    // The picture the ticks made, buffers and screen, equals the one a full recolouring gives.
    void ExpectTheFullRecolouring()
    {
        const auto copy = [](const PixelBuffer& buffer) {
            return std::vector<uint32_t>(buffer.pixels.get(), buffer.pixels.get() + buffer.PixelCount());
        };
        const auto differing = [&copy](const PixelBuffer& buffer, const std::vector<uint32_t>& pixels) {
            const std::vector<uint32_t> now = copy(buffer);
            return now.size() != pixels.size() ? -1
                                               : std::inner_product(now.begin(), now.end(), pixels.begin(), 0,
                                                                    std::plus<>(), std::not_equal_to<>());
        };
        const std::vector<uint32_t> tickedImage = copy(View().ColorizedImage());
        const std::vector<uint32_t> tickedBitmap = copy(View().DisplayBitmap());
        const QImage tickedPixels = ViewPixels();
        View().Colorize();
        View().Resample();
        EXPECT_EQ(differing(View().ColorizedImage(), tickedImage), 0) << "differing cells";
        EXPECT_EQ(differing(View().DisplayBitmap(), tickedBitmap), 0) << "differing bitmap pixels";
        EXPECT_TRUE(ViewPixels() == tickedPixels) << "the screen differs";
    }
};

QString Text(const char* utf8)
{
    return QString::fromUtf8(utf8);
}

TEST_F(MainFrame, HasTheTitleTheMenuAndNoBars)
{
    EXPECT_EQ(frame->windowTitle(), Text("Corvalis"));
    const QList<QAction*> popups = frame->menuBar()->actions();
    ASSERT_EQ(popups.size(), 4);
    EXPECT_EQ(popups[0]->text(), Text("ﾌｧｲﾙ(&F)"));
    EXPECT_EQ(popups[1]->text(), Text("設定(&P)"));
    EXPECT_EQ(popups[2]->text(), Text("計算(&C)"));
    EXPECT_EQ(popups[3]->text(), Text("ﾍﾙﾌﾟ(&H)"));
    const std::vector<std::vector<QString>> items = {
        {Text("ｱﾌﾟﾘｹｰｼｮﾝの終了(&X)")},
        {Text("計算領域(&A)..."), Text("色の変更(&C)...")},
        {Text("計算開始(&S)")},
        {Text("Corvalis のﾊﾞｰｼﾞｮﾝ情報(&A)...")},
    };
    for (int i = 0; i < 4; ++i) {
        const QList<QAction*> actions = popups[i]->menu()->actions();
        ASSERT_EQ(actions.size(), static_cast<qsizetype>(items[i].size()));
        for (size_t k = 0; k < items[i].size(); ++k) {
            EXPECT_EQ(actions[k]->text(), items[i][k]);
            EXPECT_TRUE(actions[k]->isEnabled());
            EXPECT_FALSE(actions[k]->isChecked());
        }
    }
    EXPECT_EQ(frame->centralWidget(), &View());
    EXPECT_EQ(View().geometry(), frame->centralWidget()->geometry());
    EXPECT_TRUE(frame->windowIcon().isNull());  // the frame sets no icon of its own
}

TEST_F(MainFrame, ShowsTheFramedPlaceholderBeforeAnyCalculation)
{
    View().repaint();
    const QImage pixels = ViewPixels();
    const ImagePlacement place = View().Placement();
    const PixelBuffer& bitmap = View().DisplayBitmap();
    ASSERT_GT(bitmap.width, 0);
    EXPECT_EQ(bitmap.width, bitmap.height);                                   // the placeholder is square
    EXPECT_EQ(pixels.pixel(place.left, place.bottom - 1), 0xFF000000u);       // black square
    EXPECT_EQ(pixels.pixel(place.left + 10, place.bottom - 1), 0xFF404040u);  // grey square
    EXPECT_EQ(app.WorkerCount(), 0);
}

// The label font's pixel size: 7 points, 9 pixels at 96 dots per inch, twice that on a
// screen scaled by 2.
int LabelPixelSize(const CDiagramView& view)
{
    return view.logicalDpiY() * static_cast<int>(view.devicePixelRatio()) * 70 / 720;
}

// Where the view's label of the region is painted, over everything painted before it.
QRect LabelRect(const CDiagramView& view, const CalcRegion& region)
{
    const Size client = view.ClientSize();
    const QImage label = LabelImage(QString::fromStdString(FormatRegionLabel(region, client.width, client.height)),
                                    LabelPixelSize(view));
    const ImagePlacement place = view.Placement();
    return QRect(place.offX, place.offY, label.width(), label.height());
}

// The painted view equals the display bitmap 1:1, bottom-up, framed in white, on black.
void ExpectPaintedPicture(const QImage& pixels, const CDiagramView& view, const CalcRegion& region)
{
    const ImagePlacement place = view.Placement();
    const PixelBuffer& bitmap = view.DisplayBitmap();
    ASSERT_GT(bitmap.PixelCount(), 0);
    int mismatches = 0;
    for (int32_t y = 0; y < bitmap.height; ++y) {
        for (int32_t x = 0; x < bitmap.width; ++x) {
            const uint32_t expected = bitmap.pixels[static_cast<int64_t>(y) * bitmap.width + x] | 0xFF000000u;
            mismatches += pixels.pixel(place.left + x, place.ScreenRow(y)) != expected;
        }
    }
    EXPECT_EQ(mismatches, 0);
    // On a scaled screen the label, painted last, reaches down over the top of the frame.
    const QRect label = LabelRect(view, region);
    for (int32_t x = place.left - 1; x <= place.right; ++x) {
        if (!label.contains(x, place.top - 1)) {
            EXPECT_EQ(pixels.pixel(x, place.top - 1), 0xFFFFFFFFu);
        }
        EXPECT_EQ(pixels.pixel(x, place.bottom), 0xFFFFFFFFu);
    }
    for (int32_t y = place.top - 1; y <= place.bottom; ++y) {
        EXPECT_TRUE(label.contains(place.left - 1, y) || pixels.pixel(place.left - 1, y) == 0xFFFFFFFFu);
        EXPECT_EQ(pixels.pixel(place.right, y), 0xFFFFFFFFu);
    }
    // Black around the frame, below the label.
    EXPECT_EQ(pixels.pixel(place.left - 2, place.bottom), 0xFF000000u);
    EXPECT_EQ(pixels.pixel(place.right + 1, place.top + 30), 0xFF000000u);
    EXPECT_EQ(pixels.pixel(pixels.width() - 1, pixels.height() - 1), 0xFF000000u);
}

TEST_F(MainFrame, StartFromTheMenuPaintsTheDiagram)
{
    QTest::keyClick(frame, Qt::Key_C, Qt::AltModifier);
    QMenu* calcMenu = frame->menuBar()->actions()[2]->menu();
    ASSERT_TRUE(QTest::qWaitFor([calcMenu] { return calcMenu->isVisible(); }, kHangGuardMs));
    QTest::keyClick(calcMenu, Qt::Key_S);
    ASSERT_GT(app.WorkerCount(), 0);
    ASSERT_TRUE(QTest::qWaitFor([this] { return app.RefreshTimerId() == 0; }, kHangGuardMs));
    View().repaint();
    EXPECT_EQ(View().ColorizedImage().width, GridSize().width);
    ExpectPaintedPicture(ViewPixels(), View(), Region());
}

TEST_F(MainFrame, ResizeResamplesWithoutRecolouring)
{
    RunCalculation();
    const PixelBuffer& image = View().ColorizedImage();
    const std::vector<uint32_t> colours(image.pixels.get(), image.pixels.get() + image.PixelCount());
    // A new start with its workers held leaves a grid of zeros, which a recolouring would show.
    // No event is processed from the start to the checks, so no tick comes in between.
    app.AllowWorkerRows(0);
    app.OnCalcStart();
    const int32_t seen = app.m_nDisplayCount;
    frame->resize(300, 400);
    frame->resize(320, 410);  // two resizes before a paint: one resample
    View().repaint();
    EXPECT_EQ(std::vector<uint32_t>(image.pixels.get(), image.pixels.get() + image.PixelCount()), colours);
    EXPECT_EQ(app.m_nDisplayCount, seen);
    EXPECT_EQ(View().DisplayBitmap().width, View().ClientSize().width - 40);
    ExpectPaintedPicture(ViewPixels(), View(), Region());
}

// The workers are held at known rows, so that each tick but the last finds rows stored and rows
// still to come, however fast the machine.
TEST_F(MainFrame, TicksThatRecolourOnlyNewRowsShowWhatRecolouringEverythingShows)
{
    app.m_nProcessors = 2;
    app.AllowWorkerRows(0);
    app.OnCalcStart();
    const int32_t stripeRows = GridSize().height / 2;
    constexpr int32_t kPartialTicks = 4;
    for (int32_t tick = 1; tick <= kPartialTicks; ++tick) {
        const int32_t allowed = stripeRows * tick / (kPartialTicks + 1);
        app.AllowWorkerRows(allowed);
        ASSERT_TRUE(QTest::qWaitFor([&] { return app.RowsDone() == 2 * allowed; }, kHangGuardMs));
        app.OnRefreshTimer();
        QApplication::processEvents();
    }
    app.AllowWorkerRows(kAllRows);
    ASSERT_TRUE(QTest::qWaitFor([this] { return app.RunningWorkerCount() == 0; }, kHangGuardMs));
    app.OnRefreshTimer();
    QApplication::processEvents();
    ExpectTheFullRecolouring();
}

// The main window whose refresh lets every worker finish once the picture is refreshed: the
// last rows land between a tick's refresh and its count of the running workers.
class WorkersFinishingDuringTheRefresh : public CMainWindow {
public:
    WorkersFinishingDuringTheRefresh(CMainWindow& window, CDiagramApp& app) : m_window(window), m_app(app) {}
    void GetViewClientSize(int& width, int& height) const override { m_window.GetViewClientSize(width, height); }
    void InvalidateFrame() override { m_window.InvalidateFrame(); }
    void RefreshFrame() override
    {
        m_window.RefreshFrame();
        m_app.AllowWorkerRows(kAllRows);
        finished = WaitWithoutEvents([this] { return m_app.RunningWorkerCount() == 0; });
    }
    void CloseFrame() override { m_window.CloseFrame(); }

    bool finished = false;

private:
    CMainWindow& m_window;
    CDiagramApp& m_app;
};

TEST_F(MainFrame, TheTickThatFindsEveryWorkerFinishedShowsTheirLastRows)
{
    app.m_nProcessors = 2;
    app.AllowWorkerRows(1);
    app.OnCalcStart();
    ASSERT_TRUE(QTest::qWaitFor([this] { return app.RowsDone() == 2; }, kHangGuardMs));
    WorkersFinishingDuringTheRefresh window(*frame, app);
    app.m_pMainWnd = &window;
    app.OnRefreshTimer();
    app.m_pMainWnd = frame.data();
    ASSERT_TRUE(window.finished);
    if (app.RefreshTimerId() != 0) {
        app.OnRefreshTimer();  // the tick that finds every worker finished
    }
    EXPECT_EQ(app.RefreshTimerId(), 0u);
    QApplication::processEvents();
    ExpectTheFullRecolouring();
}

TEST_F(MainFrame, TheRefreshTickRepaintsTheViewThroughTheFrame)
{
    PaintCounter counter(&View());
    QApplication::processEvents();
    const int before = counter.paints;
    app.OnRefreshTimer();
    ASSERT_TRUE(QTest::qWaitFor([&] { return counter.paints > before; }, kHangGuardMs));
}

TEST_F(MainFrame, AcceleratorsDoNothing)
{
    RunCalculation();
    const QImage before = ViewPixels();
    const int32_t count = app.m_nDisplayCount;
    const std::pair<Qt::Key, Qt::KeyboardModifiers> keys[] = {
        {Qt::Key_C, Qt::ControlModifier},    {Qt::Key_V, Qt::ControlModifier},      {Qt::Key_X, Qt::ControlModifier},
        {Qt::Key_Z, Qt::ControlModifier},    {Qt::Key_Insert, Qt::ControlModifier}, {Qt::Key_Insert, Qt::ShiftModifier},
        {Qt::Key_Delete, Qt::ShiftModifier}, {Qt::Key_Backspace, Qt::AltModifier},  {Qt::Key_F6, Qt::NoModifier},
        {Qt::Key_F6, Qt::ShiftModifier},
    };
    for (const auto& [key, modifiers] : keys) {
        QTest::keyClick(&View(), key, modifiers);
    }
    QApplication::processEvents();
    EXPECT_EQ(app.m_nDisplayCount, count);
    EXPECT_EQ(app.RefreshTimerId(), 0u);
    EXPECT_TRUE(frame->isVisible());
    View().repaint();
    EXPECT_EQ(ViewPixels(), before);
}

TEST_F(MainFrame, UnknownCommandsAreDropped)
{
    for (uint32_t id : {ID_EDIT_COPY, ID_NEXT_PANE, 1u, 0u}) {
        EXPECT_FALSE(frame->OnCmdMsg(id));
    }
    EXPECT_TRUE(frame->isVisible());
}

TEST_F(MainFrame, FocusReturnsToTheView)
{
    QWidget other;
    other.show();
    QApplication::setActiveWindow(&other);
    other.setFocus();
    QApplication::setActiveWindow(frame);
    frame->setFocus();
    EXPECT_TRUE(QTest::qWaitFor([this] { return QApplication::focusWidget() == &View(); }, kHangGuardMs));
}

TEST_F(MainFrame, ExitClosesTheWindowWhileWorkersCompute)
{
    app.AllowWorkerRows(0);
    app.OnCalcStart();
    ASSERT_GE(app.RunningWorkerCount(), 1);
    EXPECT_TRUE(frame->OnCmdMsg(ID_APP_EXIT));
    EXPECT_TRUE(QTest::qWaitFor([this] { return frame.isNull(); }, kHangGuardMs));
    EXPECT_EQ(app.m_pMainWnd, nullptr);
    EXPECT_GE(app.RunningWorkerCount(), 1);  // the workers end with the application object
}

TEST_F(MainFrame, LabelNamesTheStoredRegionAtTheCornerOfTheMarginBox)
{
    app.SetRegion(0.75, 3.875, 0.25, 3.5);
    View().repaint();
    const Size client = View().ClientSize();
    const std::string text = FormatRegionLabel({0.25, 3.5, 0.75, 3.875}, client.width, client.height);
    const ImagePlacement place = View().Placement();
    const QImage expected = LabelImage(QString::fromStdString(text), LabelPixelSize(View()));
    const QImage shown = ViewPixels().copy(place.offX, place.offY, expected.width(), expected.height());
    EXPECT_EQ(shown, expected);
}

}  // namespace
