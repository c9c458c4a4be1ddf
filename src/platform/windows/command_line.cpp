#include "platform/command_line.h"

#include "platform/file_path.h"

#include <windows.h>
#include <shellapi.h>

std::vector<std::string> Utf8Arguments(int, char**)
{
    std::vector<std::string> arguments;
    int count = 0;
    wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
    if (wide == nullptr) {
        return arguments;
    }
    for (int i = 1; i < count; ++i) {
        arguments.push_back(Utf8FromPath(wide[i]));
    }
    LocalFree(wide);
    return arguments;
}
