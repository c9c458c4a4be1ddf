// File names as UTF-8 text, on every system: the program keeps names in UTF-8 and hands them
// to the system in its own encoding (UTF-16 on Windows).
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

std::filesystem::path PathFromUtf8(std::string_view utf8);
std::string Utf8FromPath(const std::filesystem::path& path);

// A name as a one-line message shows it: in single quotes, with control characters as C escapes
// (\n, \t, \x1b), so that no name breaks the line.
std::string QuotedName(std::string_view utf8);
