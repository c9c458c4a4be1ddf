// CAboutDlg: the About box, the program's icon, name and version and who made it.
#pragma once

#include "platform/dialog.h"

class CAboutDlg : public CDialog {
public:
    CAboutDlg();
};
