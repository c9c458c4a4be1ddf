// The coordinator of CDiagramApp: starting and stopping a calculation and the refresh tick.
#include "app/diagram_app.h"

#include "framework/timer.h"

void CDiagramApp::OnCalcStart()
{
    int clientWidth = 0;
    int clientHeight = 0;
    if (m_pMainWnd != nullptr) {
        m_pMainWnd->GetViewClientSize(clientWidth, clientHeight);
    }
    const std::optional<Size> grid = FitGridToClient(clientWidth, clientHeight, m_region);
    if (!grid) {
        return;  // no room for a picture: the current calculation and grid stay as they are
    }
    StopCalc();

    ++m_nCalcStarts;
    if (!ReplaceGrid(*grid)) {
        return;
    }
    m_workers = StartWorkers(m_pLevels.get(), *grid, m_region, m_nProcessors, m_nWorkerRowsAllowed);
    if (m_workers.empty()) {
        ReleaseGrid();
        return;
    }
    if (m_nTimerId == 0) {
        m_nTimerId = SetTimer(this, kRefreshIntervalMs, &CDiagramApp::RefreshTimerProc);
    }
}

void CDiagramApp::StopCalc()
{
    StopWorkers(m_workers);
}

void CDiagramApp::OnRefreshTimer()
{
    ++m_nDisplayCount;
    // Counted before the refresh reads the rows: a worker clears m_bRunning (release) after its
    // last row, so when none runs here (acquire) the refresh sees every level. Counted after,
    // a worker finishing in between would leave its last rows unshown and no tick to follow.
    const bool finished = m_nTimerId != 0 && CountRunning(m_workers) == 0;
    // The picture shows the new levels as the whole frame's repaint would; on a large screen
    // only the rows stored since the last tick are recoloured and repainted.
    if (m_pMainWnd != nullptr) {
        m_pMainWnd->RefreshFrame();
    }
    if (finished) {
        KillTimer(m_nTimerId);
        m_nTimerId = 0;
    }
}

void CDiagramApp::AllowWorkerRows(int32_t rows)
{
    m_nWorkerRowsAllowed = rows;
    for (auto& worker : m_workers) {
        worker->AllowRows(rows);
    }
}

void CDiagramApp::RefreshTimerProc(void* context, uint32_t, uintptr_t, uint32_t)
{
    static_cast<CDiagramApp*>(context)->OnRefreshTimer();
}
