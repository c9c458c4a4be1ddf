// The dialog data exchange: moving values between a dialog's controls and its members, in
// either direction, with the checks of the saving direction.
#pragma once

#include <cstdint>

class CDialog;

class CDataExchange {
public:
    CDataExchange(CDialog* pDlgWnd, bool bSaveAndValidate) : m_pDlgWnd(pDlgWnd), m_bSaveAndValidate(bSaveAndValidate) {}

    CDialog* const m_pDlgWnd;
    const bool m_bSaveAndValidate;  // true: controls → members, with checks
    // Set by the first exchange that fails; the exchanges after it do nothing.
    bool m_bFailed = false;
};

// The edit's text and a double. Loading writes the value with 15 significant digits; saving
// reads the text as a number, or tells the user to enter one, puts the focus into the edit
// with its whole text selected and fails, leaving the member as it was.
void DDX_Text(CDataExchange* pDX, int32_t nIDC, double& value);

// The radio buttons of the group that starts at the control nIDC and the index of the checked
// one, counting only the radio buttons of the group; -1 when none is checked.
void DDX_Radio(CDataExchange* pDX, int32_t nIDC, int32_t& value);

// A check box and 0 (clear) or 1 (ticked). Loading ticks it for 1 and 2, clears it otherwise.
void DDX_Check(CDataExchange* pDX, int32_t nIDC, int32_t& value);
