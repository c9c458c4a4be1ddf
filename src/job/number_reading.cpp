#include "job/number_reading.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace {

// The number without the plus sign it may begin with, as the window's edits take it.
std::string_view WithoutPlus(std::string_view text)
{
    return text.size() > 1 && text[0] == '+' && text[1] != '-' && text[1] != '+' ? text.substr(1) : text;
}

// Whether a number that a double cannot hold is too small rather than too large: the power of
// ten of its first significant digit is below 0.
bool IsBelowOne(std::string_view number)
{
    const size_t e = number.find_first_of("eE");
    const std::string_view mantissa = number.substr(0, e);
    long exponent = 0;
    if (e != std::string_view::npos) {
        const std::string_view digits = WithoutPlus(number.substr(e + 1));
        if (std::from_chars(digits.data(), digits.data() + digits.size(), exponent).ec != std::errc()) {
            return digits.starts_with('-');
        }
    }
    const size_t point = std::min(mantissa.find('.'), mantissa.size());
    const size_t first = mantissa.find_first_of("123456789");
    const long power = first < point ? static_cast<long>(point - first) - 1 : -static_cast<long>(first - point);
    return first != std::string_view::npos && power + exponent < 0;
}

}  // namespace

std::optional<double> ParseFiniteNumber(std::string_view text)
{
    double value = 0.0;
    const std::string_view number = WithoutPlus(text);
    const char* end = number.data() + number.size();
    const auto [ptr, ec] = std::from_chars(number.data(), end, value, std::chars_format::general);
    if (ec != std::errc() || ptr != end || !std::isfinite(value)) {
        return std::nullopt;
    }
    return value;
}

bool UnderflowsToZero(std::string_view text)
{
    double value = 0.0;
    const std::string_view number = WithoutPlus(text);
    const char* end = number.data() + number.size();
    const auto [ptr, ec] = std::from_chars(number.data(), end, value, std::chars_format::general);
    return ec == std::errc::result_out_of_range && ptr == end && IsBelowOne(number);
}

std::optional<int32_t> ParseWholeNumber(std::string_view text, int32_t least, int32_t most)
{
    int32_t value = 0;
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (text.empty() || ec != std::errc() || ptr != end || value < least || value > most) {
        return std::nullopt;
    }
    return value;
}

std::optional<Size> ParseSize(std::string_view text, int32_t least, int32_t most)
{
    const size_t cross = text.find('x');
    if (cross == std::string_view::npos) {
        return std::nullopt;
    }
    const auto width = ParseWholeNumber(text.substr(0, cross), least, most);
    const auto height = ParseWholeNumber(text.substr(cross + 1), least, most);
    if (!width || !height) {
        return std::nullopt;
    }
    return Size{*width, *height};
}
