#include "app/diagram_app.h"

#include "platform/system_info.h"

#include <atomic>
#include <cstdlib>

CDiagramApp theApp;

namespace {
CDiagramApp* g_currentApp = nullptr;
}

CDiagramApp& CurrentApp()
{
    return g_currentApp != nullptr ? *g_currentApp : theApp;
}

void SetCurrentApp(CDiagramApp* app)
{
    g_currentApp = app;
}

CDiagramApp::CDiagramApp()
{
    SetRegion(0.0, 3.0, 1.0, 4.0);
    m_nProcessors = ProcessorCount();
}

CDiagramApp::~CDiagramApp()
{
    StopCalc();
    FreeLevels();
}

void CDiagramApp::GetRegion(double& xmin, double& ymin, double& xmax, double& ymax) const
{
    xmin = m_region.xmin;
    ymin = m_region.ymin;
    xmax = m_region.xmax;
    ymax = m_region.ymax;
}

void CDiagramApp::SetRegion(double x0, double y0, double x1, double y1)
{
    m_region = OrderedRegion(x0, y0, x1, y1);
}

void CDiagramApp::GetGridSize(int& width, int& height) const
{
    width = m_nGridWidth;
    height = m_nGridHeight;
}

void CDiagramApp::GetColorSettings(int& scheme, int& reverse) const
{
    scheme = m_nColorScheme;
    reverse = m_bReverse;
}

int CDiagramApp::GetLevel(int64_t index) const
{
    return std::atomic_ref<int32_t>(m_pLevels[index]).load(std::memory_order_relaxed);
}

void CDiagramApp::StopCalc()
{
    if (m_workers.empty()) {
        return;
    }
    // Every worker is told to cancel before it is told to quit.
    for (auto& worker : m_workers) {
        worker->m_bCancel.store(1, std::memory_order_relaxed);
        worker->PostThreadMessage(WM_CALC_QUIT, 0, 0);
    }
    std::vector<CWinThread*> threads;
    threads.reserve(m_workers.size());
    for (auto& worker : m_workers) {
        threads.push_back(worker.get());
    }
    WaitForAllThreads(threads);
    m_workers.clear();
    m_workers.shrink_to_fit();
}

void CDiagramApp::FreeLevels()
{
    std::free(m_pLevels);
    m_pLevels = nullptr;
}
