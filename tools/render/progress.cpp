#include "tools/progress.h"

#include <algorithm>
#include <cstdio>

namespace {

std::string FormatDuration(double seconds)
{
    const int64_t whole = static_cast<int64_t>(seconds);
    char text[32];
    if (whole >= 3600) {
        std::snprintf(text, sizeof text, "%lld:%02lld:%02lld", static_cast<long long>(whole / 3600),
                      static_cast<long long>(whole / 60 % 60), static_cast<long long>(whole % 60));
    } else {
        std::snprintf(text, sizeof text, "%lld:%02lld", static_cast<long long>(whole / 60),
                      static_cast<long long>(whole % 60));
    }
    return text;
}

}  // namespace

std::string FormatProgress(int64_t rowsDone, int64_t totalRows, double elapsedSeconds)
{
    const int64_t percent = totalRows > 0 ? rowsDone * 100 / totalRows : 100;
    std::string left = "?";
    if (rowsDone > 0) {
        left = FormatDuration(elapsedSeconds * static_cast<double>(totalRows - rowsDone) /
                              static_cast<double>(rowsDone));
    }
    return "rows " + std::to_string(rowsDone) + "/" + std::to_string(totalRows) + "  " + std::to_string(percent) +
           "%  elapsed " + FormatDuration(elapsedSeconds) + "  left " + left;
}

std::string FormatFilmProgress(const FilmProgress& film, int64_t rowsDone, int64_t rowsToDo, double frameSeconds)
{
    const double elapsed = film.secondsBefore + frameSeconds;
    const double frameShare = rowsToDo > 0 ? static_cast<double>(rowsDone) / static_cast<double>(rowsToDo) : 0.0;
    const double done = film.costToDo > 0 ? (film.costDone + film.frameCost * frameShare) / film.costToDo : 0.0;
    const std::string left = done > 0 ? FormatDuration(elapsed * (1.0 - done) / done) : "?";
    return "frame " + std::to_string(film.frame) + " (" + std::to_string(film.framesDone + 1) + "/" +
           std::to_string(film.framesToDo) + ")  rows " + std::to_string(rowsDone) + "/" + std::to_string(rowsToDo) +
           "  elapsed " + FormatDuration(elapsed) + "  left " + left;
}

std::string ProgressLine::Redraw(const std::string& text)
{
    std::string out = "\r" + text;
    if (m_terminalSequences) {
        out += "\033[K";
    } else if (text.size() < m_shownLength) {
        out.append(m_shownLength - text.size(), ' ');
    }
    m_shownLength = std::max(m_shownLength, text.size());
    return out;
}

std::string ProgressLine::Clear()
{
    if (m_terminalSequences) {
        return "\r\033[K";
    }
    std::string blank(m_shownLength + 2, ' ');
    blank.front() = '\r';
    blank.back() = '\r';
    return blank;
}
