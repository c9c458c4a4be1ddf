// The number grammar of the renderer's command line and of its rows files: exactly the text
// that std::from_chars reads, whole, as finite numbers. The window's edits read numbers by the
// dialog data exchange's own, older rules (platform/number_text.h: blanks, "d" exponents, an
// overflow becoming an infinity); a command line and a file header have no use for those, and
// a number that is not exactly one decimal number is refused there rather than guessed at.
#pragma once

#include "platform/geometry.h"

#include <cstdint>
#include <optional>
#include <string_view>

// Parses a whole string as a finite decimal number, with or without a leading plus sign as the
// window's edits take it; nothing else is accepted.
std::optional<double> ParseFiniteNumber(std::string_view text);

// Whether the string is a decimal number so close to 0 that a double holds only 0 for it.
bool UnderflowsToZero(std::string_view text);

// Parses a whole decimal number from least to most.
std::optional<int32_t> ParseWholeNumber(std::string_view text, int32_t least, int32_t most);

// Parses "WxH" with whole numbers from least to most.
std::optional<Size> ParseSize(std::string_view text, int32_t least, int32_t most);
