// How the system's source compares file names, for the shared file functions.
#pragma once

#include <filesystem>

// Whether the two last names name the same entry of one folder: byte for byte on POSIX, without
// regard to case on Windows.
bool IsSameName(const std::filesystem::path& a, const std::filesystem::path& b);
