#include "framework/main_window.h"

#include <QPointer>
#include <QWidget>

namespace {

// A guarded pointer: it becomes null by itself when the window is destroyed.
QPointer<QWidget> g_mainWindow;

}  // namespace

QWidget* AfxGetMainWnd()
{
    return g_mainWindow.data();
}

void AfxSetMainWnd(QWidget* window)
{
    g_mainWindow = window;
}
