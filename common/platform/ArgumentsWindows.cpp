#include <windows.h>

#include <shellapi.h>

#include "common/Arguments.h"
#include "common/TextEscape.h"

std::vector<std::string> ProgramArguments(int, char*[])
{
    int count = 0;
    LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
    std::vector<std::string> arguments;
    for (int i = 0; wide && i < count; ++i)
        arguments.push_back(Utf8(reinterpret_cast<const char16_t*>(wide[i])));
    LocalFree(wide);
    return arguments;
}

std::filesystem::path PathOfArgument(const std::string& argument)
{
    const std::u16string wide = FromUtf8(argument).value_or(u"");
    return std::wstring(wide.begin(), wide.end());
}
