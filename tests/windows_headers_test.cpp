// <windows.h> first, then every header of the pure floors: the system's macros take the names
// of some of their constants, which must then stand for the same values.
#include <windows.h>

#include "core/calc_layout.h"
#include "core/calc_region.h"
#include "core/calc_workers.h"
#include "core/exact_log.h"
#include "core/level_grid.h"
#include "core/orbit_density.h"
#include "core/stripe_pool.h"
#include "core/truncate.h"
#include "core/win_thread_calc.h"
#include "job/byte_sink.h"
#include "job/computation.h"
#include "job/film.h"
#include "job/npy_file.h"
#include "job/number_reading.h"
#include "job/output_file.h"
#include "job/pgm_file.h"
#include "job/picture_rows.h"
#include "job/png_file.h"
#include "job/render_job.h"
#include "job/row_source.h"
#include "job/rows_file.h"
#include "platform/command_line.h"
#include "platform/console.h"
#include "platform/cpu_features.h"
#include "platform/dialog_units.h"
#include "platform/file_io.h"
#include "platform/file_path.h"
#include "platform/geometry.h"
#include "platform/interrupt.h"
#include "platform/number_text.h"
#include "platform/system_info.h"
#include "platform/win_thread.h"
#include "render/color_scale.h"
#include "render/drag_selection.h"
#include "render/image_pipeline.h"
#include "render/placement.h"
#include "render/region_label.h"
#include "res/dialog_template.h"
#include "res/menu_table.h"
#include "res/resource.h"
#include "res/string_table.h"
#include "tools/icon_files.h"
#include "tools/progress.h"
#include "tools/render_options.h"

#include <gtest/gtest.h>

namespace {

TEST(WindowsHeaders, TheSystemsNamesKeepTheProgramsValues)
{
    EXPECT_EQ(WM_CALC_QUIT, 1125u);
    EXPECT_EQ(IDOK, 1);
    EXPECT_EQ(IDCANCEL, 2);
    EXPECT_EQ(WS_GROUP, 0x00020000);
    EXPECT_EQ(WS_TABSTOP, 0x00010000);
    EXPECT_EQ(BS_DEFPUSHBUTTON, 0x0001);
    EXPECT_EQ(WS_EX_STATICEDGE, 0x00020000);
    EXPECT_EQ(VK_F6, 0x75);
    EXPECT_EQ(FCONTROL, 0x08);
    // The program's own functions are still reached under names the system also uses.
    EXPECT_EQ(LoadString(IDR_MAINFRAME), "Corvalis");
    const std::unique_ptr<CWinThreadCalc> worker = AfxBeginThread<CWinThreadCalc>();
    ASSERT_NE(worker, nullptr);
    worker->PostThreadMessage(WM_CALC_QUIT, 0, 0);
    worker->ResumeThread();
    worker->Join();
}

}  // namespace
