#include "session/Script.h"

#include <charconv>
#include <utility>

#include "common/TextEscape.h"
#include "devicelink/CodePage.h"
#include "devicelink/DeviceLink.h"
#include "session/ScriptValues.h"

namespace {

constexpr std::string_view BYTE_ORDER_MARK = "\xEF\xBB\xBF";
// Bounds on what blocks unroll to, so that no script can exhaust memory.
constexpr int REPEAT_LIMIT = 10'000;
constexpr std::size_t STEP_LIMIT = 100'000;
constexpr int RETRY_LIMIT = 100;

struct SourceLine {
    int number;
    std::string_view text;
};

// What a block adds to the names of the tests in it: the pass of a repeat,
// the value of a for when the name does not hold it.
struct Pass {
    std::string variable; // empty for a repeat
    std::string value;
    std::string label;
};

std::string_view WithoutTrailingBlanks(std::string_view text)
{
    return text.substr(0, text.find_last_not_of(" \t") + 1);
}

std::string_view FirstWord(std::string_view text)
{
    return text.substr(0, text.find(' '));
}

std::optional<int> Count(std::string_view text, int most)
{
    int count = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), count);
    if (error != std::errc() || end != text.data() + text.size() || count < 1 || count > most)
        return std::nullopt;
    return count;
}

bool IsSlashed(std::u16string_view text)
{
    return text.size() >= 2 && text.front() == u'/' && text.back() == u'/';
}

std::string Bound(std::string_view text, const std::vector<Pass>& passes)
{
    std::string bound(text);
    for (const Pass& pass : passes) {
        if (pass.variable.empty())
            continue;
        const std::string name = "${" + pass.variable + "}";
        for (std::size_t at = bound.find(name); at != std::string::npos;
             at = bound.find(name, at + pass.value.size()))
            bound.replace(at, name.size(), pass.value);
    }
    return bound;
}

struct Parser {
    const std::string& name;
    Script script;
    TestCase* test = nullptr;
    bool sent = false;
    bool teardown = false; // the steps that follow end the test, or every test
    std::size_t steps = 0;

    std::string Error(int line, const std::string& what) const
    {
        return name + ":" + std::to_string(line) + ": " + what;
    }
    std::vector<Step>& Steps()
    {
        if (test)
            return teardown ? test->teardown : test->steps;
        return teardown ? script.teardown : script.setUp;
    }
    // The lines from..to with their blocks unrolled, or what is wrong.
    std::optional<std::string> Walk(const std::vector<SourceLine>& lines, std::size_t from, std::size_t to,
                                    const std::vector<Pass>& passes);
    std::optional<std::string> Block(const std::vector<SourceLine>& lines, std::size_t at, std::size_t end,
                                     const std::vector<Pass>& passes);
    // The step of one line, or what is wrong with it.
    std::optional<std::string> Take(int line, std::string_view raw, std::string_view text,
                                    const std::vector<Pass>& passes);
    std::optional<std::string> TakeTest(int line, std::string_view raw, std::string_view rest,
                                        const std::vector<Pass>& passes);
    std::optional<std::string> TakeSend(Step& step);
    std::optional<std::string> TakeExpect(Step& step, std::string_view rest);
};

std::optional<std::string> Parser::Walk(const std::vector<SourceLine>& lines, std::size_t from,
                                        std::size_t to, const std::vector<Pass>& passes)
{
    for (std::size_t i = from; i < to; ++i) {
        const std::string_view word = FirstWord(lines[i].text);
        if (word == "repeat" || word == "for") {
            std::size_t end = i + 1;
            for (int depth = 1; end < to; ++end) {
                const std::string_view inner = FirstWord(lines[end].text);
                depth += inner == "repeat" || inner == "for" ? 1 : inner == "end" ? -1 : 0;
                if (depth == 0)
                    break;
            }
            if (end == to)
                return Error(lines[i].number, "the " + std::string(word) + " block has no end");
            if (auto problem = Block(lines, i, end, passes))
                return problem;
            i = end;
        } else if (word == "end") {
            return Error(lines[i].number, "end closes no block");
        } else {
            const std::string text = Bound(lines[i].text, passes);
            if (auto problem = Take(lines[i].number, lines[i].text, text, passes))
                return Error(lines[i].number, *problem);
        }
    }
    return std::nullopt;
}

std::optional<std::string> Parser::Block(const std::vector<SourceLine>& lines, std::size_t at,
                                         std::size_t end, const std::vector<Pass>& passes)
{
    const std::string text = Bound(lines[at].text, passes);
    const std::string_view rest = std::string_view(text).substr(std::min(text.find(' ') + 1, text.size()));
    std::vector<Pass> inner = passes;
    inner.emplace_back();
    if (FirstWord(text) == "repeat") {
        const std::optional<int> count = Count(rest, REPEAT_LIMIT);
        if (!count)
            return Error(lines[at].number, "repeat takes a count from 1 to " + std::to_string(REPEAT_LIMIT));
        for (int pass = 1; pass <= *count; ++pass) {
            inner.back().label = " (" + std::to_string(pass) + " of " + std::to_string(*count) + ")";
            if (auto problem = Walk(lines, at + 1, end, inner))
                return problem;
        }
        return std::nullopt;
    }
    const std::size_t in = rest.find(" in ");
    const std::string_view variable = rest.substr(0, in), values = in == rest.npos ? "" : rest.substr(in + 4);
    if (variable.empty() || variable.find_first_of(" ${}") != variable.npos ||
        values.find_first_not_of(' ') == values.npos)
        return Error(lines[at].number, "for takes a name and its values: for led in RED GREEN");
    inner.back().variable = variable;
    for (std::size_t from = values.find_first_not_of(' '); from != values.npos;
         from = values.find_first_not_of(' ', from)) {
        const std::size_t to = std::min(values.find(' ', from), values.size());
        inner.back().value = values.substr(from, to - from);
        inner.back().label = " (" + inner.back().value + ")";
        if (auto problem = Walk(lines, at + 1, end, inner))
            return problem;
        from = to;
    }
    return std::nullopt;
}

std::optional<std::string> Parser::TakeTest(int line, std::string_view raw, std::string_view rest,
                                            const std::vector<Pass>& passes)
{
    TestCase added{{}, line, {}, {}, {}, std::nullopt, 0};
    // "within D" at the end is the test's limit when D is a duration.
    const std::size_t within = rest.rfind(" within ");
    if (within != rest.npos && (added.limit = ParseDuration(rest.substr(within + 8))))
        rest = WithoutTrailingBlanks(rest.substr(0, within));
    for (std::size_t at = rest.rfind(" @"); at != rest.npos && rest.find(' ', at + 1) == rest.npos;
         at = rest.rfind(" @")) {
        added.tags.insert(added.tags.begin(), std::string(rest.substr(at + 2)));
        rest = WithoutTrailingBlanks(rest.substr(0, at));
    }
    rest = rest.substr(std::min(rest.find_first_not_of(" \t"), rest.size()));
    if (rest.empty())
        return "a test needs a name";
    added.name = rest;
    for (const Pass& pass : passes)
        if (pass.variable.empty() || raw.find("${" + pass.variable + "}") == raw.npos)
            added.name += pass.label;
    test = &script.tests.emplace_back(std::move(added));
    teardown = false;
    return std::nullopt;
}

std::optional<std::string> Parser::TakeSend(Step& step)
{
    sent = true;
    step.valued = HoldsValue(step.argument);
    // With values, only what is written can be checked before the step runs.
    std::string problem;
    if (step.valued ? (step.kind == Step::Kind::Type ? TypedBytes(WithoutValues(step.argument), problem)
                                                     : EncodeSingleBytes(WithoutValues(step.argument)))
                    : PacketOf(step, step.argument, problem))
        return std::nullopt;
    return problem.empty() ? "the line holds a character that has no one-byte code" : problem;
}

std::optional<std::string> Parser::TakeExpect(Step& step, std::string_view rest)
{
    // "within D" at the end is always the wait.
    const std::size_t within = rest.rfind(" within ");
    if (within != std::string_view::npos) {
        const std::string_view wait =
            rest.substr(std::min(rest.find_first_not_of(' ', within + 8), rest.size()));
        step.duration = ParseDuration(wait);
        if (!step.duration)
            return "'" + std::string(wait) + "' is no duration (500ms, 2s)";
        rest = WithoutTrailingBlanks(rest.substr(0, within));
    }
    step.argument = *FromUtf8(rest);
    step.valued = HoldsValue(step.argument);
    step.slashed = IsSlashed(step.argument);
    if (!step.slashed)
        return std::nullopt;
    auto compiled = CompileSlashed(step.valued ? WithoutValues(step.argument) : step.argument);
    if (auto* problem = std::get_if<std::string>(&compiled))
        return "the regular expression does not compile: " + *problem;
    if (!step.valued)
        step.pattern = std::get<std::shared_ptr<const Pattern>>(compiled);
    return std::nullopt;
}

std::optional<std::string> Parser::Take(int line, std::string_view raw, std::string_view text,
                                        const std::vector<Pass>& passes)
{
    if (++steps > STEP_LIMIT)
        return "the script holds more than " + std::to_string(STEP_LIMIT) +
               " steps once its blocks are unrolled";
    const std::size_t space = text.find(' ');
    const std::string_view word = text.substr(0, space);
    const std::string_view rest =
        space == std::string_view::npos ? std::string_view() : text.substr(space + 1);
    Step step{Step::Kind::Send, line, std::string(text), *FromUtf8(rest), nullptr, std::nullopt};
    if (word == "test")
        return TakeTest(line, raw, rest, passes);
    if (word == "teardown") {
        if (!rest.empty())
            return "teardown stands alone; its steps follow it";
        teardown = true;
        return std::nullopt;
    }
    if (word == "retry") {
        const std::optional<int> count = Count(rest, RETRY_LIMIT);
        if (!test || !count)
            return "retry takes a count from 1 to " + std::to_string(RETRY_LIMIT) + " and belongs in a test";
        test->retries = *count;
        return std::nullopt;
    }
    if (word == "device") {
        if (rest.empty() || sent)
            return rest.empty() ? "device needs an identifier" : "device comes before the first send";
        step.kind = Step::Kind::Device;
    } else if (word == "timeout" || word == "wait") {
        step.kind = word == "wait" ? Step::Kind::Wait : Step::Kind::Timeout;
        step.duration = ParseDuration(rest);
        if (!step.duration)
            return "'" + std::string(rest) + "' is no duration (500ms, 2s)";
    } else if (word == "send" || word == "type") {
        step.kind = word == "type" ? Step::Kind::Type : Step::Kind::Send;
        if (auto problem = TakeSend(step))
            return problem;
    } else if (word == "expect" || word == "prompt") {
        step.kind = word == "prompt" ? Step::Kind::Prompt : Step::Kind::Expect;
        if (auto problem = TakeExpect(step, rest))
            return problem;
        const std::u16string_view argument = step.argument;
        if (!step.slashed && argument.size() >= 2 && argument.front() == u'"' && argument.back() == u'"')
            step.argument = argument.substr(1, argument.size() - 2); // a prompt may end in a space
        if (step.kind == Step::Kind::Prompt && step.argument.empty())
            return "prompt takes a text or a pattern: prompt \"=> \"";
    } else if (word == "never") {
        step.kind = Step::Kind::Never;
        if (auto problem = TakeExpect(step, rest))
            return problem;
        if (!step.slashed || step.valued)
            return "never takes a regular expression without values: never /ERR/";
    } else if (word == "reopen") {
        step.kind = Step::Kind::Reopen;
        step.duration = REOPEN_WAIT;
        if (!rest.empty() &&
            (rest.substr(0, 7) != "within " || !(step.duration = ParseDuration(rest.substr(7)))))
            return "reopen takes nothing or a wait: reopen within 8s";
    } else if (word == "skip") {
        if (!test || teardown)
            return "skip belongs in a test";
        step.kind = Step::Kind::Skip;
    } else {
        return "'" + std::string(word) +
               "' is no step (device, timeout, test, send, type, expect, prompt, never, wait, reopen, "
               "teardown, skip, retry, repeat, for)";
    }
    Steps().push_back(std::move(step));
    return std::nullopt;
}

} // namespace

std::variant<std::shared_ptr<const Pattern>, std::string> CompileSlashed(std::u16string_view text)
{
    std::u16string expression;
    for (std::size_t i = 1; i + 1 < text.size(); ++i) {
        if (text[i] == u'\\' && text[i + 1] == u'/' && i + 2 < text.size())
            ++i; // "\/" stands for a slash
        expression += text[i];
    }
    return Pattern::Compile(expression);
}

std::optional<std::string> TypedBytes(std::u16string_view text, std::string& problem)
{
    std::string bytes;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != u'\\') {
            const std::optional<std::string> encoded = EncodeSingleBytes(text.substr(i, 1));
            if (!encoded) {
                problem = "the text holds a character that has no one-byte code";
                return std::nullopt;
            }
            bytes += *encoded;
            continue;
        }
        const char16_t next = i + 1 < text.size() ? text[i + 1] : u' ';
        const std::u16string_view simple = u"rnt\\";
        if (const std::size_t at = simple.find(next); at != simple.npos) {
            bytes += "\r\n\t\\"[at];
            ++i;
            continue;
        }
        const std::string digits = next == u'x' && i + 3 < text.size() ? Utf8(text.substr(i + 2, 2)) : "";
        unsigned byte = 0;
        const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), byte, 16);
        if (digits.size() != 2 || error != std::errc() || end != digits.data() + 2) {
            problem = "'\\" + Utf8(text.substr(i + 1, 1)) + "' is no escape (\\r \\n \\t \\xHH \\\\)";
            return std::nullopt;
        }
        bytes += static_cast<char>(byte);
        i += 3;
    }
    return bytes;
}

std::optional<std::string> PacketOf(const Step& step, std::u16string_view text, std::string& problem)
{
    if (step.kind == Step::Kind::Type) {
        std::optional<std::string> bytes = TypedBytes(text, problem);
        if (bytes && bytes->size() > std::size_t{DeviceLink::PACKET_SIZE}) {
            problem = "'" + Utf8(text) + "' is " + std::to_string(bytes->size()) +
                      " bytes; one packet holds " + std::to_string(DeviceLink::PACKET_SIZE);
            return std::nullopt;
        }
        return bytes;
    }
    std::optional<std::string> bytes = EncodeSingleBytes(text);
    // A longer line would go out cut to the packet, without its CR.
    constexpr std::size_t most = DeviceLink::PACKET_SIZE - 1;
    if (!bytes)
        problem = "the line holds a character that has no one-byte code";
    else if (bytes->size() > most)
        problem = "'" + Utf8(text) + "' is " + std::to_string(bytes->size()) +
                  " characters; one packet holds " + std::to_string(most) + " and its CR";
    else
        return *bytes + '\r';
    return std::nullopt;
}

std::variant<Script, std::string> ParseScript(const std::string& name, std::string_view bytes)
{
    Parser parser{name, Script{name, {}, {}, {}}};
    if (bytes.substr(0, BYTE_ORDER_MARK.size()) == BYTE_ORDER_MARK)
        bytes.remove_prefix(BYTE_ORDER_MARK.size());
    std::vector<SourceLine> lines;
    for (int line = 1; !bytes.empty(); ++line) {
        const std::size_t end = bytes.find('\n');
        std::string_view text = bytes.substr(0, end);
        bytes.remove_prefix(end == std::string_view::npos ? bytes.size() : end + 1);
        if (!text.empty() && text.back() == '\r')
            text.remove_suffix(1);
        if (!FromUtf8(text))
            return parser.Error(line, "the line is not UTF-8");
        // Blanks around a step are never part of it: "expect OK " waits for "OK".
        text = WithoutTrailingBlanks(text.substr(std::min(text.find_first_not_of(" \t"), text.size())));
        if (!text.empty() && text.front() != '#')
            lines.push_back({line, text});
    }
    if (auto problem = parser.Walk(lines, 0, lines.size(), {}))
        return *problem;
    if (parser.script.tests.empty() && parser.script.setUp.empty())
        return parser.Error(1, "no step");
    if (parser.script.tests.empty())
        parser.script.tests.push_back(TestCase{name,
                                               1,
                                               std::exchange(parser.script.setUp, {}),
                                               std::exchange(parser.script.teardown, {}),
                                               {},
                                               std::nullopt,
                                               0});
    return std::move(parser.script);
}
