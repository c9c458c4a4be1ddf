// File names as UTF-8 text, on every system: the program keeps names in UTF-8 and hands them
// to the system in its own encoding (UTF-16 on Windows).
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

std::filesystem::path PathFromUtf8(std::string_view utf8);
std::string Utf8FromPath(const std::filesystem::path& path);
