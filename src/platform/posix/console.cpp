#include "platform/console.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <initializer_list>

namespace {

bool g_outputClosed = false;

bool IsClosed(int descriptor)
{
    return fcntl(descriptor, F_GETFD) == -1 && errno == EBADF;
}

// Opens a file in the closed descriptor's place, which is the lowest free number once the lower
// ones are open: the null device, or, where there is none (a bare chroot), the root folder,
// which at least keeps later files off that number.
void FillLowestClosed()
{
    if (open("/dev/null", O_RDWR) < 0) {
        open("/", O_RDONLY | O_DIRECTORY);
    }
}

}  // namespace

void OpenStandardStreams()
{
    // In rising order, so that each closed one is the lowest free when it is filled.
    for (const int descriptor : {STDIN_FILENO, STDOUT_FILENO, STDERR_FILENO}) {
        if (IsClosed(descriptor)) {
            g_outputClosed = g_outputClosed || descriptor == STDOUT_FILENO;
            FillLowestClosed();
        }
    }
}

bool StandardOutputClosed()
{
    return g_outputClosed;
}

bool IsTerminal(std::FILE* stream)
{
    return isatty(fileno(stream)) != 0;
}

bool EnableTerminalSequences(std::FILE* stream)
{
    const char* term = std::getenv("TERM");
    return IsTerminal(stream) && term != nullptr && std::strcmp(term, "dumb") != 0;
}
