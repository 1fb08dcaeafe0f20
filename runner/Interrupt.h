#pragma once

#include <atomic>

// Set once the user interrupts the run (Ctrl-C, or SIGTERM where there are
// signals); one file per platform.
const std::atomic<bool>& WatchForInterrupt();
