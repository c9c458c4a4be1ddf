// The text of a double in a dialog's edit: written as "%.15g" writes it and read back by the
// dialog data exchange's own number grammar. Neither depends on the C library's locale.
// The window keeps this older grammar exactly, as its users type it; the renderer's command
// line and files read the plain decimal numbers of job/number_reading.h instead.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

// Significant digits of a double shown in an edit: all that every double keeps through text.
inline constexpr int kDoubleTextPrecision = 15;

// An edit's text is read through a buffer of this many characters; the rest is not read.
inline constexpr size_t kMaxNumberTextLength = 31;

// The value as "%.15g" writes it in the C locale: at most 15 significant digits, trailing
// zeros and a trailing point dropped, exponent form below 1e-4 and from 1e15 on.
std::string DoubleToText(double value);

// The value of an edit's text, or nothing when the text is not a number. Of the first 31
// characters, blanks (spaces and tabs) may surround one decimal number: an optional sign,
// digits with at most one ".", then optionally an exponent (e, E, d or D, an optional sign,
// digits). A value beyond the range of a double becomes an infinity of its sign, one too small
// becomes 0. A zero must be written with a leading "0": "-0", "+0" and ".0" are not numbers.
std::optional<double> TextToDouble(std::u16string_view text);
