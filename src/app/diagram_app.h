// CDiagramApp: the one owner of the settings, the level grid, the workers of the current
// calculation and the refresh timer. Holds only standard-library state.
#pragma once

#include "calc/calc_region.h"
#include "calc/win_thread_calc.h"

#include <cstdint>
#include <memory>
#include <vector>

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
    int GetLevel(int64_t index) const;

    // Cancels every worker, ends the threads, waits for all of them and releases them.
    // Blocks without processing any event.
    void StopCalc();

    int32_t m_nDisplayCount = 0;
    int32_t m_nColorScheme = 0;
    int32_t m_bReverse = 0;
    uint32_t m_nTimerId = 0;
    int32_t m_nProcessors = 1;
    int32_t* m_pLevels = nullptr;
    CalcRegion m_region;
    int32_t m_nGridWidth = 0;
    int32_t m_nGridHeight = 0;
    std::vector<std::unique_ptr<CWinThreadCalc>> m_workers;

private:
    void FreeLevels();
};

// The application object of the program.
extern CDiagramApp theApp;

// The application that the program's code works on: theApp, unless a test points it at an
// instance of its own (nullptr points it back at theApp).
CDiagramApp& CurrentApp();
void SetCurrentApp(CDiagramApp* app);
