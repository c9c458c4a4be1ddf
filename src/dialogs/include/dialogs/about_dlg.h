// CAboutDlg: the About box, the program's icon, name and version and who made it.
#pragma once

#include "framework/dialog.h"

class CAboutDlg : public CDialog {
public:
    CAboutDlg();
};
