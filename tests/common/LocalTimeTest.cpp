#include <cstdlib>
#include <ctime>
#include <gtest/gtest.h>
#include <optional>
#include <string>

#include "common/LocalTime.h"

namespace {

// Zones written as POSIX and the C runtime on Windows both read them, so
// that no time zone database is needed; none is the system's zone.
void SetZone(const char* zone)
{
#ifdef _WIN32
    _putenv_s("TZ", zone ? zone : "");
    _tzset();
#else
    if (zone)
        setenv("TZ", zone, 1);
    else
        unsetenv("TZ");
    tzset();
#endif
}

} // namespace

TEST(LocalTime, StampsCarryTheZonesOffsetOrZForUtc)
{
    const char* const before = std::getenv("TZ");
    const std::optional<std::string> kept = before ? std::optional<std::string>(before) : std::nullopt;
    // 2026-12-07T13:39:05.083Z
    const auto time = std::chrono::system_clock::time_point(std::chrono::milliseconds(1796650745083));
    SetZone("JST-9");
    EXPECT_EQ(LocalTimeText(time), "2026-12-07T22:39:05.083+09:00");
    EXPECT_EQ(LocalMillisecondOfDay(time), ((22 * 60 + 39) * 60 + 5) * 1000 + 83);
    SetZone("NST3:30");
    EXPECT_EQ(LocalTimeText(time), "2026-12-07T10:09:05.083-03:30");
    SetZone("UTC0");
    EXPECT_EQ(LocalTimeText(time), "2026-12-07T13:39:05.083Z");
    SetZone(kept ? kept->c_str() : nullptr);
}
