// CColorDlg: the colour dialog, the colour scale (its radio button's position: 0 blue, 1 red,
// 2 green, 3 monochrome) and whether it runs in reverse order.
#pragma once

#include "framework/dialog.h"

#include <cstdint>

class CColorDlg : public CDialog {
public:
    explicit CColorDlg(QWidget* pParent = nullptr);

    int32_t m_nColorScheme = -1;  // -1: no radio button checked
    int32_t m_bReverse = 0;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
};
