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
    enum class Kind { Device, Timeout, Send, Type, Expect, Prompt, Never, Wait, Reopen, Skip };
    Kind kind;
    int line;
    std::string text;                       // the step as written
    std::u16string argument;                // the device, what to send, expect or skip for
    std::shared_ptr<const Pattern> pattern; // expect, prompt and never /…/, unless it holds a ${value}
    std::optional<Milliseconds> duration;   // timeout, wait, expect … within, reopen within
    bool slashed = false;                   // the argument is a /pattern/
    bool valued = false;                    // the argument holds a ${value}, known when the step runs
};

struct TestCase {
    std::string name;
    int line = 0;
    std::vector<Step> steps{};
    std::vector<Step> teardown{};        // run after the test, whatever became of it
    std::vector<std::string> tags{};     // its @words
    std::optional<Milliseconds> limit{}; // test NAME within D: for the whole test
    int retries = 0;                     // attempts after a failed one
};

// A script: the steps before its first test set up every test of it, and
// its teardown steps there end every test. A script without a test line is
// one test named after the script.
struct Script {
    std::string name;
    std::vector<Step> setUp{};
    std::vector<Step> teardown{};
    std::vector<TestCase> tests{};
};

// The script read from its UTF-8 text (CR LF and a byte-order mark are
// fine), or "NAME:LINE: what is wrong".
std::variant<Script, std::string> ParseScript(const std::string& name, std::string_view bytes);

// The pattern a /…/ text stands for ("\\/" a slash in it), or what is wrong.
std::variant<std::shared_ptr<const Pattern>, std::string> CompileSlashed(std::u16string_view text);

// The bytes of the one packet a send or type step's text goes out as (a
// send's end in its CR), or none, with what is wrong: a character with no
// one-byte code, or more than one packet holds.
std::optional<std::string> PacketOf(const Step& step, std::u16string_view text, std::string& problem);

// The bytes a type step's text stands for: \r \n \t \xHH and \\ are escapes,
// any other character one byte of the code page; or none, with what is wrong.
std::optional<std::string> TypedBytes(std::u16string_view text, std::string& problem);
