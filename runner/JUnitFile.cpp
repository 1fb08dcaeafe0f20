#include "JUnitFile.h"

#include <cstdio>
#include <pugixml.hpp>

#include "TextEscape.h"

namespace {

// Every text goes through EscapedText: what a device sends may hold
// characters XML 1.0 cannot carry at all.
std::string Safe(const std::string& utf8)
{
    return EscapedText(FromUtf8(utf8).value_or(u"?"));
}

std::string Seconds(double seconds)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.3f", seconds);
    return text;
}

void AddCase(pugi::xml_node suite, const TestReport& report)
{
    pugi::xml_node testCase = suite.append_child("testcase");
    testCase.append_attribute("name") = Safe(report.name).c_str();
    testCase.append_attribute("classname") = Safe(report.script).c_str();
    testCase.append_attribute("time") = Seconds(report.seconds).c_str();
    if (report.passed)
        return;
    pugi::xml_node failure = testCase.append_child("failure");
    const std::string message =
        !report.reason.empty() ? report.reason : "failed at line " + std::to_string(report.line);
    failure.append_attribute("message") = Safe(message).c_str();
    std::string detail = "step: " + Safe(report.step) + "\nline: " + std::to_string(report.line) + "\n";
    if (!report.expected.empty())
        detail += "expected: " + EscapedText(report.expected) + "\n";
    for (const std::u16string& line : report.got)
        detail += "got: " + EscapedText(line) + "\n";
    failure.text() = detail.c_str();
    std::string transcript;
    for (const std::string& line : report.transcript)
        transcript += line + "\n";
    testCase.append_child("system-out").text() = transcript.c_str();
}

} // namespace

JUnitFile::JUnitFile(const std::filesystem::path& path) : out_(path, std::ios::binary | std::ios::trunc) {}

bool JUnitFile::Write()
{
    pugi::xml_document document;
    pugi::xml_node suites = document.append_child("testsuites");
    suites.append_attribute("name") = "pellmark-run";
    pugi::xml_node suite;
    int tests = 0, failures = 0;
    double seconds = 0;
    for (const TestReport& report : reports_) {
        if (!suite || suite.attribute("name").value() != Safe(report.script)) {
            suite = suites.append_child("testsuite");
            suite.append_attribute("name") = Safe(report.script).c_str();
            for (const char* count : {"tests", "failures", "errors"})
                suite.append_attribute(count) = 0;
            suite.append_attribute("time") = "0.000";
        }
        suite.attribute("tests") = suite.attribute("tests").as_int() + 1;
        suite.attribute("failures") = suite.attribute("failures").as_int() + (report.passed ? 0 : 1);
        suite.attribute("time") = Seconds(suite.attribute("time").as_double() + report.seconds).c_str();
        AddCase(suite, report);
        ++tests;
        failures += report.passed ? 0 : 1;
        seconds += report.seconds;
    }
    suites.append_attribute("tests") = tests;
    suites.append_attribute("failures") = failures;
    suites.append_attribute("time") = Seconds(seconds).c_str();
    document.save(out_, "  ", pugi::format_default, pugi::encoding_utf8);
    out_.flush();
    return out_.good();
}
