#include "session/Tap.h"

#include <cerrno>
#include <cstring>

#include "common/TextEscape.h"
#include "session/ReportText.h"
#include "session/TestReport.h"

namespace {

// A YAML double-quoted scalar of the text. Only the escapes prove's reader
// knows are used, and in a list item a space after a colon is escaped too, or
// prove would take the item for a mapping.
std::string Quoted(std::string_view bytes, bool item = false)
{
    const std::string utf8 = ReadableText(bytes, ReportReader::Yaml);
    std::string quoted = "\"";
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(utf8[i]);
        if (c == '\\' || c == '"') {
            quoted += {'\\', static_cast<char>(c)};
        } else if (c == '\t' || c == '\n' || c == '\r') {
            quoted += {'\\', c == '\t' ? 't' : c == '\n' ? 'n' : 'r'};
        } else if (c < 0x20 || c == 0x7F || (item && c == ' ' && i > 0 && utf8[i - 1] == ':')) {
            char escape[5];
            std::snprintf(escape, sizeof escape, "\\x%02X", c);
            quoted += escape;
        } else {
            quoted += static_cast<char>(c);
        }
    }
    return quoted + "\"";
}

std::string Quoted(std::u16string_view text, bool item = false)
{
    return Quoted(Utf8(text), item);
}

// A name for the test line: TAP escapes '#' (a directive would follow) and
// the backslash.
std::string Described(const std::string& name)
{
    std::string described;
    for (char c : ReadableText(name, ReportReader::TapLine)) {
        if (c == '#' || c == '\\')
            described += '\\';
        described += c;
    }
    return described;
}

} // namespace

Tap::Tap(std::FILE* out, int plan) : out_(out)
{
    Put("TAP version 13\n1.." + std::to_string(plan) + "\n");
}

Tap::Tap(std::string& text, int plan) : text_(&text)
{
    Put("TAP version 13\n1.." + std::to_string(plan) + "\n");
}

void Tap::Write(const TestReport& report)
{
    std::string text = std::string(report.passed ? "ok " : "not ok ") + std::to_string(++number_) + " - " +
                       Described(report.name) +
                       (report.skipped ? " # SKIP " + Described(report.reason) : "") + "\n";
    std::string block;
    if (!report.passed) {
        block += "  script: " + Quoted(report.script) + "\n";
        if (!report.reason.empty())
            block += "  reason: " + Quoted(report.reason) + "\n";
        if (!report.step.empty())
            block += "  step: " + Quoted(report.step) + "\n  line: " + std::to_string(report.line) + "\n";
        if (!report.expected.empty())
            block += "  expected: " + Quoted(report.expected) + "\n";
        if (!report.matched.empty())
            block += "  matched: " + Quoted(report.matched) + "\n";
        if (report.got.Earlier() > 0)
            block += "  earlier: " + std::to_string(report.got.Earlier()) + " lines\n";
        if (!report.got.Empty()) {
            block += "  got:\n";
            for (const std::u16string& line : report.got.Lines())
                block += "    - " + Quoted(line, true) + "\n";
        }
        if (report.waited.count() > 0)
            block += "  waited: " + DurationText(report.waited) + "\n";
    }
    if (!report.captured.empty()) {
        block += "  captured:\n";
        for (const auto& [name, value] : report.captured)
            block += "    " + Quoted(name) + ": " + Quoted(value) + "\n";
    }
    if (!report.teardown.empty())
        block += "  teardown: " + Quoted(report.teardown) + "\n";
    if (report.attempts > 1) {
        block += "  attempts: " + std::to_string(report.attempts) + "\n  failed attempts:\n";
        for (const std::string& attempt : report.failedAttempts)
            block += "    - " + Quoted(attempt, true) + "\n";
    }
    Put(block.empty() ? text : text + "  ---\n" + block + "  ...\n");
}

void Tap::Put(const std::string& text)
{
    if (text_)
        return void(*text_ += text);
    if (!problem_.empty()) // what follows a failed write would be no TAP
        return;
    if (std::fputs(text.c_str(), out_) < 0 || std::fflush(out_) != 0)
        problem_ = std::strerror(errno);
}
