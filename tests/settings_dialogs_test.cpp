// The settings dialogs as the user reaches them, from the menu, and what accepting or cancelling
// them does to the application's settings and to the picture.
#include "app_window_fixture.h"

#include "dialogs/color_dlg.h"
#include "dialogs/region_dlg.h"
#include "render/color_scale.h"
#include "res/resource.h"

#include <QCheckBox>
#include <QFile>
#include <QImageReader>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>

#include <memory>
#include <set>

namespace {

class SettingsDialogs : public AppWindow {
public:
    void OpenRegionDialog() { ChooseMenu(Qt::Key_P, Qt::Key_A); }
    void OpenColorDialog() { ChooseMenu(Qt::Key_P, Qt::Key_C); }
    void OpenAboutBox() { ChooseMenu(Qt::Key_H, Qt::Key_A); }

    // Every cell of the view's image has its level's colour in the table.
    void ExpectColouredBy(const ColorTable& table)
    {
        const PixelBuffer& image = View().ColorizedImage();
        ASSERT_EQ(image.PixelCount(), int64_t{GridSize().width} * GridSize().height);
        int64_t mismatches = 0;
        for (int64_t i = 0; i < image.PixelCount(); ++i) {
            mismatches += image.pixels[i] != table[app.GetLevel(i)];
        }
        EXPECT_EQ(mismatches, 0);
    }
};

void ExpectRegion(const CalcRegion& region, double xmin, double ymin, double xmax, double ymax)
{
    EXPECT_EQ(region.xmin, xmin);
    EXPECT_EQ(region.ymin, ymin);
    EXPECT_EQ(region.xmax, xmax);
    EXPECT_EQ(region.ymax, ymax);
}

QStringList EditTexts(const CDialog* dialog)
{
    QStringList texts;
    for (int32_t id : {IDC_START_X, IDC_START_Y, IDC_END_X, IDC_END_Y}) {
        texts << qobject_cast<QLineEdit*>(dialog->GetDlgItem(id))->text();
    }
    return texts;
}

// Types the four values into the region dialog with the keyboard, from the start-x edit on.
void TypeRegion(const QString& startX, const QString& startY, const QString& endX, const QString& endY)
{
    TypeText(startX);  // the dialog opens with this edit's text selected
    PressKey(Qt::Key_Tab);
    TypeText(startY);
    for (int n = 0; n < 3; ++n) {
        PressKey(Qt::Key_Tab);  // OK, Cancel, end x
    }
    TypeText(endX);
    PressKey(Qt::Key_Tab);
    TypeText(endY);
}

TEST_F(SettingsDialogs, RegionDialogShowsTheRegionAndStoresTheTypedOneOrderedPerAxis)
{
    QStringList shown;
    WhenModalOpens([&shown](QWidget* modal) {
        auto* dialog = dynamic_cast<CRegionDlg*>(modal);
        ASSERT_NE(dialog, nullptr);
        shown = EditTexts(dialog);
        auto* startX = qobject_cast<QLineEdit*>(dialog->GetDlgItem(IDC_START_X));
        EXPECT_EQ(QApplication::focusWidget(), startX);
        EXPECT_EQ(startX->selectedText(), startX->text());
        TypeRegion(QStringLiteral("0.75"), QStringLiteral(" 3.5 "), QStringLiteral("0.25"), QStringLiteral("3.875"));
        PressKey(Qt::Key_Return);
    });
    OpenRegionDialog();
    EXPECT_EQ(shown, (QStringList{"0", "3", "1", "4"}));
    ExpectRegion(Region(), 0.25, 3.5, 0.75, 3.875);
    // Only the region changed: nothing is calculated or repainted.
    EXPECT_EQ(app.m_nDisplayCount, 0);
    EXPECT_EQ(app.WorkerCount(), 0);
    EXPECT_EQ(app.RefreshTimerId(), 0u);

    WhenModalOpens([&shown](QWidget* modal) {
        shown = EditTexts(dynamic_cast<CDialog*>(modal));
        PressKey(Qt::Key_Escape);
    });
    OpenRegionDialog();
    EXPECT_EQ(shown, (QStringList{"0.25", "3.5", "0.75", "3.875"}));
}

TEST_F(SettingsDialogs, CancellingTheRegionDialogChangesNothing)
{
    const std::function<void(QWidget*)> endings[] = {
        [](QWidget*) { PressKey(Qt::Key_Escape); },
        // After a failed OK the exchanges before the failure have stored their values into the
        // dialog's members; cancelling still stores nothing.
        [](QWidget*) {
            PressKey(Qt::Key_Tab);
            TypeText(QStringLiteral("x"));
            WhenModalOpens([](QWidget* box) { QTest::keyClick(box, Qt::Key_Return); });
            PressKey(Qt::Key_Return);
            ASSERT_TRUE(QTest::qWaitFor([] { return QApplication::focusWidget() != nullptr; }, kHangGuardMs));
            PressKey(Qt::Key_Escape);
        },
    };
    for (const auto& ending : endings) {
        WhenModalOpens([&ending](QWidget* dialog) {
            TypeRegion("0.5", "3.25", "0.625", "3.75");
            ending(dialog);
        });
        OpenRegionDialog();
        ExpectRegion(Region(), 0.0, 3.0, 1.0, 4.0);
    }
}

QRadioButton* Radio(const CDialog* dialog, int32_t id)
{
    return qobject_cast<QRadioButton*>(dialog->GetDlgItem(id));
}

QCheckBox* ReverseBox(const CDialog* dialog)
{
    return qobject_cast<QCheckBox*>(dialog->GetDlgItem(IDC_REVERSE));
}

TEST_F(SettingsDialogs, EachColourButtonGivesTheSchemeOfItsPosition)
{
    const int32_t buttons[] = {IDC_COLOR_MONO, IDC_COLOR_BLUE, IDC_COLOR_GREEN, IDC_COLOR_RED};
    using enum ColorScheme;
    const ColorScheme schemes[] = {Monochrome, Blue, Green, Red};
    for (int i = 0; i < 4; ++i) {
        WhenModalOpens([id = buttons[i]](QWidget* modal) {
            QTest::mouseClick(Radio(dynamic_cast<CDialog*>(modal), id), Qt::LeftButton);
            PressKey(Qt::Key_Return);
        });
        OpenColorDialog();
        EXPECT_EQ(static_cast<ColorScheme>(app.m_nColorScheme), schemes[i]);
        EXPECT_EQ(app.m_nDisplayCount, i + 1);  // every accepted colour dialog counts
    }
}

// Counts the paints of a widget.
class PaintCounter : public QObject {
public:
    explicit PaintCounter(QWidget* widget) { widget->installEventFilter(this); }
    bool eventFilter(QObject*, QEvent* event) override
    {
        paints += event->type() == QEvent::Paint;
        return false;
    }
    int paints = 0;
};

TEST_F(SettingsDialogs, ColourDialogRecoloursThePictureWithoutRecalculating)
{
    app.SetRegion(0.0, 3.5, 1.0, 4.0);
    RunCalculation();
    const int32_t started = app.CalculationsStarted();
    const int32_t count = app.m_nDisplayCount;

    bool opened = false;
    WhenModalOpens([&opened](QWidget* modal) {
        auto* dialog = dynamic_cast<CColorDlg*>(modal);
        opened = Radio(dialog, IDC_COLOR_BLUE)->isChecked() && !ReverseBox(dialog)->isChecked() &&
                 QApplication::focusWidget() == dialog->GetDlgItem(IDOK);
        QTest::mouseClick(Radio(dialog, IDC_COLOR_MONO), Qt::LeftButton);
        PressKey(Qt::Key_Tab);  // from the clicked button to the check box
        PressKey(Qt::Key_Space);
        PressKey(Qt::Key_Return);
    });
    OpenColorDialog();
    PaintCounter counter(&View());  // the repaint that accepting asked for is still to come
    EXPECT_TRUE(opened) << "blue, not reversed, focus on OK";
    EXPECT_EQ(static_cast<ColorScheme>(app.m_nColorScheme), ColorScheme::Monochrome);
    EXPECT_EQ(app.m_bReverse, 1);
    EXPECT_EQ(app.m_nDisplayCount, count + 1);
    ASSERT_TRUE(QTest::qWaitFor([&counter] { return counter.paints > 0; }, kHangGuardMs));

    // The same grid, the same workers, no timer: only the colours changed.
    EXPECT_EQ(app.CalculationsStarted(), started);
    EXPECT_EQ(app.WorkerCount(), app.m_nProcessors);
    EXPECT_EQ(app.RefreshTimerId(), 0u);
    ExpectColouredBy(MakeColorTable(ColorScheme::Monochrome, true));

    // The next opening shows the stored choice.
    WhenModalOpens([&opened](QWidget* modal) {
        auto* dialog = dynamic_cast<CColorDlg*>(modal);
        opened = Radio(dialog, IDC_COLOR_MONO)->isChecked() && ReverseBox(dialog)->isChecked();
        PressKey(Qt::Key_Escape);
    });
    OpenColorDialog();
    EXPECT_TRUE(opened);
}

// The colour maps stand in the scheme table after the dialog's four schemes, for corvalis-render
// alone: the window shows monochrome for their numbers as for any number without a button.
TEST_F(SettingsDialogs, SchemeNumbersWithoutARadioButtonShowMonochrome)
{
    app.m_nColorScheme = static_cast<int32_t>(ColorScheme::Magma);
    app.SetRegion(0.0, 3.5, 1.0, 4.0);
    RunCalculation();
    ExpectColouredBy(MakeColorTable(ColorScheme::Monochrome, false));
}

TEST_F(SettingsDialogs, AcceptingTheColourDialogUnchangedStillRepaintsAndCancellingDoesNothing)
{
    for (int n = 1; n <= 2; ++n) {
        WhenModalOpens([](QWidget*) { PressKey(Qt::Key_Return); });
        OpenColorDialog();
        PaintCounter counter(&View());
        EXPECT_EQ(app.m_nDisplayCount, n);
        EXPECT_TRUE(QTest::qWaitFor([&counter] { return counter.paints > 0; }, kHangGuardMs));
    }
    WhenModalOpens([](QWidget* modal) {
        auto* dialog = dynamic_cast<CColorDlg*>(modal);
        QTest::mouseClick(Radio(dialog, IDC_COLOR_GREEN), Qt::LeftButton);
        QTest::mouseClick(ReverseBox(dialog), Qt::LeftButton);
        PressKey(Qt::Key_Escape);
    });
    OpenColorDialog();
    EXPECT_EQ(static_cast<ColorScheme>(app.m_nColorScheme), ColorScheme::Blue);
    EXPECT_EQ(app.m_bReverse, 0);
    EXPECT_EQ(app.m_nDisplayCount, 2);
}

TEST_F(SettingsDialogs, AboutBoxShowsTheIconNameAndVersion)
{
    QStringList texts;
    QImage icon;
    QString caption;
    WhenModalOpens([&](QWidget* modal) {
        caption = modal->windowTitle();
        for (const QLabel* label : modal->findChildren<QLabel*>()) {
            if (label->pixmap().isNull()) {
                texts << label->text();
            } else {
                icon = label->pixmap().toImage();
            }
        }
        PressKey(Qt::Key_Return);
    });
    OpenAboutBox();
    EXPECT_TRUE(caption.contains(QStringLiteral("Corvalis")));
    EXPECT_TRUE(texts.contains(QStringLiteral("Corvalis Version 1.0")));
    ASSERT_EQ(texts.size(), 2);
    EXPECT_EQ(texts.at(1).count(QLatin1Char('\n')), 1);  // the notice has two lines
    const QImage expected(QStringLiteral(":/icons/corvalis-32.png"));
    ASSERT_FALSE(expected.isNull());
    EXPECT_EQ(icon.convertToFormat(QImage::Format_RGB32), expected.convertToFormat(QImage::Format_RGB32));
    EXPECT_EQ(app.m_nDisplayCount, 0);
}

TEST(ApplicationIcon, HoldsNineImagesThatQtCanRead)
{
    QFile file(QStringLiteral(CORVALIS_SOURCE_DIR "/src/res/corvalis.ico"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    const auto u16 = [&bytes](int at) {
        return static_cast<uint8_t>(bytes[at]) | static_cast<uint8_t>(bytes[at + 1]) << 8;
    };
    ASSERT_GE(bytes.size(), 6 + 9 * 16);
    EXPECT_EQ(u16(2), 1);  // an icon
    ASSERT_EQ(u16(4), 9);
    // Each entry's pixel size and bits per pixel.
    std::set<std::pair<int, int>> entries;
    for (int i = 0; i < 9; ++i) {
        entries.insert({static_cast<uint8_t>(bytes[6 + 16 * i]), u16(6 + 16 * i + 6)});
    }
    std::set<std::pair<int, int>> expected;
    for (int size : {16, 32, 48}) {
        for (int bits : {4, 8, 24}) {
            expected.insert({size, bits});
        }
    }
    EXPECT_EQ(entries, expected);

    QImageReader reader(file.fileName());
    ASSERT_EQ(reader.imageCount(), 9);
    const QImage png(QStringLiteral(CORVALIS_SOURCE_DIR "/src/res/corvalis-32.png"));
    bool foundThePng = false;
    for (int i = 0; i < 9; ++i) {
        ASSERT_TRUE(reader.jumpToImage(i));
        const QImage image = reader.read();
        ASSERT_FALSE(image.isNull()) << i;
        foundThePng = foundThePng ||
                      image.convertToFormat(QImage::Format_RGB32) == png.convertToFormat(QImage::Format_RGB32);
    }
    EXPECT_TRUE(foundThePng) << "the 24-bit 32-pixel image is the 32-pixel PNG";
}

TEST_F(SettingsDialogs, WorkersAndRefreshTicksGoOnWhileADialogIsOpen)
{
    // One worker, held at a row count that each dialog raises by one: the calculation outlasts
    // the dialogs, and each dialog stays open until the worker has stored its row and a tick has
    // come. Only the dialog's own modal loop runs meanwhile.
    app.m_nProcessors = 1;
    app.AllowWorkerRows(0);
    app.OnCalcStart();
    for (const auto& open :
         {&SettingsDialogs::OpenRegionDialog, &SettingsDialogs::OpenColorDialog, &SettingsDialogs::OpenAboutBox}) {
        const int32_t ticks = app.m_nDisplayCount;
        const int64_t rows = app.RowsDone();
        WhenModalOpens([this, rows, ticks](QWidget* dialog) {
            app.AllowWorkerRows(static_cast<int32_t>(rows) + 1);
            auto* poll = new QTimer(dialog);
            QObject::connect(poll, &QTimer::timeout, dialog, [this, rows, ticks, dialog] {
                if (app.RowsDone() > rows && app.m_nDisplayCount > ticks) {
                    dialog->close();
                }
            });
            poll->start(10);
        });
        (this->*open)();
        EXPECT_GE(app.m_nDisplayCount, ticks + 1);
        EXPECT_GT(app.RowsDone(), rows);
    }
    EXPECT_GE(app.RunningWorkerCount(), 1);
}

}  // namespace
