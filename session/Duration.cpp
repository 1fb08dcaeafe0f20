#include "session/Duration.h"

#include <charconv>

std::optional<Milliseconds> ParseDuration(std::string_view text)
{
    long long count = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), count);
    const std::string_view unit(end, static_cast<std::size_t>(text.data() + text.size() - end));
    if (error != std::errc() || end == text.data() || count < 0 || count > 86'400'000)
        return std::nullopt;
    if (unit == "ms")
        return Milliseconds(count);
    if (unit == "s")
        return std::chrono::seconds(count);
    return std::nullopt;
}

std::string DurationText(Milliseconds duration)
{
    const long long count = duration.count();
    return count % 1000 == 0 && count > 0 ? std::to_string(count / 1000) + "s" : std::to_string(count) + "ms";
}
