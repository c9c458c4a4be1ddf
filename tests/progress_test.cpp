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

TEST(Progress, ALineCoversTheOneBeforeWithOrWithoutTerminalSequences)
{
    ProgressLine sequences(true);
    EXPECT_EQ(sequences.Redraw("rows 10/20"), "\rrows 10/20\033[K");
    EXPECT_EQ(sequences.Clear(), "\r\033[K");

    ProgressLine plain(false);  // a console that would print the sequences as text
    EXPECT_EQ(plain.Redraw("rows 10/20  left 1:00:00"), "\rrows 10/20  left 1:00:00");
    EXPECT_EQ(plain.Redraw("rows 19/20  left 0:01"), "\rrows 19/20  left 0:01   ");
    EXPECT_EQ(plain.Clear(), "\r" + std::string(24, ' ') + "\r");
    EXPECT_EQ(plain.Redraw("x").find('\033'), std::string::npos);
}

}  // namespace
