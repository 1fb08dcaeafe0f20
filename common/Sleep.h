#pragma once

#include <cstdint>

// Yields the calling thread for the given number of milliseconds (one file
// per platform).
void Sleep(std::uint32_t milliseconds);
