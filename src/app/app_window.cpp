// The window side of CDiagramApp: start-up and the command map.
#include "app/diagram_app.h"
#include "frame/main_frame.h"
#include "res/resource.h"

bool CDiagramApp::InitInstance()
{
    auto* frame = new CMainFrame;
    m_pMainWnd = frame;
    if (!frame->LoadFrame(IDR_MAINFRAME)) {
        delete frame;
        return false;
    }
    frame->show();
    return true;
}

bool CDiagramApp::OnCmdMsg(uint32_t id)
{
    switch (id) {
    case ID_CALC_START:
        OnCalcStart();
        return true;
    case ID_APP_EXIT:
        OnAppExit();
        return true;
    default:
        return false;
    }
}

void CDiagramApp::OnAppExit()
{
    if (m_pMainWnd != nullptr) {
        m_pMainWnd->CloseFrame();
    }
}
