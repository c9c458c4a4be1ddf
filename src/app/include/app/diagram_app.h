// CDiagramApp: the one owner of the settings, the level grid, the workers of the current
// calculation and the refresh timer, and the handler of the program's commands.
#pragma once

#include "core/calc_region.h"
#include "core/calc_workers.h"
#include "core/level_grid.h"

#include <cstdint>
#include <memory>
#include <vector>

// What the application needs of its main window: the size of the diagram view's client area,
// a repaint of the whole frame (which repaints the view inside it), a refresh of the picture,
// and closing it.
class CMainWindow {
public:
    virtual void GetViewClientSize(int& width, int& height) const = 0;
    virtual void InvalidateFrame() = 0;
    // Brings the picture up to date with the application, repainting only what changed.
    virtual void RefreshFrame() = 0;
    virtual void CloseFrame() = 0;

protected:
    ~CMainWindow() = default;
};

inline constexpr uint32_t kRefreshIntervalMs = 1000;

class CDiagramApp {
public:
    CDiagramApp();
    // Stops the workers, then frees the grid: the workers write into it. Kills the refresh
    // timer, which calls back into this object.
    ~CDiagramApp();
    CDiagramApp(const CDiagramApp&) = delete;
    CDiagramApp& operator=(const CDiagramApp&) = delete;

    void GetRegion(double& xmin, double& ymin, double& xmax, double& ymax) const;
    // Stores the rectangle with two opposite corners given in any order, ordered per axis.
    void SetRegion(double x0, double y0, double x1, double y1);
    void GetGridSize(int& width, int& height) const;
    void GetColorSettings(int& scheme, int& reverse) const;
    // Level of a grid cell, index = row × width + column; unchecked, the grid must exist.
    // Inline: it is called once per cell at every recolouring.
    int GetLevel(int64_t index) const { return LoadLevel(m_pLevels.get(), index); }

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
    // A region dragged over the picture: the region dialog, pre-filled with it; unless it is
    // cancelled its values become the region and a calculation of it starts.
    void OnRegionDragged(const CalcRegion& dragged);

    // Starts a calculation of the current region on a grid fitted to the view: ends the
    // previous workers, replaces the grid with a zero-filled one, starts one worker per
    // processor and the refresh timer unless it runs already.
    void OnCalcStart();
    // Cancels every worker, ends the threads, waits for all of them and releases them.
    // Blocks without processing any event, so nothing re-enters the coordinator meanwhile.
    void StopCalc();
    // The refresh tick: counts a display change, refreshes the picture in the frame, and stops
    // the timer once no worker runs. The workers are counted before the refresh, so the tick
    // that stops the timer shows every level they stored.
    void OnRefreshTimer();
    // The timer's procedure; its context is the application whose tick it is.
    static void RefreshTimerProc(void* context, uint32_t message, uintptr_t id, uint32_t time);

    // The running refresh timer's id; 0 while none runs.
    uint32_t RefreshTimerId() const { return m_nTimerId; }
    // Workers of the current calculation, and those of them still computing.
    int32_t WorkerCount() const { return static_cast<int32_t>(m_workers.size()); }
    int32_t RunningWorkerCount() const { return CountRunning(m_workers); }
    // Rows the workers of the current calculation have stored so far.
    int64_t RowsDone() const { return ::RowsDone(m_workers); }
    // The rows of the grid whose levels are final, one range per worker; the cells of the rest
    // are 0 or, being written just now, any level. Their cells are visible to the caller.
    std::vector<RowRange> StoredRows() const { return ::StoredRows(m_workers, m_nGridHeight); }
    // Lets each worker store rows of its stripe up to this count and then wait for more, in the
    // current calculation and in those started later; kAllRows, the default, holds none back.
    // Tests set the pace of a calculation with it.
    void AllowWorkerRows(int32_t rows);
    // Calculations started since construction; each start replaces the grid and the workers.
    int32_t CalculationsStarted() const { return m_nCalcStarts; }
    // The stripe each worker of the current calculation computes, in stripe order.
    std::vector<StripeSpec> WorkerStripes() const;

    int32_t m_nDisplayCount = 0;
    int32_t m_nColorScheme = 0;
    int32_t m_bReverse = 0;
    int32_t m_nProcessors = 1;
    // The main window, set while it exists; null before and after.
    CMainWindow* m_pMainWnd = nullptr;

private:
    // Frees the grid and allocates a zero-filled one of the given size; without memory for it
    // the grid is left empty (0 × 0) and the result is false.
    bool ReplaceGrid(Size grid);
    // Frees the grid; its size becomes 0 × 0.
    void ReleaseGrid();
    // The region dialog pre-filled with `shown`; unless it is cancelled its values become the
    // region. Returns whether they did.
    bool EditRegion(const CalcRegion& shown);

    uint32_t m_nTimerId = 0;
    std::unique_ptr<int32_t[]> m_pLevels;
    CalcRegion m_region;
    int32_t m_nGridWidth = 0;
    int32_t m_nGridHeight = 0;
    WorkerList m_workers;
    int32_t m_nWorkerRowsAllowed = kAllRows;
    int32_t m_nCalcStarts = 0;
};
