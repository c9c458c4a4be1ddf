// The terminal a program's output may go to: a console window on Windows; and the standard
// streams a program is started with.
#pragma once

#include <cstdio>

// Makes sure that standard input, output and error are open, so that no file the program opens
// later takes one of their places (on POSIX a closed descriptor 0, 1 or 2 is the first a new
// file gets, and what is written to standard output would go into that file). Each closed one
// is opened onto the null device. Called first in main, before any file is opened.
void OpenStandardStreams();

// Whether standard output was closed when OpenStandardStreams ran: what is written to it then
// goes nowhere, so an output named "-" is to be refused.
bool StandardOutputClosed();

// Whether the stream goes to a terminal.
bool IsTerminal(std::FILE* stream);

// Asks the terminal behind the stream to interpret control sequences (such as erasing the
// rest of a line), which a Windows console does only when told to. Returns whether it does;
// false for a terminal that cannot, and for a stream that is no terminal.
bool EnableTerminalSequences(std::FILE* stream);
