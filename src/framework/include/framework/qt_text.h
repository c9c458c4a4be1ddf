// UTF-8 resource texts as Qt strings, and Qt strings as the UTF-16 text of the pure code.
#pragma once

#include <QString>

#include <string_view>

inline QString FromUtf8(std::string_view text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

inline std::u16string_view Utf16Of(const QString& text)
{
    return {reinterpret_cast<const char16_t*>(text.utf16()), static_cast<size_t>(text.size())};
}
