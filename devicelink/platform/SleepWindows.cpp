#include <windows.h>

#include "Sleep.h"

void Sleep(std::uint32_t milliseconds)
{
    ::Sleep(static_cast<DWORD>(milliseconds));
}
