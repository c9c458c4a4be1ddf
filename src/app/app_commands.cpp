// The commands of CDiagramApp: the command map and the handlers that run the settings dialogs.
#include "app/diagram_app.h"

#include "dialogs/about_dlg.h"
#include "dialogs/color_dlg.h"
#include "dialogs/region_dlg.h"
#include "res/resource.h"

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

bool CDiagramApp::EditRegion(const CalcRegion& shown)
{
    CRegionDlg dialog;
    dialog.m_dStartX = shown.xmin;
    dialog.m_dStartY = shown.ymin;
    dialog.m_dEndX = shown.xmax;
    dialog.m_dEndY = shown.ymax;
    if (dialog.DoModal() == IDCANCEL) {
        return false;
    }
    SetRegion(dialog.m_dStartX, dialog.m_dStartY, dialog.m_dEndX, dialog.m_dEndY);
    return true;
}

void CDiagramApp::OnCalcRegion()
{
    EditRegion(m_region);
}

void CDiagramApp::OnRegionDragged(const CalcRegion& dragged)
{
    if (EditRegion(dragged)) {
        OnCalcStart();
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
