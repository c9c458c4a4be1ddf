// The window side of CDiagramApp: start-up, the command map and the settings dialogs.
#include "app/diagram_app.h"
#include "dialogs/about_dlg.h"
#include "dialogs/color_dlg.h"
#include "dialogs/region_dlg.h"
#include "frame/main_frame.h"
#include "res/resource.h"

QWidget* AfxGetMainWnd()
{
    return dynamic_cast<QWidget*>(CurrentApp().m_pMainWnd);
}

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
    case ID_CALC_REGION:
        OnCalcRegion();
        return true;
    case ID_COLOR_CHANGE:
        OnColorChange();
        return true;
    case ID_APP_ABOUT:
        OnAppAbout();
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

void CDiagramApp::OnCalcRegion()
{
    CRegionDlg dialog;
    dialog.m_dStartX = m_region.xmin;
    dialog.m_dStartY = m_region.ymin;
    dialog.m_dEndX = m_region.xmax;
    dialog.m_dEndY = m_region.ymax;
    if (dialog.DoModal() != IDCANCEL) {
        SetRegion(dialog.m_dStartX, dialog.m_dStartY, dialog.m_dEndX, dialog.m_dEndY);
    }
}

void CDiagramApp::OnColorChange()
{
    CColorDlg dialog;
    dialog.m_nColorScheme = m_nColorScheme;
    dialog.m_bReverse = m_bReverse;
    if (dialog.DoModal() == IDCANCEL) {
        return;
    }
    m_bReverse = dialog.m_bReverse;
    m_nColorScheme = dialog.m_nColorScheme;
    // Even an unchanged choice counts as a display change and repaints, like a refresh tick.
    ++m_nDisplayCount;
    if (m_pMainWnd != nullptr) {
        m_pMainWnd->InvalidateFrame();
    }
}

void CDiagramApp::OnAppAbout()
{
    CAboutDlg dialog;
    dialog.DoModal();
}
