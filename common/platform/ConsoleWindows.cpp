#include "common/Console.h"

#include <windows.h>

#include <cstdio>

void PrintToParentConsole()
{
    const bool out = GetStdHandle(STD_OUTPUT_HANDLE) != nullptr;
    const bool err = GetStdHandle(STD_ERROR_HANDLE) != nullptr;
    if ((out && err) || !AttachConsole(ATTACH_PARENT_PROCESS))
        return;
    if (!out)
        std::freopen("CONOUT$", "w", stdout);
    if (!err)
        std::freopen("CONOUT$", "w", stderr);
}
