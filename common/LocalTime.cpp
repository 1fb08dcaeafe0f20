#include "common/LocalTime.h"

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <mutex>

namespace {

// Days from 1970-01-01 to the given date of the proleptic Gregorian calendar.
long long DaysFromCivil(long long year, unsigned month, unsigned day)
{
    year -= month <= 2;
    const long long era = (year >= 0 ? year : year - 399) / 400;
    const auto yearOfEra = static_cast<unsigned>(year - era * 400);
    const unsigned dayOfYear = (153 * (month > 2 ? month - 3 : month + 9) + 2) / 5 + day - 1;
    const unsigned dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + static_cast<long long>(dayOfEra) - 719468;
}

std::tm LocalCalendar(std::time_t since)
{
    // std::localtime shares one result between callers. It also looks at the
    // zone's file each time: once a second is enough for lines that come a
    // thousand a second; a zone set by TZ shows at once, a new zone file
    // within a second.
    static std::mutex shared;
    static std::time_t lastSince = -1;
    static std::string lastZone;
    static std::tm last{};
    std::lock_guard lock(shared);
    const char* set = std::getenv("TZ");
    const std::string zone =
        set ? std::string("=") + set : std::string(); // an empty TZ is UTC, none the file
    if (since != lastSince || zone != lastZone) {
        const std::tm* found = std::localtime(&since);
        last = found ? *found : std::tm{};
        lastSince = since;
        lastZone = zone;
    }
    return last;
}

} // namespace

std::string LocalTimeText(std::chrono::system_clock::time_point time)
{
    using namespace std::chrono;
    const auto seconds = floor<std::chrono::seconds>(time);
    const auto milliseconds = duration_cast<std::chrono::milliseconds>(time - seconds).count();
    const std::time_t since = system_clock::to_time_t(seconds);
    const std::tm local = LocalCalendar(since);
    // The offset is what the local calendar time reads as UTC, less the time.
    const long long asUtc = DaysFromCivil(local.tm_year + 1900LL, static_cast<unsigned>(local.tm_mon + 1),
                                          static_cast<unsigned>(local.tm_mday)) *
                                86400 +
                            local.tm_hour * 3600LL + local.tm_min * 60LL + local.tm_sec;
    const long long offsetMinutes = (asUtc - static_cast<long long>(since)) / 60;

    char text[48];
    int length = std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d.%03d", local.tm_year + 1900,
                               local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec,
                               static_cast<int>(milliseconds));
    if (offsetMinutes == 0) {
        std::snprintf(text + length, sizeof text - static_cast<std::size_t>(length), "Z");
    } else {
        const long long absolute = offsetMinutes < 0 ? -offsetMinutes : offsetMinutes;
        std::snprintf(text + length, sizeof text - static_cast<std::size_t>(length), "%c%02lld:%02lld",
                      offsetMinutes < 0 ? '-' : '+', absolute / 60, absolute % 60);
    }
    return text;
}

int LocalMillisecondOfDay(std::chrono::system_clock::time_point time)
{
    using namespace std::chrono;
    const auto seconds = floor<std::chrono::seconds>(time);
    const std::tm local = LocalCalendar(system_clock::to_time_t(seconds));
    return ((local.tm_hour * 60 + local.tm_min) * 60 + local.tm_sec) * 1000 +
           static_cast<int>(duration_cast<milliseconds>(time - seconds).count());
}
