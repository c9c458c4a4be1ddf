#include "platform/file_path.h"

#include <cstdio>

std::filesystem::path PathFromUtf8(std::string_view utf8)
{
    return std::filesystem::path(std::u8string_view(reinterpret_cast<const char8_t*>(utf8.data()), utf8.size()));
}

std::string Utf8FromPath(const std::filesystem::path& path)
{
    const std::u8string utf8 = path.u8string();
    return std::string(utf8.begin(), utf8.end());
}

std::string QuotedName(std::string_view utf8)
{
    std::string quoted = "'";
    for (const char c : utf8) {
        const auto code = static_cast<unsigned char>(c);
        if (c == '\n') {
            quoted += "\\n";
        } else if (c == '\t') {
            quoted += "\\t";
        } else if (code < 0x20 || code == 0x7f) {
            char escape[5];
            std::snprintf(escape, sizeof escape, "\\x%02x", code);
            quoted += escape;
        } else {
            quoted += c;
        }
    }
    return quoted + "'";
}
