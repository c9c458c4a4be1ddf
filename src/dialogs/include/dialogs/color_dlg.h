// CColorDlg: the colour dialog: the colour scheme, as the position of its checked radio button
// (the buttons stand in the order of the colour schemes' table), and whether it runs in reverse
// order.
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
