#include "dialogs/color_dlg.h"

#include "framework/data_exchange.h"
#include "res/resource.h"

CColorDlg::CColorDlg(QWidget* pParent) : CDialog(IDD_COLOR, pParent)
{
}

void CColorDlg::DoDataExchange(CDataExchange* pDX)
{
    CDialog::DoDataExchange(pDX);
    DDX_Radio(pDX, IDC_COLOR_BLUE, m_nColorScheme);
    DDX_Check(pDX, IDC_REVERSE, m_bReverse);
}
