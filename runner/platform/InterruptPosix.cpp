#include <csignal>

#include "runner/Interrupt.h"

namespace {

std::atomic<bool> interrupted = false;

void Interrupted(int)
{
    interrupted = true;
}

} // namespace

const std::atomic<bool>& WatchForInterrupt()
{
    struct sigaction action = {};
    action.sa_handler = Interrupted;
    sigemptyset(&action.sa_mask);
    for (int signal : {SIGINT, SIGTERM})
        sigaction(signal, &action, nullptr);
    return interrupted;
}
