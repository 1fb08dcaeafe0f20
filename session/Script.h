#pragma once

#include <memory>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "session/Duration.h"
#include "session/Pattern.h"

// How long a reopen step waits for the device to leave and return, unless it says.
constexpr Milliseconds REOPEN_WAIT{8000};

// One step of a script, a line of its text.
struct Step {
    enum class Kind { Device, Timeout, Send, Expect, Never, Wait, Reopen };
    Kind kind;
    int line;
    std::string text;                       // the step as written
    std::u16string argument;                // the device, the line to send or to expect
    std::shared_ptr<const Pattern> pattern; // expect /…/ and never /…/
    std::optional<Milliseconds> duration;   // timeout, wait, expect … within, reopen within
};

struct TestCase {
    std::string name;
    int line;
    std::vector<Step> steps;
};

// A script: the steps before its first test set up every test of it. A
// script without a test line is one test named after the script.
struct Script {
    std::string name;
    std::vector<Step> setUp;
    std::vector<TestCase> tests;
};

// The script read from its UTF-8 text (CR LF and a byte-order mark are
// fine), or "NAME:LINE: what is wrong".
std::variant<Script, std::string> ParseScript(const std::string& name, std::string_view bytes);
