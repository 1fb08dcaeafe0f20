#include <chrono>
#include <thread>
#if defined(__linux__)
#include <sys/prctl.h>
#endif

#include "common/Sleep.h"

void Sleep(std::uint32_t milliseconds)
{
#if defined(__linux__)
    // By default the kernel may let a sleep run 50 us long, 5% of the receive
    // loop's 1 ms; the loop's thread asks for its sleeps to end on time.
    static thread_local const bool onTime = prctl(PR_SET_TIMERSLACK, 1UL) == 0;
    static_cast<void>(onTime);
#endif
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}
