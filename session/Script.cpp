#include "session/Script.h"

#include <utility>

#include "common/TextEscape.h"
#include "devicelink/CodePage.h"
#include "devicelink/DeviceLink.h"

namespace {

constexpr std::string_view BYTE_ORDER_MARK = "\xEF\xBB\xBF";

struct Parser {
    const std::string& name;
    Script script;
    TestCase* test = nullptr;
    bool sent = false;

    std::string Error(int line, const std::string& what) const
    {
        return name + ":" + std::to_string(line) + ": " + what;
    }
    std::vector<Step>& Steps() { return test ? test->steps : script.setUp; }
    // The step of one line, or what is wrong with it.
    std::optional<std::string> Take(int line, std::string_view text);
    std::optional<std::string> TakeExpect(Step& step, std::string_view rest);
};

std::variant<std::shared_ptr<const Pattern>, std::string> Slashed(std::u16string_view text)
{
    std::u16string expression;
    for (std::size_t i = 1; i + 1 < text.size(); ++i) {
        if (text[i] == u'\\' && text[i + 1] == u'/' && i + 2 < text.size())
            ++i; // "\/" stands for a slash
        expression += text[i];
    }
    return Pattern::Compile(expression);
}

std::string_view WithoutTrailingBlanks(std::string_view text)
{
    return text.substr(0, text.find_last_not_of(" \t") + 1);
}

bool IsSlashed(std::u16string_view text)
{
    return text.size() >= 2 && text.front() == u'/' && text.back() == u'/';
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
    if (!IsSlashed(step.argument))
        return std::nullopt;
    auto compiled = Slashed(step.argument);
    if (auto* problem = std::get_if<std::string>(&compiled))
        return "the regular expression does not compile: " + *problem;
    step.pattern = std::get<std::shared_ptr<const Pattern>>(compiled);
    return std::nullopt;
}

std::optional<std::string> Parser::Take(int line, std::string_view text)
{
    const std::size_t space = text.find(' ');
    const std::string_view word = text.substr(0, space);
    const std::string_view rest =
        space == std::string_view::npos ? std::string_view() : text.substr(space + 1);
    Step step{Step::Kind::Send, line, std::string(text), *FromUtf8(rest), nullptr, std::nullopt};
    if (word == "test") {
        if (rest.empty())
            return "a test needs a name";
        test = &script.tests.emplace_back(
            TestCase{std::string(rest.substr(rest.find_first_not_of(" \t"))), line, {}});
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
    } else if (word == "send") {
        if (!EncodeSingleBytes(step.argument))
            return "the line holds a character that has no one-byte code";
        // A longer line would go out cut to the packet, without its CR.
        constexpr std::size_t most = DeviceLink::PACKET_SIZE - 1;
        if (step.argument.size() > most)
            return "'" + std::string(rest) + "' is " + std::to_string(step.argument.size()) +
                   " characters; one packet holds " + std::to_string(most) + " and its CR";
        sent = true;
    } else if (word == "expect") {
        step.kind = Step::Kind::Expect;
        if (auto problem = TakeExpect(step, rest))
            return problem;
    } else if (word == "never") {
        step.kind = Step::Kind::Never;
        if (!IsSlashed(step.argument))
            return "never takes a regular expression: never /ERR/";
        if (auto problem = TakeExpect(step, rest))
            return problem;
    } else if (word == "reopen") {
        step.kind = Step::Kind::Reopen;
        step.duration = REOPEN_WAIT;
        if (!rest.empty() &&
            (rest.substr(0, 7) != "within " || !(step.duration = ParseDuration(rest.substr(7)))))
            return "reopen takes nothing or a wait: reopen within 8s";
    } else {
        return "'" + std::string(word) +
               "' is no step (device, timeout, test, send, expect, never, wait, reopen)";
    }
    Steps().push_back(std::move(step));
    return std::nullopt;
}

} // namespace

std::variant<Script, std::string> ParseScript(const std::string& name, std::string_view bytes)
{
    Parser parser{name, Script{name, {}, {}}};
    if (bytes.substr(0, BYTE_ORDER_MARK.size()) == BYTE_ORDER_MARK)
        bytes.remove_prefix(BYTE_ORDER_MARK.size());
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
        if (text.empty() || text.front() == '#')
            continue;
        if (auto problem = parser.Take(line, text))
            return parser.Error(line, *problem);
    }
    if (parser.script.tests.empty() && parser.script.setUp.empty())
        return parser.Error(1, "no step");
    if (parser.script.tests.empty())
        parser.script.tests.push_back(TestCase{name, 1, std::exchange(parser.script.setUp, {})});
    return std::move(parser.script);
}
