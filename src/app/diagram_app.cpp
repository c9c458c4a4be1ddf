#include "app/diagram_app.h"

#include "framework/timer.h"
#include "platform/system_info.h"

#include <new>

CDiagramApp::CDiagramApp()
{
    SetRegion(kDefaultRegion.xmin, kDefaultRegion.ymin, kDefaultRegion.xmax, kDefaultRegion.ymax);
    m_nProcessors = ProcessorCount();
}

CDiagramApp::~CDiagramApp()
{
    StopCalc();
    ReleaseGrid();
    if (m_nTimerId != 0) {
        KillTimer(m_nTimerId);  // nothing left to kill once the QApplication is gone
    }
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

std::vector<StripeSpec> CDiagramApp::WorkerStripes() const
{
    std::vector<StripeSpec> stripes;
    for (const auto& worker : m_workers) {
        stripes.push_back(worker->Stripe());
    }
    return stripes;
}

bool CDiagramApp::ReplaceGrid(Size grid)
{
    ReleaseGrid();
    const size_t cells = static_cast<size_t>(grid.width) * static_cast<size_t>(grid.height);
    m_pLevels.reset(new (std::nothrow) int32_t[cells]());
    if (m_pLevels == nullptr) {
        return false;
    }
    m_nGridWidth = grid.width;
    m_nGridHeight = grid.height;
    return true;
}

void CDiagramApp::ReleaseGrid()
{
    m_pLevels.reset();
    m_nGridWidth = 0;
    m_nGridHeight = 0;
}
