#include <windows.h>

#include "UsbLibrary.h"

void Sleep(std::uint32_t milliseconds)
{
    ::Sleep(static_cast<DWORD>(milliseconds));
}
