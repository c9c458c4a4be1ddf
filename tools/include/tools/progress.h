// The progress line of corvalis-render.
#pragma once

#include <cstdint>
#include <string>

// "rows 120/660  18%  elapsed 0:04  left 0:18"; the time left is estimated from the rate so
// far and shown as "?" before the first row is done.
std::string FormatProgress(int64_t rowsDone, int64_t totalRows, double elapsedSeconds);

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
