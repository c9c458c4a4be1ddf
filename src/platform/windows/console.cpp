#include "platform/console.h"

#include <windows.h>
#include <io.h>

namespace {

bool g_outputClosed = false;

HANDLE HandleOf(std::FILE* stream)
{
    return reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream)));
}

// Whether a standard handle leads nowhere: none given, or one that is not open.
bool IsMissing(HANDLE handle)
{
    if (handle == nullptr || handle == INVALID_HANDLE_VALUE) {
        return true;
    }
    return GetFileType(handle) == FILE_TYPE_UNKNOWN && GetLastError() != NO_ERROR;
}

}  // namespace

void OpenStandardStreams()
{
    // A new file never takes a standard handle's place on Windows: there is nothing to fill, only
    // whether standard output leads anywhere to remember.
    g_outputClosed = g_outputClosed || IsMissing(GetStdHandle(STD_OUTPUT_HANDLE));
}

bool StandardOutputClosed()
{
    return g_outputClosed;
}

bool IsTerminal(std::FILE* stream)
{
    DWORD mode = 0;
    return GetConsoleMode(HandleOf(stream), &mode) != 0;
}

bool EnableTerminalSequences(std::FILE* stream)
{
    const HANDLE console = HandleOf(stream);
    DWORD mode = 0;
    if (GetConsoleMode(console, &mode) == 0) {
        return false;
    }
    return (mode & ENABLE_VIRTUAL_TERMINAL_PROCESSING) != 0 ||
           SetConsoleMode(console, mode | ENABLE_VIRTUAL_TERMINAL_PROCESSING) != 0;
}
