#include "platform/console.h"

#include <unistd.h>

#include <cstdlib>
#include <cstring>

bool IsTerminal(std::FILE* stream)
{
    return isatty(fileno(stream)) != 0;
}

bool EnableTerminalSequences(std::FILE* stream)
{
    const char* term = std::getenv("TERM");
    return IsTerminal(stream) && term != nullptr && std::strcmp(term, "dumb") != 0;
}
