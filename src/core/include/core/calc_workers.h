// Running the workers of one calculation: one per stripe, all configured before any starts,
// and all ended and waited for together.
#pragma once

#include "core/calc_layout.h"
#include "core/win_thread_calc.h"

#include <memory>
#include <vector>

using WorkerList = std::vector<std::unique_ptr<CWinThreadCalc>>;

// Creates `count` suspended workers, worker i with stripe i of the grid and the given row
// allowance (CWinThreadCalc::AllowRows), and resumes them only once every one is created and
// configured. Returns no workers when a thread cannot be made.
WorkerList StartWorkers(int32_t* levels, Size grid, const CalcRegion& region, int32_t count,
                        int32_t rowsAllowed = kAllRows);

// Sets every worker's cancel flag, then posts its quit message; waits until every thread has
// ended (without processing any event) and deletes the workers.
void StopWorkers(WorkerList& workers);

// Workers whose computation has not ended yet (acquire reads of m_bRunning, so the levels of
// every finished worker are visible to the caller).
int32_t CountRunning(const WorkerList& workers);

// Rows stored so far by all workers.
int64_t RowsDone(const WorkerList& workers);

// The rows of a grid of the given height whose levels are final: those each worker has stored,
// from its stripe's first row on. Read with acquire order, so their cells are visible.
std::vector<RowRange> StoredRows(const WorkerList& workers, int32_t gridHeight);
