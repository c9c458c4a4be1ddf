// CMainFrame: the program's one window. It holds the diagram view as its whole client area,
// builds its menu and accelerators from the resource tables and routes every command
// view → frame → application.
#pragma once

#include "app/diagram_app.h"
#include "gui/diagram_view.h"

#include <QMainWindow>

#include <cstdint>

class CMainFrame : public QMainWindow, public CMainWindow {
public:
    // The frame of the given application, which it routes commands to and which its view shows.
    explicit CMainFrame(CDiagramApp& app);
    ~CMainFrame() override;

    // Builds the window from the resources with the given id: title, menu, accelerators and
    // the view. Returns false when the window cannot be made.
    bool LoadFrame(uint32_t resourceId);

    // Offers the command to the view, then to the frame's own map, then to the application.
    bool OnCmdMsg(uint32_t id);

    void GetViewClientSize(int& width, int& height) const override;
    void InvalidateFrame() override;
    void RefreshFrame() override;
    void CloseFrame() override;

    CDiagramView m_wndView;

protected:
    void focusInEvent(QFocusEvent* event) override;

private:
    void OnSetFocus();
    void CreateMenu();
    void CreateAccelerators();

    CDiagramApp& m_app;
};
