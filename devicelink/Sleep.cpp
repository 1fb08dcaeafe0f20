#include <chrono>
#include <thread>

#include "UsbLibrary.h"

void Sleep(std::uint32_t milliseconds)
{
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}
