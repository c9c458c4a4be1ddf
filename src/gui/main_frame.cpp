#include "gui/main_frame.h"

#include "framework/qt_text.h"
#include "res/menu_table.h"
#include "res/resource.h"
#include "res/string_table.h"

#include <QGuiApplication>
#include <QMenuBar>
#include <QScreen>
#include <QShortcut>

namespace {

QKeySequence KeysOf(const Accelerator& accelerator)
{
    int key = 0;
    switch (accelerator.key) {
    case VK_BACK:
        key = Qt::Key_Backspace;
        break;
    case VK_INSERT:
        key = Qt::Key_Insert;
        break;
    case VK_DELETE:
        key = Qt::Key_Delete;
        break;
    case VK_F6:
        key = Qt::Key_F6;
        break;
    default:
        key = accelerator.key;  // letters: their upper-case character is their Qt key
        break;
    }
    if (accelerator.flags & FCONTROL) {
        key |= Qt::ControlModifier;
    }
    if (accelerator.flags & FSHIFT) {
        key |= Qt::ShiftModifier;
    }
    if (accelerator.flags & FALT) {
        key |= Qt::AltModifier;
    }
    return QKeySequence(key);
}

}  // namespace

CMainFrame::CMainFrame(CDiagramApp& app) : m_wndView(app), m_app(app)
{
    setAttribute(Qt::WA_DeleteOnClose);  // the object goes with its window
    setFocusPolicy(Qt::StrongFocus);
}

CMainFrame::~CMainFrame()
{
    if (m_app.m_pMainWnd == this) {
        m_app.m_pMainWnd = nullptr;
    }
}

bool CMainFrame::LoadFrame(uint32_t resourceId)
{
    setWindowTitle(FromUtf8(FirstLine(LoadString(resourceId))));
    CreateMenu();
    CreateAccelerators();
    setCentralWidget(&m_wndView);
    m_wndView.setFocus();
    // The system's choice of a first size: about three quarters of the available screen.
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        resize(screen->availableSize() * 3 / 4);
    }
    return true;
}

void CMainFrame::CreateMenu()
{
    for (const MenuPopup& popup : MainMenu()) {
        QMenu* menu = menuBar()->addMenu(FromUtf8(popup.text));
        for (const MenuItem& item : popup.items) {
            const uint32_t command = item.command;
            menu->addAction(FromUtf8(item.text), this, [this, command] { OnCmdMsg(command); });
        }
    }
}

void CMainFrame::CreateAccelerators()
{
    for (const Accelerator& accelerator : MainAccelerators()) {
        const uint32_t command = accelerator.command;
        auto* shortcut = new QShortcut(KeysOf(accelerator), this);
        connect(shortcut, &QShortcut::activated, this, [this, command] { OnCmdMsg(command); });
    }
}

bool CMainFrame::OnCmdMsg(uint32_t id)
{
    if (m_wndView.OnCmdMsg(id)) {
        return true;
    }
    // The frame has no commands of its own.
    return m_app.OnCmdMsg(id);
}

void CMainFrame::GetViewClientSize(int& width, int& height) const
{
    const Size size = m_wndView.ClientSize();
    width = size.width;
    height = size.height;
}

void CMainFrame::InvalidateFrame()
{
    // The frame does not clip its children: repainting it repaints the view inside it.
    update();
    m_wndView.update();
}

void CMainFrame::RefreshFrame()
{
    m_wndView.Refresh();
}

void CMainFrame::CloseFrame()
{
    close();
}

void CMainFrame::focusInEvent(QFocusEvent* event)
{
    QMainWindow::focusInEvent(event);
    OnSetFocus();
}

void CMainFrame::OnSetFocus()
{
    m_wndView.setFocus();
}
