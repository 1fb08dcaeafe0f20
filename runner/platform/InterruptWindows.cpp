#include <windows.h>

#include "runner/Interrupt.h"

namespace {

std::atomic<bool> interrupted = false;

BOOL WINAPI Interrupted(DWORD)
{
    interrupted = true;
    return TRUE;
}

} // namespace

const std::atomic<bool>& WatchForInterrupt()
{
    SetConsoleCtrlHandler(Interrupted, TRUE);
    return interrupted;
}
