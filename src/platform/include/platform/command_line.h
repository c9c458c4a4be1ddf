// The program's command-line arguments as UTF-8 text, on every system.
#pragma once

#include <string>
#include <vector>

// The arguments after the program's name. On Windows they are read from the system as UTF-16:
// the narrow argv holds them in the ANSI code page, which cannot hold every file name.
std::vector<std::string> Utf8Arguments(int argc, char** argv);
