// The start-up of CDiagramApp: the one member that creates the window classes.
#include "app/diagram_app.h"
#include "framework/main_window.h"
#include "framework/toolkit_language.h"
#include "gui/main_frame.h"
#include "res/resource.h"

bool CDiagramApp::InitInstance()
{
    UseJapaneseToolkitTexts();
    auto* frame = new CMainFrame(*this);
    m_pMainWnd = frame;
    AfxSetMainWnd(frame);
    if (!frame->LoadFrame(IDR_MAINFRAME)) {
        delete frame;
        return false;
    }
    frame->show();
    return true;
}
