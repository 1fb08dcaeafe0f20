#pragma once

#include <chrono>
#include <string>

// The local time to the millisecond with its offset from UTC, in ISO 8601:
// 2026-12-07T22:39:05.083+09:00, or 2026-12-07T13:39:05.083Z in UTC. The log
// stamps its lines with it and the trace says when its zero was.
std::string LocalTimeText(std::chrono::system_clock::time_point time);

// The milliseconds since local midnight: what a line's time shows.
int LocalMillisecondOfDay(std::chrono::system_clock::time_point time);
