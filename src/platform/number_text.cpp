#include "platform/number_text.h"

#include <array>
#include <charconv>
#include <limits>

std::string DoubleToText(double value)
{
    // "-d.dddddddddddddde-ddd" is the longest text at this precision.
    std::array<char, 32> buffer{};
    const std::to_chars_result result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value,
                                                      std::chars_format::general, kDoubleTextPrecision);
    return std::string(buffer.data(), result.ptr);
}

namespace {

constexpr bool IsBlank(char16_t c)
{
    return c == u' ' || c == u'\t';
}

constexpr bool IsDigit(char16_t c)
{
    return c >= u'0' && c <= u'9';
}

constexpr bool IsSign(char16_t c)
{
    return c == u'+' || c == u'-';
}

constexpr bool IsExponentLetter(char16_t c)
{
    return c == u'e' || c == u'E' || c == u'd' || c == u'D';
}

constexpr bool IsHighSurrogate(char16_t c)
{
    return c >= 0xD800 && c <= 0xDBFF;
}

// The first `count` characters of the text; a surrogate pair is one character.
std::u16string_view FirstCharacters(std::u16string_view text, size_t count)
{
    size_t end = 0;
    for (size_t n = 0; n < count && end < text.size(); ++n) {
        end += IsHighSurrogate(text[end]) && end + 1 < text.size() ? 2 : 1;
    }
    return text.substr(0, end);
}

size_t SkipBlanks(std::u16string_view text, size_t position)
{
    while (position < text.size() && IsBlank(text[position])) {
        ++position;
    }
    return position;
}

size_t SkipDigits(std::u16string_view text, size_t position)
{
    while (position < text.size() && IsDigit(text[position])) {
        ++position;
    }
    return position;
}

// A number the scanner accepted, rewritten for the library conversion: no '+', and 'e' as
// the exponent letter.
struct ScannedNumber {
    std::string text;
    size_t length = 0;  // characters of the scanned text the number spans
    bool negative = false;
    bool negativeExponent = false;
};

void AppendAscii(std::string& out, std::u16string_view text)
{
    for (char16_t c : text) {
        out += static_cast<char>(c);
    }
}

// The longest leading part of the text that forms a decimal number; nothing when there is none.
std::optional<ScannedNumber> ScanNumber(std::u16string_view text)
{
    ScannedNumber number;
    size_t position = 0;
    if (position < text.size() && IsSign(text[position])) {
        number.negative = text[position] == u'-';
        ++position;
    }
    if (number.negative) {
        number.text += '-';
    }
    const size_t mantissaStart = position;
    size_t end = SkipDigits(text, position);
    size_t digits = end - position;
    if (end < text.size() && text[end] == u'.') {
        const size_t fractionEnd = SkipDigits(text, end + 1);
        digits += fractionEnd - (end + 1);
        end = fractionEnd;
    }
    if (digits == 0) {
        return std::nullopt;
    }
    AppendAscii(number.text, text.substr(mantissaStart, end - mantissaStart));

    // An exponent belongs to the number only with at least one digit.
    if (end < text.size() && IsExponentLetter(text[end])) {
        size_t exponentStart = end + 1;
        const bool negativeExponent = exponentStart < text.size() && text[exponentStart] == u'-';
        if (exponentStart < text.size() && IsSign(text[exponentStart])) {
            ++exponentStart;
        }
        const size_t exponentEnd = SkipDigits(text, exponentStart);
        if (exponentEnd > exponentStart) {
            number.text += negativeExponent ? "e-" : "e";
            AppendAscii(number.text, text.substr(exponentStart, exponentEnd - exponentStart));
            number.negativeExponent = negativeExponent;
            end = exponentEnd;
        }
    }
    number.length = end;
    return number;
}

// A number too large for a double has a positive exponent, one too small a negative one: the
// mantissa of a 31-character text spans far less than the range of a double.
double ConvertNumber(const ScannedNumber& number)
{
    double value = 0.0;
    const char* first = number.text.data();
    const std::from_chars_result result = std::from_chars(first, first + number.text.size(), value);
    if (result.ec == std::errc::result_out_of_range) {
        const double magnitude = number.negativeExponent ? 0.0 : std::numeric_limits<double>::infinity();
        return number.negative ? -magnitude : magnitude;
    }
    return value;
}

}  // namespace

std::optional<double> TextToDouble(std::u16string_view text)
{
    const std::u16string_view read = FirstCharacters(text, kMaxNumberTextLength);
    const std::u16string_view rest = read.substr(SkipBlanks(read, 0));
    const std::optional<ScannedNumber> number = ScanNumber(rest);
    if (!number) {
        return std::nullopt;
    }
    const double value = ConvertNumber(*number);
    // A zero counts only when written with a leading "0"; any other zero means nothing converted.
    if (value == 0.0 && rest.front() != u'0') {
        return std::nullopt;
    }
    if (SkipBlanks(rest, number->length) != rest.size()) {
        return std::nullopt;
    }
    return value;
}
