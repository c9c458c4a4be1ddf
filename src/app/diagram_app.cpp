#include "app/diagram_app.h"

#include "platform/system_info.h"

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
    ReleaseGrid();
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

void CDiagramApp::StopCalc()
{
    StopWorkers(m_workers);
}

bool CDiagramApp::ReplaceGrid(GridSize grid)
{
    ReleaseGrid();
    const size_t cells = static_cast<size_t>(grid.width) * static_cast<size_t>(grid.height);
    m_pLevels = static_cast<int32_t*>(std::calloc(cells, sizeof(int32_t)));
    if (cells > 0 && m_pLevels == nullptr) {
        return false;
    }
    m_nGridWidth = grid.width;
    m_nGridHeight = grid.height;
    return true;
}

void CDiagramApp::ReleaseGrid()
{
    std::free(m_pLevels);
    m_pLevels = nullptr;
    m_nGridWidth = 0;
    m_nGridHeight = 0;
}
