#include <windows.h>

#include <cstdio>
#include <fcntl.h>
#include <io.h>
#include <shellapi.h>

#include "RunPlatform.h"
#include "TextEscape.h"

std::vector<std::string> RunArguments(int, char*[])
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

void PrepareStandardStreams()
{
    _setmode(_fileno(stdin), _O_BINARY);
    _setmode(_fileno(stdout), _O_BINARY);
    SetConsoleOutputCP(CP_UTF8);
}
