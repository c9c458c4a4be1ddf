#include "tools/progress.h"

#include <gtest/gtest.h>

namespace {

TEST(Progress, ShowsRowsPercentElapsedAndTimeLeft)
{
    EXPECT_EQ(FormatProgress(165, 660, 4.2), "rows 165/660  25%  elapsed 0:04  left 0:12");
    EXPECT_EQ(FormatProgress(0, 660, 1.0), "rows 0/660  0%  elapsed 0:01  left ?");
    EXPECT_EQ(FormatProgress(1, 2, 3725.0), "rows 1/2  50%  elapsed 1:02:05  left 1:02:05");
    EXPECT_EQ(FormatProgress(0, 0, 0.0), "rows 0/0  100%  elapsed 0:00  left ?");
}

}  // namespace
