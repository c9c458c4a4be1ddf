// CDialog: a modal dialog built from a dialog template, in the template's font with its
// dialog units, and run with the keys of the system's dialogs: Tab in template order, Enter
// for the default button, Escape and the close box for Cancel.
#pragma once

#include "platform/dialog_units.h"
#include "res/dialog_template.h"

#include <QDialog>
#include <QIcon>

#include <cstdint>
#include <functional>
#include <optional>
#include <utility>
#include <vector>

class CDataExchange;

// The icon resource with the given id: IDR_MAINFRAME is the program's icon, compiled into this
// library in every size; a null icon for an id without one.
QIcon LoadIcon(uint32_t iconId);

// Shows the string resource in a message box with the exclamation icon and one OK button,
// captioned with the application's title, modal over the open dialog (or the main window).
void AfxMessageBox(uint32_t promptId);

class CDialog : public QDialog {
public:
    // Builds the dialog from its template; a dialog without a template cannot run.
    explicit CDialog(uint32_t templateId, QWidget* pParentWnd = nullptr);

    // Runs the dialog modally, centred over its owner: the parent given at construction, or the
    // main window. Returns IDOK or IDCANCEL, or -1 when the dialog has no template.
    int DoModal();

    // Loads every control from its member (false) or stores every control into its member
    // (true), in exchange order; false when an exchange failed.
    bool UpdateData(bool bSaveAndValidate = true);

    // The control with the given id; null for an id no control has.
    QWidget* GetDlgItem(int32_t id) const;

    const DialogTemplate* Template() const { return m_pTemplate; }
    DialogBaseUnits BaseUnits() const { return m_baseUnits; }

protected:
    // Moves the values between the controls and the members; a dialog without data does nothing.
    virtual void DoDataExchange(CDataExchange* pDX);
    // Loads the controls; true lets the first control with a tab stop take the focus.
    virtual bool OnInitDialog();
    // Ends the dialog with IDOK once every exchange has stored its value.
    virtual void OnOK();
    // Ends the dialog with IDCANCEL without reading any control.
    virtual void OnCancel();
    void EndDialog(int nResult);

    // Escape and the close box.
    void reject() override;
    // Tab and Shift+Tab: the next or previous control with a tab stop, in template order.
    bool focusNextPrevChild(bool next) override;
    // The arrow keys on a button: the next (down, right) or previous (up, left) control of its
    // group, going round; an automatic radio button reached so is chosen.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void CreateControls();
    QWidget* CreateControl(const DialogControl& control);
    void GroupRadioButtons();
    void OnCommand(int32_t id);
    void FocusFirstTabStop();
    // The first control with a tab stop after (or before) the one at `position`, going round;
    // the control itself last. Nothing when no control has a tab stop.
    std::optional<size_t> TabStopFrom(size_t position, bool forward) const;
    // The same for the controls of the group of the one at `position` that can take the focus:
    // a group runs from a control with WS_GROUP (or the first) to the next with WS_GROUP.
    std::optional<size_t> GroupItemFrom(size_t position, bool forward) const;
    // The first control after (or before) `position` within [first, end) that `takes` and that is
    // enabled and not hidden, going round; the control itself last.
    std::optional<size_t> NextControl(size_t position, bool forward, std::pair<size_t, size_t> range,
                                      const std::function<bool(const DialogControl&)>& takes) const;

    const DialogTemplate* m_pTemplate;
    QWidget* m_pParentWnd;
    DialogBaseUnits m_baseUnits;
    std::vector<QWidget*> m_controls;  // one per template control, in template order
};
