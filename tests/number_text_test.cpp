#include "platform/number_text.h"
#include "decimal_comma_locale.h"

#include <gtest/gtest.h>

#include <bit>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <random>
#include <regex>
#include <string>

namespace {

constexpr double kInfinity = std::numeric_limits<double>::infinity();

std::u16string Utf16(std::string_view ascii)
{
    return {ascii.begin(), ascii.end()};
}

// The C library's "%.15g" in the C locale, the written form that DoubleToText must equal.
std::string PrintfG15(double value)
{
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.*g", 15, value);
    return buffer;
}

TEST(TextToDouble, AcceptsNumbersWithBlanksAroundThem)
{
    const std::pair<const char*, double> cases[] = {
        {"3", 3.0},
        {"  2.5e-3\t ", 0.0025},
        {"\t-7", -7.0},
        {"1d2", 100.0},
        {"1D-2", 0.01},
        {"1E+2", 100.0},
        {"+.5", 0.5},
        {"-.5", -0.5},
        {"1.", 1.0},
        {".25", 0.25},
        {"+4", 4.0},
        {"0.1", 0.1},
        {"1e-310", 1e-310},
        {"0001.50", 1.5},
        {"1e0000000000000000000000005", 1e5},
    };
    for (const auto& [text, value] : cases) {
        EXPECT_EQ(TextToDouble(Utf16(text)), value) << text;
    }
}

TEST(TextToDouble, AcceptsZeroOnlyWithALeadingZero)
{
    for (const char* text : {"0", "00", "0.0", "0e5", "0.", " 0 ", "0e-99999", "0.000e+7"}) {
        const std::optional<double> value = TextToDouble(Utf16(text));
        ASSERT_TRUE(value) << text;
        EXPECT_EQ(std::bit_cast<uint64_t>(*value), 0u) << text;  // +0.0
    }
    for (const char* text : {"-0", "+0", ".0", "-0.0", "+0e5", " .000"}) {
        EXPECT_EQ(TextToDouble(Utf16(text)), std::nullopt) << text;
    }
}

TEST(TextToDouble, RejectsTextThatIsNotOneDecimalNumber)
{
    for (const char* text : {"",     "   ",      "\t",  "1,5", "12abc", "1e",    "1e+", "1d-",  "e5",    ".",
                             "-",    "+",        "--1", "+-1", "1..2",  "1.2.3", "1 2", "0x10", "0x1p3", "inf",
                             "-inf", "infinity", "nan", "NAN", "1\n",   "\n1",   "1f",  "1e5.5"}) {
        EXPECT_EQ(TextToDouble(Utf16(text)), std::nullopt) << text;
    }
    // Full-width digits and an ideographic space are not digits or blanks.
    for (const char16_t* text : {u"１２", u"1２", u"\u30001", u"1\u3000", u"１"}) {
        EXPECT_EQ(TextToDouble(text), std::nullopt);
    }
}

TEST(TextToDouble, OverflowGivesInfinitiesAndUnderflowZero)
{
    EXPECT_EQ(TextToDouble(u"1e999"), kInfinity);
    EXPECT_EQ(TextToDouble(u"-1e999"), -kInfinity);
    EXPECT_EQ(TextToDouble(u"1.8e308"), kInfinity);
    EXPECT_EQ(TextToDouble(u"1e99999999999999999999"), kInfinity);
    EXPECT_EQ(TextToDouble(u"-99999999999999999999e300"), -kInfinity);
    EXPECT_EQ(TextToDouble(u"1.7976931348623157e308"), std::numeric_limits<double>::max());
    EXPECT_EQ(TextToDouble(u"4.9e-324"), std::numeric_limits<double>::denorm_min());
    // A number too small becomes 0, and a zero not written with a leading 0 is no number.
    EXPECT_EQ(TextToDouble(u"1e-400"), std::nullopt);
    EXPECT_EQ(TextToDouble(u"-1e-99999999999999999999"), std::nullopt);
    EXPECT_EQ(TextToDouble(u"0.0001e-400"), 0.0);
}

// "1", `count` times `filler`, then the tail.
std::u16string OneThen(size_t count, char16_t filler, std::u16string_view tail)
{
    std::u16string text(count + 1, filler);
    text[0] = u'1';
    text += tail;
    return text;
}

TEST(TextToDouble, ReadsOnlyTheFirst31Characters)
{
    const std::u16string digits31 = u"1234567890123456789012345678901";
    ASSERT_EQ(digits31.size(), kMaxNumberTextLength);
    constexpr double kValue31 = 1234567890123456789012345678901.0;
    EXPECT_EQ(TextToDouble(digits31), kValue31);
    EXPECT_EQ(TextToDouble(digits31 + u"2"), kValue31);
    EXPECT_EQ(TextToDouble(digits31 + u"abc"), kValue31);
    // Garbage as the 31st character is read; as the 32nd it is not.
    EXPECT_EQ(TextToDouble(OneThen(29, u' ', u"x")), std::nullopt);
    EXPECT_EQ(TextToDouble(OneThen(30, u' ', u"x")), 1.0);
    // The exponent cut off after its letter leaves a letter without digits.
    EXPECT_EQ(TextToDouble(OneThen(29, u'0', u"e5")), std::nullopt);
    // A character outside the basic plane is one character, though two UTF-16 units.
    EXPECT_EQ(TextToDouble(OneThen(29, u' ', u"\U0001F600")), std::nullopt);
    EXPECT_EQ(TextToDouble(OneThen(30, u' ', u"\U0001F600")), 1.0);
}

TEST(DoubleToText, WritesWhatPercentG15Writes)
{
    const double values[] = {0.0,
                             -0.0,
                             3.0,
                             1.0,
                             4.0,
                             0.1,
                             1.0 / 3,
                             -2.5e-3,
                             1e-4,
                             9.99e-5,
                             1e15,
                             999999999999999.0,
                             1e16,
                             123456789012345678.0,
                             std::numeric_limits<double>::max(),
                             std::numeric_limits<double>::denorm_min(),
                             kInfinity,
                             -kInfinity,
                             3.5,
                             0.12345,
                             -1e300};
    for (double value : values) {
        EXPECT_EQ(DoubleToText(value), PrintfG15(value)) << value;
    }
    std::mt19937_64 random(7);
    for (int i = 0; i < 20000; ++i) {
        const double value = std::bit_cast<double>(random());
        if (!std::isnan(value)) {
            ASSERT_EQ(DoubleToText(value), PrintfG15(value)) << value;
        }
    }
}

TEST(NumberText, IgnoresTheLocale)
{
    const DecimalCommaLocale german;
    if (!german.IsSet()) {
        GTEST_SKIP() << "this system has no locale with a decimal comma";
    }
    ASSERT_EQ(PrintfG15(2.5), "2,5");  // the locale is in effect
    EXPECT_EQ(DoubleToText(2.5), "2.5");
    EXPECT_EQ(TextToDouble(u"2.5"), 2.5);
    EXPECT_EQ(TextToDouble(u"2,5"), std::nullopt);
}

// The grammar stated once more, independently: a regular expression over the characters read
// (only ASCII ones can belong to it) and the C library's strtod for the value.
std::optional<double> ExpectedValue(std::u16string_view text)
{
    std::string ascii;
    size_t characters = 0;
    for (size_t i = 0; i < text.size() && characters < 31; ++i, ++characters) {
        const char16_t c = text[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size()) {
            ++i;  // the low half of a pair
        }
        ascii += c < 0x80 ? static_cast<char>(c) : '\x7F';
    }
    static const std::regex grammar(R"([ \t]*([+-]?(?:[0-9]+\.?[0-9]*|\.[0-9]+)(?:[eEdD][+-]?[0-9]+)?)[ \t]*)");
    std::smatch match;
    if (!std::regex_match(ascii, match, grammar)) {
        return std::nullopt;
    }
    std::string number = match[1].str();
    for (char& c : number) {
        if (c == 'd' || c == 'D') {
            c = 'e';
        }
    }
    const double value = std::strtod(number.c_str(), nullptr);
    if (value == 0.0 && number.front() != '0') {
        return std::nullopt;
    }
    return value;
}

std::u16string RandomText(std::mt19937_64& random)
{
    static const std::u16string pieces[] = {
        u"0",    u"1",     u"5",     u"9",    u"7",     u"0",      u".",         u"+",  u"-",  u"e",      u"E",
        u"d",    u"D",     u" ",     u"\t",   u"x",     u"inf",    u"nan",       u",",  u"１", u"\u3000", u"\U0001F600",
        u"e308", u"e-308", u"e-324", u"e400", u"e-400", u"000000", u"123456789", u"\n", u"a"};
    std::uniform_int_distribution<size_t> pick(0, std::size(pieces) - 1);
    std::uniform_int_distribution<int> count(0, 14);
    std::u16string text;
    for (int n = count(random); n > 0; --n) {
        text += pieces[pick(random)];
    }
    return text;
}

std::string Printable(std::u16string_view text)
{
    std::string out;
    for (char16_t c : text) {
        out += c >= 0x20 && c < 0x7F ? std::string(1, static_cast<char>(c))
                                     : "\\u" + std::to_string(static_cast<unsigned>(c));
    }
    return out;
}

// Random texts against the independent statement. CORVALIS_RANDOM_SECONDS makes it a longer,
// timed run with a fresh seed (CORVALIS_RANDOM_SEED repeats one).
TEST(TextToDouble, AgreesWithTheGrammarOnRandomTexts)
{
    const char* secondsText = std::getenv("CORVALIS_RANDOM_SECONDS");
    const char* seedText = std::getenv("CORVALIS_RANDOM_SEED");
    const double seconds = secondsText != nullptr ? std::atof(secondsText) : 0.0;
    const uint64_t seed = seedText != nullptr ? std::strtoull(seedText, nullptr, 10)
                          : seconds > 0.0     ? std::random_device{}()
                                              : 1;
    std::mt19937_64 random(seed);
    const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    int64_t texts = 0;
    int64_t accepted = 0;
    while (seconds > 0.0 ? std::chrono::steady_clock::now() < end : texts < 200000) {
        for (int i = 0; i < 1000; ++i, ++texts) {
            const std::u16string text = RandomText(random);
            const std::optional<double> expected = ExpectedValue(text);
            const std::optional<double> actual = TextToDouble(text);
            ASSERT_EQ(actual.has_value(), expected.has_value()) << "text \"" << Printable(text) << "\", seed " << seed;
            if (actual) {
                ++accepted;
                ASSERT_EQ(std::bit_cast<uint64_t>(*actual), std::bit_cast<uint64_t>(*expected))
                    << "text \"" << Printable(text) << "\", seed " << seed;
            }
        }
    }
    EXPECT_GT(accepted, texts / 50);  // the texts reach the accepting side of the grammar too
    std::printf("%lld random texts, %lld accepted, seed %llu\n", static_cast<long long>(texts),
                static_cast<long long>(accepted), static_cast<unsigned long long>(seed));
}

}  // namespace
