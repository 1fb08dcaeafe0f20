#include <windows.h>

#include <shellapi.h>

#include "Arguments.h"

QStringList ProgramArguments(int, char*[])
{
    // The wide command line holds what the user typed; argv holds it in the
    // ANSI code page, which may not.
    int count = 0;
    LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
    QStringList arguments;
    for (int i = 0; wide && i < count; ++i)
        arguments << QString::fromWCharArray(wide[i]);
    LocalFree(wide);
    return arguments;
}

std::filesystem::path PathOfArgument(const QString& argument)
{
    return std::filesystem::path(argument.toStdWString());
}
