#include "framework/data_exchange.h"

#include "framework/dialog.h"
#include "framework/qt_text.h"
#include "platform/number_text.h"
#include "res/resource.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QLineEdit>

#include <vector>

namespace {

// The radio buttons of the group that starts at the control `firstId`, in template order.
std::vector<QAbstractButton*> RadioGroup(const CDialog& dialog, int32_t firstId)
{
    std::vector<QAbstractButton*> buttons;
    for (const DialogControl* radio : RadioButtonsFrom(*dialog.Template(), firstId)) {
        buttons.push_back(static_cast<QAbstractButton*>(dialog.GetDlgItem(radio->id)));
    }
    return buttons;
}

}  // namespace

void DDX_Text(CDataExchange* pDX, int32_t nIDC, double& value)
{
    if (pDX->m_bFailed) {
        return;
    }
    auto* edit = static_cast<QLineEdit*>(pDX->m_pDlgWnd->GetDlgItem(nIDC));
    if (!pDX->m_bSaveAndValidate) {
        edit->setText(QString::fromStdString(DoubleToText(value)));
        return;
    }
    if (const std::optional<double> number = TextToDouble(Utf16Of(edit->text()))) {
        value = *number;
        return;
    }
    AfxMessageBox(AFX_IDP_PARSE_REAL);
    pDX->m_pDlgWnd->activateWindow();  // back from the message box, also without a window manager
    edit->setFocus();
    edit->selectAll();
    pDX->m_bFailed = true;
}

void DDX_Radio(CDataExchange* pDX, int32_t nIDC, int32_t& value)
{
    if (pDX->m_bFailed) {
        return;
    }
    const std::vector<QAbstractButton*> buttons = RadioGroup(*pDX->m_pDlgWnd, nIDC);
    const auto count = static_cast<int32_t>(buttons.size());
    if (pDX->m_bSaveAndValidate) {
        value = -1;
        for (int32_t index = 0; index < count; ++index) {
            if (buttons[index]->isChecked()) {
                value = index;
            }
        }
        return;
    }
    // The group lets no button be cleared while it is exclusive; a value that names no button
    // clears them all.
    QButtonGroup* group = count > 0 ? buttons.front()->group() : nullptr;
    if (group != nullptr) {
        group->setExclusive(false);
    }
    for (int32_t index = 0; index < count; ++index) {
        buttons[index]->setChecked(index == value);
    }
    if (group != nullptr) {
        group->setExclusive(true);
    }
}

void DDX_Check(CDataExchange* pDX, int32_t nIDC, int32_t& value)
{
    if (pDX->m_bFailed) {
        return;
    }
    auto* box = static_cast<QAbstractButton*>(pDX->m_pDlgWnd->GetDlgItem(nIDC));
    if (pDX->m_bSaveAndValidate) {
        value = box->isChecked() ? 1 : 0;
    } else {
        // 2, the third state, shows as ticked on a box of two states.
        box->setChecked(value == 1 || value == 2);
    }
}
