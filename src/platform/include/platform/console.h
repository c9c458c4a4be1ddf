// The terminal a program's output may go to: a console window on Windows.
#pragma once

#include <cstdio>

// Whether the stream goes to a terminal.
bool IsTerminal(std::FILE* stream);

// Asks the terminal behind the stream to interpret control sequences (such as erasing the
// rest of a line), which a Windows console does only when told to. Returns whether it does;
// false for a terminal that cannot, and for a stream that is no terminal.
bool EnableTerminalSequences(std::FILE* stream);
