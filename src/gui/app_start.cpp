#include "gui/app_start.h"

#include "framework/main_window.h"
#include "framework/toolkit_language.h"
#include "gui/main_frame.h"
#include "res/resource.h"

bool InitInstance(CDiagramApp& app)
{
    UseJapaneseToolkitTexts();
    auto* frame = new CMainFrame(app);
    app.m_pMainWnd = frame;
    AfxSetMainWnd(frame);
    if (!frame->LoadFrame(IDR_MAINFRAME)) {
        delete frame;
        return false;
    }
    frame->show();
    return true;
}
