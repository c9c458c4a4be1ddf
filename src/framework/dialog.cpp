#include "framework/dialog.h"

#include "framework/data_exchange.h"
#include "framework/main_window.h"
#include "framework/qt_text.h"
#include "res/resource.h"
#include "res/string_table.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QDirIterator>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>

#include <algorithm>
#include <mutex>

namespace {

// The system's size of an icon in a dialog.
constexpr int kIconSize = 32;

// A thin sunken edge of one pixel, darker above and to the left.
constexpr char kStaticEdgeStyle[] =
    "QLineEdit { border: 1px solid; padding: 0px 1px;"
    " border-color: palette(dark) palette(light) palette(light) palette(dark); }";

// The dialogs' Japanese font is not installed outside Japanese Windows; its names then resolve
// to IPAPGothic, a proportional Japanese gothic font too, instead of a Latin font without the
// Japanese characters.
void SubstituteDialogFonts()
{
    static std::once_flag once;
    std::call_once(once, [] {
        for (const char* name : {"ＭＳ Ｐゴシック", "MS PGothic"}) {
            QFont::insertSubstitution(QString::fromUtf8(name), QStringLiteral("IPAPGothic"));
        }
    });
}

QWidget* NewStatic(const QString& text, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setTextFormat(Qt::PlainText);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return label;
}

QWidget* NewIcon(uint32_t iconId, QWidget* parent)
{
    auto* label = new QLabel(parent);
    label->setPixmap(LoadIcon(iconId).pixmap(kIconSize, kIconSize));
    return label;
}

QWidget* NewEdit(uint32_t exStyle, QWidget* parent)
{
    auto* edit = new QLineEdit(parent);
    if (exStyle & WS_EX_STATICEDGE) {
        edit->setStyleSheet(QString::fromLatin1(kStaticEdgeStyle));
    } else {
        edit->setFrame(false);
    }
    return edit;
}

QWidget* NewPushButton(const QString& text, uint32_t style, QWidget* parent)
{
    auto* button = new QPushButton(text, parent);
    button->setAutoDefault(true);  // a focused button is the one Enter presses
    button->setDefault((style & BS_DEFPUSHBUTTON) != 0);
    return button;
}

// The width the control needs to show its whole text in its font; 0 for a control whose width
// does not depend on a text.
int WidthToShow(ControlKind kind, const QString& text, const QWidget* widget)
{
    switch (kind) {
    case ControlKind::Static:
        return widget->fontMetrics().size(0, text).width();
    case ControlKind::PushButton: {
        const QStyle* style = widget->style();
        return widget->fontMetrics().horizontalAdvance(text) + style->pixelMetric(QStyle::PM_ButtonMargin) +
               2 * style->pixelMetric(QStyle::PM_DefaultFrameWidth);
    }
    case ControlKind::AutoRadioButton:
    case ControlKind::AutoCheckBox:
        return widget->sizeHint().width();  // indicator, spacing and text
    case ControlKind::Icon:
    case ControlKind::Edit:
        break;
    }
    return 0;
}

// Buttons leave the arrow keys to the dialog, which moves the focus within their group; an edit
// keeps them for its text.
bool MovesInItsGroup(ControlKind kind)
{
    return kind == ControlKind::PushButton || kind == ControlKind::AutoRadioButton || kind == ControlKind::AutoCheckBox;
}

Qt::FocusPolicy FocusPolicyOf(const DialogControl& control)
{
    if (control.kind == ControlKind::Static || control.kind == ControlKind::Icon) {
        return Qt::NoFocus;
    }
    return (control.style & WS_TABSTOP) ? Qt::StrongFocus : Qt::ClickFocus;
}

}  // namespace

QIcon LoadIcon(uint32_t iconId)
{
    QIcon icon;
    if (iconId != IDR_MAINFRAME) {
        return icon;
    }
    for (QDirIterator images(QStringLiteral(":/icons")); images.hasNext();) {
        icon.addFile(images.next());
    }
    return icon;
}

void AfxMessageBox(uint32_t promptId)
{
    QWidget* owner = QApplication::activeModalWidget();
    if (owner == nullptr) {
        owner = AfxGetMainWnd();
    }
    QMessageBox box(QMessageBox::Warning, FromUtf8(LoadString(AFX_IDS_APP_TITLE)), FromUtf8(LoadString(promptId)),
                    QMessageBox::Ok, owner);
    box.setTextFormat(Qt::PlainText);
    box.button(QMessageBox::Ok)->setIcon(QIcon());
    if (owner != nullptr) {
        box.setFont(owner->font());
    }
    box.exec();
}

CDialog::CDialog(uint32_t templateId, QWidget* pParentWnd)
    : m_pTemplate(FindDialogTemplate(templateId)), m_pParentWnd(pParentWnd)
{
    SubstituteDialogFonts();
    // A fixed frame with a caption and a close box only.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);
    if (m_pTemplate != nullptr) {
        CreateControls();
    }
}

void CDialog::CreateControls()
{
    setWindowTitle(FromUtf8(m_pTemplate->caption));
    QFont font(FromUtf8(m_pTemplate->fontName));
    font.setPixelSize(PointsToPixels(m_pTemplate->fontPoints, logicalDpiY()));
    setFont(font);
    const QFontMetrics metrics(font);
    m_baseUnits = BaseUnitsOf(metrics.horizontalAdvance(FromUtf8(kBaseUnitLetters)), metrics.height());
    const Rect client = DialogUnitsToPixels({0, 0, m_pTemplate->width, m_pTemplate->height}, m_baseUnits);
    setFixedSize(client.width, client.height);

    // Created in template order, which makes it the tab order too.
    for (const DialogControl& control : m_pTemplate->controls) {
        m_controls.push_back(CreateControl(control));
    }
    GroupRadioButtons();
}

QWidget* CDialog::CreateControl(const DialogControl& control)
{
    const QString text = FromUtf8(control.text);
    QWidget* widget = nullptr;
    switch (control.kind) {
    case ControlKind::Static:
        widget = NewStatic(text, this);
        break;
    case ControlKind::Icon:
        widget = NewIcon(control.iconId, this);
        break;
    case ControlKind::Edit:
        widget = NewEdit(control.exStyle, this);
        break;
    case ControlKind::PushButton: {
        widget = NewPushButton(text, control.style, this);
        const int32_t id = control.id;
        connect(static_cast<QPushButton*>(widget), &QPushButton::clicked, this, [this, id] { OnCommand(id); });
        break;
    }
    case ControlKind::AutoRadioButton:
        widget = new QRadioButton(text, this);
        break;
    case ControlKind::AutoCheckBox:
        widget = new QCheckBox(text, this);
        break;
    }
    widget->setFocusPolicy(FocusPolicyOf(control));
    if (MovesInItsGroup(control.kind)) {
        widget->installEventFilter(this);  // its arrow keys move the focus within its group
    }

    const Rect rect = DialogUnitsToPixels(control.rect, m_baseUnits);
    if (control.kind == ControlKind::Icon) {
        // An icon control takes the size of its icon.
        widget->setGeometry(rect.x, rect.y, kIconSize, kIconSize);
    } else {
        // A text wider than its control in this font widens the control to the right.
        const int width = std::max(rect.width, WidthToShow(control.kind, text, widget));
        widget->setGeometry(rect.x, rect.y, width, rect.height);
    }
    return widget;
}

void CDialog::GroupRadioButtons()
{
    const std::span<const DialogControl> controls = m_pTemplate->controls;
    for (size_t first = 0; first < controls.size(); ++first) {
        if (first > 0 && (controls[first].style & WS_GROUP) == 0) {
            continue;
        }
        QButtonGroup* group = nullptr;
        for (const DialogControl& member : GroupFrom(*m_pTemplate, first)) {
            if (member.kind != ControlKind::AutoRadioButton) {
                continue;
            }
            if (group == nullptr) {
                group = new QButtonGroup(this);
            }
            group->addButton(static_cast<QRadioButton*>(GetDlgItem(member.id)));
        }
    }
}

QWidget* CDialog::GetDlgItem(int32_t id) const
{
    if (m_pTemplate == nullptr) {
        return nullptr;
    }
    const std::span<const DialogControl> controls = m_pTemplate->controls;
    for (size_t i = 0; i < controls.size(); ++i) {
        if (controls[i].id == id) {
            return m_controls[i];
        }
    }
    return nullptr;
}

int CDialog::DoModal()
{
    if (m_pTemplate == nullptr) {
        return -1;
    }
    // Parented to its owner, the dialog opens centred over it.
    QWidget* owner = m_pParentWnd != nullptr ? m_pParentWnd : AfxGetMainWnd();
    setParent(owner, windowFlags());
    setResult(IDCANCEL);  // a dialog hidden by anything but its buttons counts as cancelled
    if (OnInitDialog()) {
        FocusFirstTabStop();
    }
    const int result = exec();
    if (owner != nullptr) {
        owner->activateWindow();  // the owner takes the keyboard back, also without a window manager
    }
    return result;
}

bool CDialog::UpdateData(bool bSaveAndValidate)
{
    CDataExchange exchange(this, bSaveAndValidate);
    DoDataExchange(&exchange);
    return !exchange.m_bFailed;
}

void CDialog::DoDataExchange(CDataExchange*)
{
}

bool CDialog::OnInitDialog()
{
    UpdateData(false);
    return true;
}

void CDialog::OnOK()
{
    if (UpdateData(true)) {
        EndDialog(IDOK);
    }
}

void CDialog::OnCancel()
{
    EndDialog(IDCANCEL);
}

void CDialog::EndDialog(int nResult)
{
    done(nResult);
}

void CDialog::reject()
{
    OnCancel();
}

void CDialog::OnCommand(int32_t id)
{
    if (id == IDOK) {
        OnOK();
    } else if (id == IDCANCEL) {
        OnCancel();
    }
}

void CDialog::FocusFirstTabStop()
{
    const std::optional<size_t> first = TabStopFrom(m_controls.size() - 1, true);
    if (!first) {
        return;
    }
    m_controls[*first]->setFocus(Qt::TabFocusReason);
    if (auto* edit = qobject_cast<QLineEdit*>(m_controls[*first])) {
        edit->selectAll();
    }
}

bool CDialog::focusNextPrevChild(bool next)
{
    // The toolkit would also stop at the checked radio button of a group; the template's tab
    // stops alone decide here.
    const auto focused = std::find(m_controls.begin(), m_controls.end(), focusWidget());
    const size_t position = focused != m_controls.end() ? static_cast<size_t>(focused - m_controls.begin())
                                                        : m_controls.size() - 1;
    const std::optional<size_t> target = m_controls.empty() ? std::nullopt : TabStopFrom(position, next);
    if (!target) {
        return QDialog::focusNextPrevChild(next);
    }
    m_controls[*target]->setFocus(next ? Qt::TabFocusReason : Qt::BacktabFocusReason);
    return true;
}

std::optional<size_t> CDialog::TabStopFrom(size_t position, bool forward) const
{
    return NextControl(position, forward, {0, m_controls.size()},
                       [](const DialogControl& control) { return (control.style & WS_TABSTOP) != 0; });
}

std::optional<size_t> CDialog::GroupItemFrom(size_t position, bool forward) const
{
    const std::span<const DialogControl> controls = m_pTemplate->controls;
    size_t first = position;
    while (first > 0 && (controls[first].style & WS_GROUP) == 0) {
        --first;
    }
    const size_t end = first + GroupFrom(*m_pTemplate, first).size();
    return NextControl(position, forward, {first, end}, [](const DialogControl& control) {
        return control.kind != ControlKind::Static && control.kind != ControlKind::Icon;
    });
}

std::optional<size_t> CDialog::NextControl(size_t position, bool forward, std::pair<size_t, size_t> range,
                                           const std::function<bool(const DialogControl&)>& takes) const
{
    const auto [first, end] = range;
    const size_t count = end - first;
    for (size_t step = 1; step <= count; ++step) {
        const size_t offset = position - first;
        const size_t index = first + (forward ? (offset + step) % count : (offset + count - step) % count);
        if (takes(m_pTemplate->controls[index]) && m_controls[index]->isEnabled() && !m_controls[index]->isHidden()) {
            return index;
        }
    }
    return std::nullopt;
}

bool CDialog::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::KeyPress) {
        return QDialog::eventFilter(watched, event);
    }
    const int key = static_cast<QKeyEvent*>(event)->key();
    const bool previous = key == Qt::Key_Up || key == Qt::Key_Left;
    const bool next = key == Qt::Key_Down || key == Qt::Key_Right;
    const auto control = std::find(m_controls.begin(), m_controls.end(), watched);
    if ((!previous && !next) || control == m_controls.end()) {
        return QDialog::eventFilter(watched, event);
    }
    const auto position = static_cast<size_t>(control - m_controls.begin());
    if (const std::optional<size_t> target = GroupItemFrom(position, next)) {
        m_controls[*target]->setFocus(Qt::OtherFocusReason);
        // An automatic radio button that the arrow keys reach is chosen.
        if (m_pTemplate->controls[*target].kind == ControlKind::AutoRadioButton) {
            static_cast<QAbstractButton*>(m_controls[*target])->setChecked(true);
        }
    }
    return true;
}
