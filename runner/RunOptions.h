#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "session/Duration.h"

// What pellmark-run's command line asks for.
struct RunOptions {
    std::optional<std::string> device; // over the scripts' device lines
    Milliseconds timeout{500};
    std::string junit; // files as the arguments name them; empty: none
    std::string log;
    std::string trace;
    std::optional<Milliseconds> waitDevice; // for the device to appear before the first step
    bool failFast = false;
    std::vector<std::string> only, skip;                     // tags, without their @
    std::vector<std::pair<std::string, std::string>> values; // --set NAME=VALUE
    bool list = false;
    bool help = false;
    bool version = false;
    std::vector<std::string> scripts; // "-" is standard input
};

extern const char* const RUN_USAGE;

// The options, or what is wrong with them.
std::optional<std::string> ParseRunOptions(const std::vector<std::string>& arguments, RunOptions& options);
