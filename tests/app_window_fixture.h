// A fresh application object of its own with its main window, as InitInstance makes it, for
// the tests that work through the window.
#pragma once

#include "app/diagram_app.h"
#include "gui/app_start.h"
#include "gui/main_frame.h"
#include "modal_driver.h"

#include <QMenuBar>
#include <QPointer>
#include <QTest>

#include <gtest/gtest.h>

class AppWindow : public testing::Test {
protected:
    AppWindow()
    {
        InitInstance(app);
        frame = dynamic_cast<CMainFrame*>(app.m_pMainWnd);
        frame->resize(700, 560);
        EXPECT_TRUE(QTest::qWaitForWindowExposed(frame));
    }
    ~AppWindow() override
    {
        DropPendingSteps();
        delete frame.data();
    }

    // Chooses a menu item with the keyboard: Alt with the pop-up's mnemonic, then the item's.
    // Returns once the command has run, a dialog it opened included.
    void ChooseMenu(Qt::Key popup, Qt::Key item)
    {
        QApplication::setActiveWindow(frame);
        QTest::keyClick(frame, popup, Qt::AltModifier);
        QMenu* menu = nullptr;
        ASSERT_TRUE(QTest::qWaitFor([&] { return (menu = OpenMenu()) != nullptr; }, kHangGuardMs));
        QTest::keyClick(menu, item);
    }

    CDiagramView& View() { return frame->m_wndView; }

    CalcRegion Region() const
    {
        CalcRegion region;
        app.GetRegion(region.xmin, region.ymin, region.xmax, region.ymax);
        return region;
    }

    Size GridSize() const
    {
        Size grid;
        app.GetGridSize(grid.width, grid.height);
        return grid;
    }

    // The view's pixels as painted, in device pixels.
    QImage ViewPixels() { return View().grab().toImage().convertToFormat(QImage::Format_RGB32); }

    // Starts a calculation and waits until it has finished and its picture is painted.
    void RunCalculation()
    {
        app.OnCalcStart();
        ASSERT_TRUE(QTest::qWaitFor([this] { return app.RefreshTimerId() == 0; }, kHangGuardMs));
        QApplication::processEvents();
        View().repaint();
    }

    QMenu* OpenMenu() const
    {
        for (QAction* action : frame->menuBar()->actions()) {
            if (action->menu()->isVisible()) {
                return action->menu();
            }
        }
        return nullptr;
    }

    CDiagramApp app;
    QPointer<CMainFrame> frame;
};
