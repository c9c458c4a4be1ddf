// A C library locale that writes numbers with a decimal comma, set for LC_NUMERIC while the
// object lives: the tests that show that the program's number text never follows the user's
// locale run under it. On glibc the test run builds de_DE.UTF-8 into the build folder
// (LOCPATH); Windows has its own names for the same locale.
#pragma once

#include <clocale>
#include <cstdio>
#include <cstring>
#include <string>

class DecimalCommaLocale {
public:
    DecimalCommaLocale() : m_previous(std::setlocale(LC_NUMERIC, nullptr))
    {
        for (const char* name : {"de_DE.UTF-8", "de-DE", "German_Germany.1252"}) {
            if (std::setlocale(LC_NUMERIC, name) != nullptr && WritesDecimalComma()) {
                m_set = true;
                return;
            }
        }
        std::setlocale(LC_NUMERIC, m_previous.c_str());
    }
    ~DecimalCommaLocale() { std::setlocale(LC_NUMERIC, m_previous.c_str()); }
    DecimalCommaLocale(const DecimalCommaLocale&) = delete;
    DecimalCommaLocale& operator=(const DecimalCommaLocale&) = delete;

    // Whether such a locale exists here and is in effect.
    bool IsSet() const { return m_set; }

private:
    static bool WritesDecimalComma()
    {
        char text[8];
        std::snprintf(text, sizeof text, "%.1f", 0.5);
        return std::strcmp(text, "0,5") == 0;
    }

    std::string m_previous;
    bool m_set = false;
};
