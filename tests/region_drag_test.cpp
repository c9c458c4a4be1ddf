// Zooming by dragging a rectangle over the picture with the left button, through real mouse
// events on the view: the band, the dialog it opens and what accepting or cancelling does.
#include "app_window_fixture.h"

#include "dialogs/region_dlg.h"
#include "platform/number_text.h"
#include "res/resource.h"

#include <QLineEdit>

namespace {

class RegionDrag : public AppWindow {
protected:
    // Sizes the frame so that the view's client area is width × height.
    void SetClientSize(int width, int height)
    {
        frame->resize(width, height + frame->menuBar()->height());
        ASSERT_TRUE(QTest::qWaitFor([&] { return View().size() == QSize(width, height); }, kHangGuardMs));
        View().repaint();
    }

    void Press(QPoint at) { QTest::mousePress(&View(), Qt::LeftButton, Qt::NoModifier, at); }
    void MoveTo(QPoint at) { QTest::mouseMove(&View(), at); }
    void Release(QPoint at) { QTest::mouseRelease(&View(), Qt::LeftButton, Qt::NoModifier, at); }

    // Drags from one point to another and returns the texts the region dialog opened with,
    // leaving the dialog with `key` (Return accepts, Escape cancels).
    QStringList Drag(QPoint from, QPoint to, Qt::Key key)
    {
        QStringList shown;
        WhenModalOpens([&shown, key](QWidget* modal) {
            auto* dialog = dynamic_cast<CRegionDlg*>(modal);
            ASSERT_NE(dialog, nullptr);
            for (int32_t id : {IDC_START_X, IDC_START_Y, IDC_END_X, IDC_END_Y}) {
                shown << qobject_cast<QLineEdit*>(dialog->GetDlgItem(id))->text();
            }
            PressKey(key);
        });
        Press(from);
        MoveTo((from + to) / 2);
        MoveTo(to);
        Release(to);
        return shown;
    }
};

const QStringList kQuarterZoom = {"0.25", "3.375", "0.75", "3.875"};

TEST_F(RegionDrag, CornersMapThroughThePicturesPlacementInEitherDirection)
{
    SetClientSize(552, 552);  // the placeholder: 512 × 512 at offsets 0, 0
    ASSERT_EQ(View().DisplayBitmap().width, 512);
    EXPECT_EQ(Drag({148, 84}, {404, 340}, Qt::Key_Escape), kQuarterZoom);
    EXPECT_EQ(Drag({404, 340}, {148, 84}, Qt::Key_Escape), kQuarterZoom);
    EXPECT_EQ(Drag({10, 84}, {404, 340}, Qt::Key_Escape)[0], "-0.01953125");
    SetClientSize(700, 552);  // the same picture 74 pixels further right
    EXPECT_EQ(Drag({222, 84}, {478, 340}, Qt::Key_Escape), kQuarterZoom);
}

TEST_F(RegionDrag, DegenerateDragsPassTheirEqualValuesOn)
{
    SetClientSize(552, 552);
    const QStringList flat = Drag({148, 200}, {404, 200}, Qt::Key_Escape);
    EXPECT_EQ(flat[1], flat[3]);
    const QStringList upright = Drag({300, 84}, {300, 340}, Qt::Key_Escape);
    EXPECT_EQ(upright[0], upright[2]);
    // A release outside the view still ends the drag, its corner outside the picture.
    const QStringList outside = Drag({148, 84}, {600, 600}, Qt::Key_Escape);
    EXPECT_EQ(outside[2].toDouble(), (600 - 20) / 512.0);
    EXPECT_FALSE(View().IsDragging());
}

TEST_F(RegionDrag, AReleaseAtTheStartOpensNoDialog)
{
    SetClientSize(552, 552);
    Press({200, 200});
    MoveTo({260, 260});
    MoveTo({200, 200});
    Release({200, 200});
    QTest::mouseDClick(&View(), Qt::LeftButton, Qt::NoModifier, QPoint(250, 250));
    QTest::qWait(50);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    EXPECT_FALSE(View().IsDragging());
}

TEST_F(RegionDrag, OnlyTheLeftButtonDrags)
{
    SetClientSize(552, 552);
    QTest::mousePress(&View(), Qt::RightButton, Qt::NoModifier, QPoint(100, 100));
    EXPECT_FALSE(View().IsDragging());
    QTest::mouseRelease(&View(), Qt::RightButton, Qt::NoModifier, QPoint(300, 300));
    Press({148, 84});
    QTest::mousePress(&View(), Qt::RightButton, Qt::NoModifier, QPoint(300, 300));
    QTest::mouseRelease(&View(), Qt::RightButton, Qt::NoModifier, QPoint(300, 300));
    Press({200, 200});  // a second left press keeps the first start
    EXPECT_TRUE(View().IsDragging());
    QStringList shown;
    WhenModalOpens([&shown](QWidget* modal) {
        shown << qobject_cast<QLineEdit*>(dynamic_cast<CDialog*>(modal)->GetDlgItem(IDC_START_X))->text();
        PressKey(Qt::Key_Escape);
    });
    Release({404, 340});
    EXPECT_EQ(shown, QStringList{"0.25"});
}

TEST_F(RegionDrag, AcceptingStoresTheRegionAndStartsTheFirstCalculation)
{
    SetClientSize(552, 552);
    EXPECT_EQ(app.WorkerCount(), 0);
    Drag({148, 84}, {404, 340}, Qt::Key_Return);
    const CalcRegion region = Region();
    EXPECT_EQ(region.xmin, 0.25);
    EXPECT_EQ(region.ymin, 3.375);
    EXPECT_EQ(region.xmax, 0.75);
    EXPECT_EQ(region.ymax, 3.875);
    EXPECT_GT(app.WorkerCount(), 0);
    EXPECT_NE(app.RefreshTimerId(), 0u);
}

TEST_F(RegionDrag, CancelLeavesTheRunningCalculationAlone)
{
    SetClientSize(552, 552);
    app.SetRegion(0.5, 3.7, 0.5001, 3.7001);  // rows of a second or more
    app.OnCalcStart();
    const int32_t started = app.CalculationsStarted();
    Drag({148, 84}, {404, 340}, Qt::Key_Escape);
    EXPECT_EQ(app.CalculationsStarted(), started);
    EXPECT_GE(app.RunningWorkerCount(), 1);
    EXPECT_EQ(Region().xmin, 0.5);
}

TEST_F(RegionDrag, CornersMapWithTheStoredRegionNotTheComputedOne)
{
    SetClientSize(552, 552);
    app.SetRegion(2.0, 1.0, 4.0, 2.0);  // stored, as the region dialog does, without a calculation
    EXPECT_EQ(Drag({148, 84}, {404, 340}, Qt::Key_Escape), (QStringList{"2.5", "1.375", "3.5", "1.875"}));
}

QString Text(double value)
{
    return QString::fromStdString(DoubleToText(value));
}

TEST_F(RegionDrag, RegionsWithoutHeightOrWidthShowAFramedStripThatADragMapsThrough)
{
    constexpr QRgb kWhite = 0xFFFFFFFF;
    SetClientSize(700, 541);  // 660 × 501 inside the margins
    app.SetRegion(0.0, 3.5, 1.0, 3.5);
    RunCalculation();
    EXPECT_EQ(GridSize(), (Size{660, 0}));
    // The bitmap has the aspect of 660 × 1: one row, as wide as the area, centred.
    ASSERT_EQ(View().DisplayBitmap().width, 660);
    ASSERT_EQ(View().DisplayBitmap().height, 1);
    EXPECT_EQ(View().Placement().left, 20);
    EXPECT_EQ(View().Placement().top, 270);  // (541 − 41) ÷ 2 + 20
    QImage pixels = ViewPixels();
    for (const QPoint frame : {QPoint(19, 270), QPoint(680, 270), QPoint(100, 269), QPoint(100, 271)}) {
        EXPECT_EQ(pixels.pixel(frame), kWhite) << frame.x() << "," << frame.y();
    }
    EXPECT_EQ(pixels.pixel(25, 270), 0xFF000000u);  // the placeholder's squares: no cells to show
    EXPECT_EQ(pixels.pixel(35, 270), 0xFF404040u);
    // x grows from the strip's left edge, y keeps the region's one value.
    EXPECT_EQ(Drag({120, 265}, {320, 280}, Qt::Key_Escape),
              (QStringList{Text(0.0 + 100 * (1.0 / 660)), "3.5", Text(0.0 + 300 * (1.0 / 660)), "3.5"}));

    app.SetRegion(0.5, 3.0, 0.5, 4.0);
    RunCalculation();
    EXPECT_EQ(GridSize(), (Size{0, 501}));
    ASSERT_EQ(View().DisplayBitmap().width, 1);
    ASSERT_EQ(View().DisplayBitmap().height, 501);
    EXPECT_EQ(View().Placement().left, 349);  // (700 − 41) ÷ 2 + 20
    pixels = ViewPixels();
    EXPECT_EQ(pixels.pixel(348, 300), kWhite);
    EXPECT_EQ(pixels.pixel(350, 300), kWhite);
    EXPECT_EQ(pixels.pixel(349, 520), 0xFF000000u);  // buffer row 0, at the bottom
    EXPECT_EQ(pixels.pixel(349, 510), 0xFF404040u);
    EXPECT_EQ(Drag({340, 100}, {360, 300}, Qt::Key_Escape),
              (QStringList{"0.5", Text(3.0 + 221 * (1.0 / 501)), "0.5", Text(3.0 + 421 * (1.0 / 501))}));
}

// The pixels where two pictures differ.
std::vector<QPoint> Differences(const QImage& a, const QImage& b)
{
    std::vector<QPoint> points;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            if (a.pixel(x, y) != b.pixel(x, y)) {
                points.emplace_back(x, y);
            }
        }
    }
    return points;
}

TEST_F(RegionDrag, TheBandInvertsExactlyItsOutlineAndLeavesNothingBehind)
{
    SetClientSize(552, 552);
    app.SetRegion(0.0, 3.0, 4.0, 4.0);
    app.OnCalcStart();
    ASSERT_TRUE(QTest::qWaitFor([this] { return app.RefreshTimerId() == 0; }, kHangGuardMs));
    View().repaint();
    const QImage picture = ViewPixels();

    Press({100, 120});
    MoveTo({300, 200});
    MoveTo({250, 400});
    View().repaint();
    const std::vector<QPoint> changed = Differences(picture, ViewPixels());
    std::vector<QPoint> outline;
    for (const Rect& r : BandOutline(100, 120, 250, 400)) {
        for (int y = r.y; y < r.y + r.height; ++y) {
            for (int x = r.x; x < r.x + r.width; ++x) {
                outline.emplace_back(x, y);
            }
        }
    }
    std::sort(outline.begin(), outline.end(),
              [](QPoint a, QPoint b) { return std::pair(a.y(), a.x()) < std::pair(b.y(), b.x()); });
    EXPECT_EQ(changed, outline);
    const QImage banded = ViewPixels();
    for (const QPoint& p : changed) {
        EXPECT_EQ(banded.pixel(p) & 0xFFFFFF, (picture.pixel(p) ^ 0xFFFFFF) & 0xFFFFFF);
    }

    // A refresh tick in the middle of the drag repaints the picture with the band still right.
    app.OnRefreshTimer();
    QApplication::processEvents();
    View().repaint();
    MoveTo({260, 410});
    View().repaint();
    EXPECT_EQ(Differences(picture, ViewPixels()).size(),
              static_cast<size_t>(2 * (260 - 100 + 1) + 2 * (410 - 120 - 1)));

    WhenModalOpens([](QWidget*) { PressKey(Qt::Key_Escape); });
    Release({260, 410});
    View().repaint();
    EXPECT_TRUE(Differences(picture, ViewPixels()).empty());
}

TEST_F(RegionDrag, WithoutAPictureADragDoesNothing)
{
    SetClientSize(30, 30);  // no room inside the margins: an empty bitmap
    Press({2, 2});
    MoveTo({20, 20});
    Release({20, 20});
    QTest::qWait(50);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    EXPECT_EQ(Region().xmax, 1.0);
}

}  // namespace
