// The program's entry point and its one application object: theApp is constructed before
// main, the QApplication runs the message loop, and theApp is destroyed at process exit,
// after it.
#include "app/diagram_app.h"
#include "gui/app_start.h"

#include <QApplication>

#include <cstdio>

CDiagramApp theApp;

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    // Matches the running program to its desktop entry (the Wayland application id; on X11
    // the window class is the program's name, corvalis, already).
    QGuiApplication::setDesktopFileName(QStringLiteral("corvalis"));
    if (!InitInstance(theApp)) {
        std::fputs("corvalis: the main window cannot be created\n", stderr);
        return 1;
    }
    return application.exec();
}
