// The template-driven dialog layer, through the program's three dialogs.
#include "app_window_fixture.h"

#include "dialogs/about_dlg.h"
#include "dialogs/color_dlg.h"
#include "dialogs/region_dlg.h"
#include "res/resource.h"

#include <QCheckBox>
#include <QFontInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>

namespace {

using DialogLayer = AppWindow;

QLineEdit* Edit(const CDialog* dialog, int32_t id)
{
    return qobject_cast<QLineEdit*>(dialog->GetDlgItem(id));
}

// Runs a dialog modally; `step` drives it once it is open.
int RunDialog(CDialog& dialog, std::function<void(CDialog*)> step)
{
    WhenModalOpens([step](QWidget* modal) { step(dynamic_cast<CDialog*>(modal)); });
    return dialog.DoModal();
}

TEST_F(DialogLayer, TakesItsFontSizeAndPlacesFromTheTemplate)
{
    CRegionDlg dialog;
    const QFontInfo font(dialog.font());
    EXPECT_EQ(font.family(), QStringLiteral("IPAPGothic"));
    EXPECT_EQ(font.pixelSize(), PointsToPixels(9, dialog.logicalDpiY()));
    const DialogBaseUnits base = dialog.BaseUnits();
    const QFontMetrics metrics(dialog.font());
    EXPECT_EQ(base.cy, metrics.height());
    EXPECT_NEAR(base.cx, metrics.horizontalAdvance(QString::fromLatin1(kBaseUnitLetters)) / 52.0, 0.5);

    const Rect client = DialogUnitsToPixels({0, 0, 309, 91}, base);
    EXPECT_EQ(dialog.size(), QSize(client.width, client.height));
    EXPECT_EQ(dialog.minimumSize(), dialog.maximumSize());  // not resizable
    const Qt::WindowFlags flags = dialog.windowFlags();
    EXPECT_TRUE(flags & Qt::WindowCloseButtonHint);
    EXPECT_FALSE(flags & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint));
    EXPECT_EQ(dialog.windowTitle(), QString::fromUtf8("計算領域"));

    const Rect ok = DialogUnitsToPixels({195, 65, 50, 14}, base);
    EXPECT_EQ(dialog.GetDlgItem(IDOK)->geometry(), QRect(ok.x, ok.y, ok.width, ok.height));
    EXPECT_EQ(dialog.GetDlgItem(9999), nullptr);
}

// The control is wide and high enough for its text, measured independently of the layer.
void ExpectTextShown(const QWidget* control)
{
    const QFontMetrics metrics(control->font());
    if (const auto* label = qobject_cast<const QLabel*>(control)) {
        const QSize text = metrics.size(0, label->text());
        EXPECT_LE(text.width(), control->width()) << label->text().toStdString();
        EXPECT_LE(text.height(), control->height()) << label->text().toStdString();
    } else if (const auto* button = qobject_cast<const QPushButton*>(control)) {
        EXPECT_LT(metrics.horizontalAdvance(button->text()), control->width());
    } else if (qobject_cast<const QAbstractButton*>(control) != nullptr) {
        EXPECT_GE(control->width(), control->sizeHint().width());  // indicator, spacing and text
    }
}

TEST_F(DialogLayer, NoTextIsClipped)
{
    CRegionDlg region;
    CColorDlg color;
    CAboutDlg about;
    for (const CDialog* dialog :
         {static_cast<CDialog*>(&region), static_cast<CDialog*>(&color), static_cast<CDialog*>(&about)}) {
        for (const QWidget* control : dialog->findChildren<QWidget*>()) {
            ExpectTextShown(control);
            EXPECT_LE(control->geometry().right(), dialog->width()) << dialog->windowTitle().toStdString();
        }
    }
    // "モノクロ" needs more than its 35 units: its button grew to the right.
    const QWidget* mono = color.GetDlgItem(IDC_COLOR_MONO);
    const Rect units = DialogUnitsToPixels({105, 10, 35, 10}, color.BaseUnits());
    EXPECT_EQ(mono->x(), units.x);
    EXPECT_GT(mono->width(), units.width);
}

TEST_F(DialogLayer, OpensModalCentredOverTheMainWindow)
{
    CAboutDlg about;
    const int result = RunDialog(about, [this](CDialog* dialog) {
        EXPECT_EQ(dialog->parentWidget(), frame.data());
        EXPECT_NE(dialog->windowModality(), Qt::NonModal);
        const QPoint offset = dialog->geometry().center() - frame->geometry().center();
        EXPECT_LE(offset.manhattanLength(), 2);
        PressKey(Qt::Key_Return);
    });
    EXPECT_EQ(result, IDOK);
}

// The control with the keyboard focus, by identifier.
int32_t FocusedId(const CDialog* dialog)
{
    for (const DialogControl& control : dialog->Template()->controls) {
        if (dialog->GetDlgItem(control.id) == QApplication::focusWidget()) {
            return control.id;
        }
    }
    return 0;
}

// The controls that Tab (or Shift+Tab) reaches, from the one with the focus on.
std::vector<int32_t> TabCycle(const CDialog* dialog, int presses, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    std::vector<int32_t> ids;
    for (int n = 0; n < presses; ++n) {
        PressKey(Qt::Key_Tab, modifiers);
        ids.push_back(FocusedId(dialog));
    }
    return ids;
}

TEST_F(DialogLayer, TabFollowsTheTemplateOrderAndSkipsControlsWithoutATabStop)
{
    CRegionDlg region;
    RunDialog(region, [](CDialog* dialog) {
        QLineEdit* startX = Edit(dialog, IDC_START_X);
        EXPECT_EQ(QApplication::focusWidget(), startX);
        EXPECT_EQ(TabCycle(dialog, 6),
                  (std::vector<int32_t>{IDC_START_Y, IDOK, IDCANCEL, IDC_END_X, IDC_END_Y, IDC_START_X}));
        EXPECT_EQ(startX->selectedText(), startX->text());  // Tab selects an edit's text
        PressKey(Qt::Key_Escape);
    });
    CColorDlg color;
    color.m_nColorScheme = 0;
    RunDialog(color, [](CDialog* dialog) {
        EXPECT_EQ(QApplication::focusWidget(), dialog->GetDlgItem(IDOK));
        EXPECT_EQ(TabCycle(dialog, 3), (std::vector<int32_t>{IDCANCEL, IDC_REVERSE, IDOK}));
        // A clicked radio button takes the focus, but Tab never comes back to the radio buttons.
        QTest::mouseClick(dialog->GetDlgItem(IDC_COLOR_GREEN), Qt::LeftButton);
        EXPECT_EQ(QApplication::focusWidget(), dialog->GetDlgItem(IDC_COLOR_GREEN));
        EXPECT_EQ(TabCycle(dialog, 4), (std::vector<int32_t>{IDC_REVERSE, IDOK, IDCANCEL, IDC_REVERSE}));
        EXPECT_EQ(TabCycle(dialog, 3, Qt::ShiftModifier), (std::vector<int32_t>{IDCANCEL, IDOK, IDC_REVERSE}));
        PressKey(Qt::Key_Escape);
    });
}

TEST_F(DialogLayer, ArrowKeysGoRoundTheFocusedButtonsGroupAndChooseRadioButtons)
{
    CColorDlg color;
    color.m_nColorScheme = 1;
    RunDialog(color, [](CDialog* dialog) {
        const auto radio = [dialog](int32_t id) { return static_cast<QAbstractButton*>(dialog->GetDlgItem(id)); };
        // OK and Cancel form the first group; the radio buttons and the check box the second.
        PressKey(Qt::Key_Down);
        EXPECT_EQ(FocusedId(dialog), IDCANCEL);
        PressKey(Qt::Key_Right);
        EXPECT_EQ(FocusedId(dialog), IDOK);
        PressKey(Qt::Key_Tab);
        PressKey(Qt::Key_Tab);
        ASSERT_EQ(FocusedId(dialog), IDC_REVERSE);
        PressKey(Qt::Key_Up);  // to the last radio button, just before the check box
        const int32_t lastRadio = RadioButtonsFrom(*dialog->Template(), IDC_COLOR_BLUE).back()->id;
        EXPECT_EQ(FocusedId(dialog), lastRadio);
        EXPECT_TRUE(radio(lastRadio)->isChecked());
        EXPECT_FALSE(radio(IDC_COLOR_RED)->isChecked());
        PressKey(Qt::Key_Down);
        PressKey(Qt::Key_Down);  // round from the check box to the first radio button
        EXPECT_EQ(FocusedId(dialog), IDC_COLOR_BLUE);
        EXPECT_TRUE(radio(IDC_COLOR_BLUE)->isChecked());
        EXPECT_FALSE(radio(IDC_REVERSE)->isChecked());  // passing over it leaves the check box
        PressKey(Qt::Key_Left);
        EXPECT_EQ(FocusedId(dialog), IDC_REVERSE);
        PressKey(Qt::Key_Escape);
    });
    CRegionDlg region;
    RunDialog(region, [](CDialog* dialog) {
        PressKey(Qt::Key_Down);  // an edit keeps its arrow keys
        EXPECT_EQ(FocusedId(dialog), IDC_START_X);
        PressKey(Qt::Key_Tab);
        PressKey(Qt::Key_Tab);
        PressKey(Qt::Key_Down);  // OK and Cancel share their group with the static text before them
        EXPECT_EQ(FocusedId(dialog), IDCANCEL);
        PressKey(Qt::Key_Down);
        EXPECT_EQ(FocusedId(dialog), IDOK);
        PressKey(Qt::Key_Escape);
    });
}

TEST_F(DialogLayer, TheToolkitsOwnTextsAreJapaneseWhateverTheSystemsLanguage)
{
    QLocale::setDefault(QLocale::c());
    CRegionDlg dialog;
    const std::unique_ptr<QMenu> menu(Edit(&dialog, IDC_START_X)->createStandardContextMenu());
    QStringList texts;
    for (const QAction* action : menu->actions()) {
        if (!action->isSeparator()) {
            texts << action->text().section(QLatin1Char('\t'), 0, 0);  // without the shortcut
        }
    }
    EXPECT_EQ(texts, (QStringList{QString::fromUtf8("元に戻す(&U)"), QString::fromUtf8("やり直す(&R)"),
                                  QString::fromUtf8("切り取り(&T)"), QString::fromUtf8("コピー(&C)"),
                                  QString::fromUtf8("貼り付け(&P)"), QString::fromUtf8("削除"),
                                  QString::fromUtf8("すべてを選択")}));
}

TEST_F(DialogLayer, EnterPressesTheDefaultOrFocusedButtonEscapeAndCloseCancel)
{
    const std::pair<std::function<void(CDialog*)>, int> runs[] = {
        {[](CDialog*) { PressKey(Qt::Key_Return); }, IDOK},
        {[](CDialog*) { PressKey(Qt::Key_Enter, Qt::KeypadModifier); }, IDOK},
        {[](CDialog*) {
             for (int n = 0; n < 3; ++n) {
                 PressKey(Qt::Key_Tab);  // start y, OK, Cancel
             }
             PressKey(Qt::Key_Return);
         },
         IDCANCEL},
        {[](CDialog*) { PressKey(Qt::Key_Escape); }, IDCANCEL},
        {[](CDialog* dialog) { dialog->close(); }, IDCANCEL},  // the close box
        {[](CDialog* dialog) { QTest::mouseClick(dialog->GetDlgItem(IDCANCEL), Qt::LeftButton); }, IDCANCEL},
        {[](CDialog* dialog) { QTest::mouseClick(dialog->GetDlgItem(IDOK), Qt::LeftButton); }, IDOK},
    };
    for (const auto& [step, expected] : runs) {
        CRegionDlg dialog;
        EXPECT_EQ(RunDialog(dialog, step), expected);
    }
}

TEST_F(DialogLayer, ADialogWithoutATemplateDoesNotRun)
{
    CDialog dialog(12345);
    EXPECT_EQ(dialog.DoModal(), -1);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

// Replaces the text of the edit with the focus, as a user does after selecting it all.
void Retype(const QString& text)
{
    auto* edit = qobject_cast<QLineEdit*>(QApplication::focusWidget());
    ASSERT_NE(edit, nullptr);
    edit->selectAll();
    PressKey(Qt::Key_Delete);
    TypeText(text);
}

// The dialog is active again after its message box, with the keyboard focus in the widget.
bool HasFocusOnceActive(QWidget* widget)
{
    return QTest::qWaitFor([widget] { return QApplication::focusWidget() == widget; }, kHangGuardMs);
}

struct MessageSeen {
    QString text;
    QString caption;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    qsizetype buttons = 0;
    bool overTheDialog = false;
};

// Presses OK on the dialog, expecting the invalid-number message: returns what it showed,
// after closing it with its OK button.
MessageSeen PressOkExpectingTheMessage(CDialog* dialog)
{
    MessageSeen seen;
    WhenModalOpens([&seen, dialog](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        ASSERT_NE(box, nullptr);
        seen = {box->text(), box->windowTitle(), box->icon(), box->buttons().size(), box->parentWidget() == dialog};
        QTest::mouseClick(box->button(QMessageBox::Ok), Qt::LeftButton);
    });
    PressKey(Qt::Key_Return);
    return seen;
}

TEST_F(DialogLayer, InvalidTextIsReportedFirstInExchangeOrderAndKeepsTheDialogOpen)
{
    CRegionDlg region;
    region.m_dStartX = 0.5;
    region.m_dStartY = 3.5;
    region.m_dEndX = 0.75;
    region.m_dEndY = 3.75;
    const int result = RunDialog(region, [&region](CDialog* dialog) {
        Retype(QStringLiteral(" 0.125 "));  // start x: valid
        PressKey(Qt::Key_Tab);
        Retype(QStringLiteral("3,5"));  // start y: invalid
        for (int n = 0; n < 3; ++n) {
            PressKey(Qt::Key_Tab);
        }
        Retype(QString());  // end x: invalid, empty
        PressKey(Qt::Key_Tab);
        Retype(QStringLiteral("3.875"));  // end y: valid

        const MessageSeen first = PressOkExpectingTheMessage(dialog);
        EXPECT_EQ(first.text, QString::fromUtf8("数字を入力してください。"));
        EXPECT_EQ(first.caption, QStringLiteral("Corvalis"));
        EXPECT_EQ(first.icon, QMessageBox::Warning);
        EXPECT_EQ(first.buttons, 1);
        EXPECT_TRUE(first.overTheDialog);
        EXPECT_TRUE(dialog->isVisible());
        QLineEdit* startY = Edit(dialog, IDC_START_Y);
        EXPECT_TRUE(HasFocusOnceActive(startY));
        EXPECT_EQ(startY->selectedText(), QStringLiteral("3,5"));
        // The exchanges before the failed one stored their values, the ones after it did not run.
        EXPECT_EQ(region.m_dStartX, 0.125);
        EXPECT_EQ(region.m_dEndY, 3.75);

        TypeText(QStringLiteral("3.25"));  // replaces the selected text
        PressOkExpectingTheMessage(dialog);
        EXPECT_TRUE(HasFocusOnceActive(Edit(dialog, IDC_END_X)));
        TypeText(QStringLiteral("1d-1"));
        PressKey(Qt::Key_Return);
    });
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(region.m_dStartX, 0.125);
    EXPECT_EQ(region.m_dStartY, 3.25);
    EXPECT_EQ(region.m_dEndX, 0.1);
    EXPECT_EQ(region.m_dEndY, 3.875);
}

TEST_F(DialogLayer, RadioButtonsAreNumberedByPositionAndTheCheckBoxIsZeroOrOne)
{
    struct Case {
        int32_t scheme;
        int32_t reverse;
        int checkedIndex;  // -1: none
        bool ticked;
    };
    // A scheme that names no button checks none; a flag outside 0..2 clears the box.
    for (const Case& c : {Case{-1, 5, -1, false}, Case{3, 2, 3, true}, Case{1, 0, 1, false}, Case{0, 1, 0, true}}) {
        CColorDlg color;
        color.m_nColorScheme = c.scheme;
        color.m_bReverse = c.reverse;
        RunDialog(color, [&c](CDialog* dialog) {
            const int32_t ids[] = {IDC_COLOR_BLUE, IDC_COLOR_RED, IDC_COLOR_GREEN, IDC_COLOR_MONO};
            for (int i = 0; i < 4; ++i) {
                EXPECT_EQ(qobject_cast<QRadioButton*>(dialog->GetDlgItem(ids[i]))->isChecked(), i == c.checkedIndex)
                    << c.scheme << " " << i;
            }
            EXPECT_EQ(qobject_cast<QCheckBox*>(dialog->GetDlgItem(IDC_REVERSE))->isChecked(), c.ticked);
            PressKey(Qt::Key_Return);
        });
        EXPECT_EQ(color.m_nColorScheme, c.checkedIndex);
        EXPECT_EQ(color.m_bReverse, c.ticked ? 1 : 0);
    }
}

}  // namespace
