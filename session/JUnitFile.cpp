#include "session/JUnitFile.h"

#include <cstdio>
#include <pugixml.hpp>
#include <sstream>

#include "common/TextEscape.h"
#include "session/ReportText.h"

namespace {

// What a device sends or a script holds may be no XML 1.0 at all.
std::string Safe(std::string_view bytes)
{
    return ReadableText(bytes, ReportReader::Xml);
}

std::string Safe(std::u16string_view text)
{
    return Safe(Utf8(text));
}

std::string Seconds(double seconds)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.3f", seconds);
    return text;
}

template <typename Text> std::string Joined(const LastLines<Text>& lines, const std::string& prefix)
{
    std::string joined;
    if (lines.Earlier() > 0)
        joined += std::to_string(lines.Earlier()) + " earlier lines left out\n";
    for (const Text& line : lines.Lines())
        joined += prefix + Safe(line) + "\n";
    return joined;
}

void AddCase(pugi::xml_node suite, const TestReport& report)
{
    pugi::xml_node testCase = suite.append_child("testcase");
    testCase.append_attribute("name") = Safe(report.name).c_str();
    testCase.append_attribute("classname") = Safe(report.script).c_str();
    testCase.append_attribute("time") = Seconds(report.seconds).c_str();
    if (!report.captured.empty() || report.attempts > 1) {
        pugi::xml_node properties = testCase.append_child("properties");
        auto add = [&properties](const std::string& name, const std::string& value) {
            pugi::xml_node property = properties.append_child("property");
            property.append_attribute("name") = Safe(name).c_str();
            property.append_attribute("value") = Safe(value).c_str();
        };
        for (const auto& [name, value] : report.captured)
            add(name, Utf8(value));
        if (report.attempts > 1)
            add("attempts", std::to_string(report.attempts));
    }
    if (report.skipped)
        testCase.append_child("skipped").append_attribute("message") = Safe(report.reason).c_str();
    std::string errors;
    for (const std::string& attempt : report.failedAttempts)
        errors += "attempt failed: " + Safe(attempt) + "\n";
    if (!report.teardown.empty()) {
        errors += "teardown failed: " + Safe(report.teardown) + "\n";
        if (report.passed) // the test itself passed: its teardown is an error of its own
            testCase.append_child("error").append_attribute("message") =
                ("teardown failed: " + Safe(report.teardown)).c_str();
    }
    if (!report.passed) {
        pugi::xml_node failure = testCase.append_child(report.ran ? "failure" : "error");
        const std::string message =
            !report.reason.empty() ? report.reason : "failed at line " + std::to_string(report.line);
        failure.append_attribute("message") = Safe(message).c_str();
        if (!report.ran)
            return;
        std::string detail = "step: " + Safe(report.step) + "\nline: " + std::to_string(report.line) + "\n";
        if (!report.expected.empty())
            detail += "expected: " + Safe(report.expected) + "\n";
        if (!report.matched.empty())
            detail += "matched: " + Safe(report.matched) + "\n";
        detail += Joined(report.got, "got: ");
        failure.text() = detail.c_str();
    }
    if (!report.passed || !errors.empty())
        testCase.append_child("system-out").text() = Joined(report.transcript, "").c_str();
    if (!errors.empty())
        testCase.append_child("system-err").text() = errors.c_str();
}

void Fill(pugi::xml_document& document, const std::vector<TestReport>& reports)
{
    pugi::xml_node suites = document.append_child("testsuites");
    suites.append_attribute("name") = "pellmark-run";
    pugi::xml_node suite;
    int tests = 0, failures = 0, errors = 0, skipped = 0;
    double seconds = 0;
    for (const TestReport& report : reports) {
        const std::string script = Safe(report.script);
        if (!suite || suite.attribute("name").value() != script) {
            suite = suites.append_child("testsuite");
            suite.append_attribute("name") = script.c_str();
            for (const char* count : {"tests", "failures", "errors", "skipped"})
                suite.append_attribute(count) = 0;
            suite.append_attribute("time") = "0.000";
        }
        const char* counted = !report.passed             ? (report.ran ? "failures" : "errors")
                              : report.skipped           ? "skipped"
                              : !report.teardown.empty() ? "errors"
                                                         : nullptr;
        suite.attribute("tests") = suite.attribute("tests").as_int() + 1;
        if (counted)
            suite.attribute(counted) = suite.attribute(counted).as_int() + 1;
        suite.attribute("time") = Seconds(suite.attribute("time").as_double() + report.seconds).c_str();
        AddCase(suite, report);
        ++tests;
        failures += !report.passed && report.ran;
        errors += !report.ran || (report.passed && !report.teardown.empty());
        skipped += report.skipped;
        seconds += report.seconds;
    }
    suites.append_attribute("tests") = tests;
    suites.append_attribute("failures") = failures;
    suites.append_attribute("errors") = errors;
    suites.append_attribute("skipped") = skipped;
    suites.append_attribute("time") = Seconds(seconds).c_str();
}

} // namespace

bool JUnitFile::Write() const
{
    pugi::xml_document document;
    Fill(document, reports_);
    std::ostringstream text;
    document.save(text, "  ", pugi::format_default, pugi::encoding_utf8);
    return file_.Write(text.str());
}
