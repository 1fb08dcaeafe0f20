#include <windows.h>

#include "common/Sleep.h"

void Sleep(std::uint32_t milliseconds)
{
    ::Sleep(static_cast<DWORD>(milliseconds));
}
