// The program's string table (UTF-8).
#pragma once

#include <cstdint>
#include <string_view>

// <windows.h> makes this name a macro for its own function; here it names the table's.
#undef LoadString

// The string with the given id; empty for an id the table does not hold.
std::string_view LoadString(uint32_t id);

// The part of a string before its first line break: a title or a status-line prompt.
std::string_view FirstLine(std::string_view text);
