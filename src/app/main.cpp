// The program's entry point: the application object theApp is already constructed; the
// QApplication runs the message loop; theApp is destroyed at process exit, after it.
#include "app/diagram_app.h"

#include <QApplication>

#include <cstdio>

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    if (!theApp.InitInstance()) {
        std::fputs("corvalis: the main window cannot be created\n", stderr);
        return 1;
    }
    return application.exec();
}
