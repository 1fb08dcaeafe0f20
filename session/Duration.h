#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <string_view>

using Milliseconds = std::chrono::milliseconds;

// A duration as scripts and options write it: "500ms" or "2s".
std::optional<Milliseconds> ParseDuration(std::string_view text);
// "500ms", or "2s" for whole seconds.
std::string DurationText(Milliseconds duration);
