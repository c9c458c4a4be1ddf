// CRegionDlg: the calculation-region dialog, the start and the end of the region on both axes
// (horizontal: the orbit value x; vertical: the parameter a).
#pragma once

#include "framework/dialog.h"

class CRegionDlg : public CDialog {
public:
    explicit CRegionDlg(QWidget* pParent = nullptr);

    double m_dStartX = 0.0;
    double m_dStartY = 0.0;
    double m_dEndX = 0.0;
    double m_dEndY = 0.0;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
};
