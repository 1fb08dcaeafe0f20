#include "Tap.h"

#include <string>

#include "ScriptRun.h"
#include "TextEscape.h"

namespace {

std::string Quoted(std::u16string_view text)
{
    return "\"" + EscapedText(text) + "\"";
}

std::string Quoted(const std::string& utf8)
{
    return Quoted(FromUtf8(utf8).value_or(u"?"));
}

// A name for the test line: '#' would start a directive.
std::string Described(const std::string& name)
{
    std::string described;
    for (char c : EscapedText(FromUtf8(name).value_or(u"?")))
        described += c == '#' ? std::string("\\#") : std::string(1, c);
    return described;
}

} // namespace

Tap::Tap(std::FILE* out, int plan) : out_(out)
{
    std::fprintf(out_, "TAP version 13\n1..%d\n", plan);
    std::fflush(out_);
}

void Tap::Write(const TestReport& report)
{
    std::string text = std::string(report.passed ? "ok " : "not ok ") + std::to_string(++number_) + " - " +
                       Described(report.name) + "\n";
    if (!report.passed) {
        text += "  ---\n  script: " + Quoted(report.script) + "\n";
        if (!report.reason.empty())
            text += "  reason: " + Quoted(report.reason) + "\n";
        if (!report.step.empty())
            text += "  step: " + Quoted(report.step) + "\n  line: " + std::to_string(report.line) + "\n";
        if (!report.expected.empty())
            text += "  expected: " + Quoted(report.expected) + "\n";
        if (!report.got.empty()) {
            text += "  got:\n";
            for (const std::u16string& line : report.got)
                text += "    - " + Quoted(line) + "\n";
        }
        if (report.waited.count() > 0)
            text += "  waited: " + DurationText(report.waited) + "\n";
        text += "  ...\n";
    }
    std::fputs(text.c_str(), out_);
    std::fflush(out_);
}
