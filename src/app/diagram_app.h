// CDiagramApp: the one owner of the settings, the level grid, the workers of the current
// calculation and the refresh timer. Holds only standard-library state.
#pragma once

#include "calc/calc_region.h"
#include "calc/calc_workers.h"

#include <atomic>
#include <cstdint>

// What the application needs of its main window: the size of the diagram view's client area
// and a repaint of the whole frame (which repaints the view inside it).
class CMainWindow {
public:
    virtual void GetViewClientSize(int& width, int& height) const = 0;
    virtual void InvalidateFrame() = 0;
    virtual void CloseFrame() = 0;

protected:
    ~CMainWindow() = default;
};

inline constexpr uint32_t kRefreshIntervalMs = 1000;

class CDiagramApp {
public:
    CDiagramApp();
    // Stops the workers, then frees the grid: the workers write into it.
    ~CDiagramApp();
    CDiagramApp(const CDiagramApp&) = delete;
    CDiagramApp& operator=(const CDiagramApp&) = delete;

    void GetRegion(double& xmin, double& ymin, double& xmax, double& ymax) const;
    // Stores the rectangle with two opposite corners given in any order, ordered per axis.
    void SetRegion(double x0, double y0, double x1, double y1);
    void GetGridSize(int& width, int& height) const;
    void GetColorSettings(int& scheme, int& reverse) const;
    // Level of a grid cell, index = row × width + column; unchecked, the grid must exist.
    // Inline: it is called once per cell at every recolouring. A relaxed atomic read, since
    // workers may be writing the cell.
    int GetLevel(int64_t index) const
    {
        return std::atomic_ref<int32_t>(m_pLevels[index]).load(std::memory_order_relaxed);
    }

    // Creates and shows the main window; false when it cannot be created.
    bool InitInstance();
    // The command map: runs the handler of a command; false for an id without one.
    bool OnCmdMsg(uint32_t id);
    // Closes the main window, which ends the program.
    void OnAppExit();
    // The region dialog, pre-filled with the region; its values become the region unless it
    // is cancelled. Nothing else changes: the next calculation start uses them.
    void OnCalcRegion();
    // The colour dialog, pre-filled with the colour settings; unless it is cancelled its
    // values become the settings and the picture is recoloured at the next paint.
    void OnColorChange();
    // The About box.
    void OnAppAbout();

    // Starts a calculation of the current region on a grid fitted to the view: ends the
    // previous workers, replaces the grid with a zero-filled one, starts one worker per
    // processor and the refresh timer unless it runs already.
    void OnCalcStart();
    // Cancels every worker, ends the threads, waits for all of them and releases them.
    // Blocks without processing any event, so nothing re-enters the coordinator meanwhile.
    void StopCalc();
    // The refresh tick: counts a display change, repaints the frame, and stops the timer
    // once no worker runs.
    void OnRefreshTimer();
    static void RefreshTimerProc(void* window, uint32_t message, uintptr_t id, uint32_t time);

    int32_t m_nDisplayCount = 0;
    int32_t m_nColorScheme = 0;
    int32_t m_bReverse = 0;
    uint32_t m_nTimerId = 0;
    int32_t m_nProcessors = 1;
    int32_t* m_pLevels = nullptr;
    CalcRegion m_region;
    int32_t m_nGridWidth = 0;
    int32_t m_nGridHeight = 0;
    WorkerList m_workers;
    // The main window, set while it exists; null before and after.
    CMainWindow* m_pMainWnd = nullptr;

private:
    // Frees the grid and allocates a zero-filled one of the given size; without memory for it
    // the grid is left empty (0 × 0) and the result is false.
    bool ReplaceGrid(GridSize grid);
    // Frees the grid; its size becomes 0 × 0.
    void ReleaseGrid();
};

// The application object of the program.
extern CDiagramApp theApp;

// The application that the program's code works on: theApp, unless a test points it at an
// instance of its own (nullptr points it back at theApp).
CDiagramApp& CurrentApp();
void SetCurrentApp(CDiagramApp* app);
