// The progress line of corvalis-render.
#pragma once

#include <cstdint>
#include <string>

// "rows 120/660  18%  elapsed 0:04  left 0:18"; the time left is estimated from the rate so
// far and shown as "?" before the first row is done.
std::string FormatProgress(int64_t rowsDone, int64_t totalRows, double elapsedSeconds);

// Where a film stands: the frames done of those to do, and what they cost in iterations.
struct FilmProgress {
    int32_t frame = 0;  // the frame being made
    int32_t framesDone = 0;
    int32_t framesToDo = 0;
    double costDone = 0.0;       // of the frames done
    double frameCost = 0.0;      // of the frame being made
    double costToDo = 0.0;       // of every frame to do
    double secondsBefore = 0.0;  // spent on the frames done
};

// "frame 12 (5/45)  rows 120/240  elapsed 1:10  left 12:05": the frame being made, the frames
// done and to do, the frame's rows, and the time left estimated from the share of the film's
// iterations done so far.
std::string FormatFilmProgress(const FilmProgress& film, int64_t rowsDone, int64_t rowsToDo, double frameSeconds);

// Draws a line over the one drawn before on a terminal: with the terminal's sequence that
// erases the rest of the line where it interprets it, otherwise by covering the rest of a
// longer line before with spaces.
class ProgressLine {
public:
    explicit ProgressLine(bool terminalSequences) : m_terminalSequences(terminalSequences) {}

    // What to write to show `text` in place of the line before.
    std::string Redraw(const std::string& text);
    // What to write to leave an empty line, the cursor at its start.
    std::string Clear();

private:
    bool m_terminalSequences;
    size_t m_shownLength = 0;
};
