#include "dialogs/region_dlg.h"

#include "framework/data_exchange.h"
#include "res/resource.h"

CRegionDlg::CRegionDlg(QWidget* pParent) : CDialog(IDD_CALC_REGION, pParent)
{
}

void CRegionDlg::DoDataExchange(CDataExchange* pDX)
{
    CDialog::DoDataExchange(pDX);
    DDX_Text(pDX, IDC_START_X, m_dStartX);
    DDX_Text(pDX, IDC_START_Y, m_dStartY);
    DDX_Text(pDX, IDC_END_X, m_dEndX);
    DDX_Text(pDX, IDC_END_Y, m_dEndY);
}
