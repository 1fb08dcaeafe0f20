#include "ScriptRun.h"

#include <algorithm>

#include "DeviceLink.h"
#include "SessionFiles.h"
#include "Sleep.h"
#include "TextEscape.h"

namespace {

constexpr std::int32_t READ_TIMEOUT_MS = 10;
// How often a device that left is looked for.
constexpr std::uint32_t REOPEN_CHECK_MS = 50;

std::string EndReason(RunEnd end)
{
    switch (end) {
    case RunEnd::DeviceGone:
        return "the device went away";
    case RunEnd::WriteFailed:
        return "a write to the device failed";
    case RunEnd::Interrupted:
        return "the run was interrupted";
    case RunEnd::Completed:
        break;
    }
    return "an earlier test failed (--fail-fast)";
}

} // namespace

ScriptRun::ScriptRun(DeviceLink& link, SessionFiles& files, const std::atomic<bool>& interrupted)
    : link_(link), files_(files), interrupted_(interrupted)
{
}

RunEnd ScriptRun::Run(const std::vector<Script>& scripts)
{
    for (const Script& script : scripts) {
        TestReport setUp;
        setUp.script = script.name;
        nevers_.clear();
        const bool setUpPassed = !Stopped() && RunSteps(script.setUp, setUp);
        for (const TestCase& test : script.tests) {
            const Clock::time_point started = Clock::now();
            TestReport report;
            report.script = script.name;
            report.name = test.name;
            report.line = test.line;
            if (Stopped()) {
                report.passed = false;
                report.reason = "not run: " + EndReason(end_);
            } else if (!setUpPassed) {
                report = setUp;
                report.name = test.name;
                report.reason = "the set-up failed";
            } else {
                // Lines that came before the test were the previous test's.
                waiting_.clear();
                nevers_.clear();
                RunSteps(test.steps, report);
            }
            Report(std::move(report), started);
        }
    }
    return end_;
}

void ScriptRun::Report(TestReport report, Clock::time_point started)
{
    report.seconds = std::chrono::duration<double>(Clock::now() - started).count();
    anyFailed_ = anyFailed_ || !report.passed;
    if (reported)
        reported(report);
}

bool ScriptRun::RunSteps(const std::vector<Step>& steps, TestReport& report)
{
    for (auto it = steps.begin(); it != steps.end(); ++it) {
        const Step& step = *it;
        // A device that leaves before a reopen step is awaited, not the run's end.
        reopenAhead_ =
            std::any_of(it, steps.end(), [](const Step& s) { return s.kind == Step::Kind::Reopen; });
        bool passed = true;
        switch (step.kind) {
        case Step::Kind::Device:
            break;
        case Step::Kind::Timeout:
            timeout = *step.duration;
            break;
        case Step::Kind::Send:
            report.transcript.push_back("> " + EscapedText(step.argument));
            if (!link_.SendLine(step.argument))
                end_ = RunEnd::WriteFailed;
            passed = end_ == RunEnd::Completed;
            break;
        case Step::Kind::Expect:
            passed = Expect(step, report);
            break;
        case Step::Kind::Never:
            nevers_.push_back(&step);
            break;
        case Step::Kind::Wait:
            passed = Receive(Clock::now() + *step.duration, true, report);
            break;
        case Step::Kind::Reopen:
            passed = Reopen(step, report);
            break;
        }
        if (interrupted_)
            end_ = RunEnd::Interrupted;
        if (!passed || end_ != RunEnd::Completed) {
            report.passed = false;
            if (report.step.empty()) {
                report.step = step.text;
                report.line = step.line;
            }
            if (report.reason.empty() && end_ != RunEnd::Completed)
                report.reason = EndReason(end_);
            return false;
        }
    }
    return true;
}

bool ScriptRun::Expect(const Step& step, TestReport& report)
{
    const Milliseconds wait = step.duration.value_or(timeout);
    const Clock::time_point started = Clock::now();
    for (;;) {
        while (!waiting_.empty()) {
            std::u16string line = std::move(waiting_.front());
            waiting_.pop_front();
            if (step.pattern ? step.pattern->Search(line) : line == step.argument)
                return true;
            report.got.push_back(std::move(line));
        }
        if (Clock::now() >= started + wait || !Receive(started + wait, false, report)) {
            if (report.passed) { // not a never step's failure
                report.expected = step.argument;
                report.waited = std::chrono::duration_cast<Milliseconds>(Clock::now() - started);
            }
            return false;
        }
    }
}

bool ScriptRun::Receive(Clock::time_point deadline, bool untilDeadline, TestReport& report)
{
    const std::size_t before = waiting_.size();
    while (!interrupted_ && report.passed) {
        const Clock::time_point now = Clock::now();
        if (now >= deadline || (!untilDeadline && waiting_.size() > before))
            break;
        const auto left = std::chrono::duration_cast<Milliseconds>(deadline - now).count();
        if (left_) { // nothing to read until the device is back
            Sleep(static_cast<std::uint32_t>(std::clamp<long long>(left, 1, READ_TIMEOUT_MS)));
            continue;
        }
        const std::u16string text =
            link_.ReceiveLine(static_cast<std::int32_t>(std::clamp<long long>(left, 1, READ_TIMEOUT_MS)));
        if (text.empty()) {
            if (link_.LastReadError == ErrorCode::DeviceNotConnected && reopenAhead_) {
                left_ = true;
                link_.ClosePipes();
                continue;
            }
            if (link_.LastReadError == ErrorCode::DeviceNotConnected) {
                end_ = RunEnd::DeviceGone;
                return false;
            }
            // A read that comes back empty at once must not spin, whatever it
            // reports: some libraries give up on a time-out without waiting.
            if (Clock::now() - now < Milliseconds(1))
                Sleep(1);
            continue;
        }
        lines_.Walk(text, [this, &report](std::u16string_view line) { Take(line, report); });
    }
    if (interrupted_)
        end_ = RunEnd::Interrupted;
    return report.passed && end_ == RunEnd::Completed;
}

bool ScriptRun::Reopen(const Step& step, TestReport& report)
{
    const Clock::time_point deadline = Clock::now() + *step.duration;
    // Reading goes on until a read finds the device gone: the pipes opened
    // before it left stay dead even when it has already returned.
    while (!left_ && Clock::now() < deadline && !interrupted_ && report.passed)
        Receive(deadline, false, report);
    while (left_ && Clock::now() < deadline && !interrupted_) {
        if (!link_.OpenPipesQuietly()) {
            left_ = false;
            lines_.Discard(); // what arrived of a line before it left is no use
            report.transcript.push_back("(the device left and returned; reopened)");
            return true;
        }
        Sleep(REOPEN_CHECK_MS);
    }
    if (!interrupted_ && report.passed) {
        end_ = RunEnd::DeviceGone;
        report.reason =
            "the device did not leave and return within " + std::to_string(step.duration->count()) + "ms";
    }
    return false;
}

void ScriptRun::Take(std::u16string_view line, TestReport& report)
{
    files_.LogLine(line);
    report.transcript.push_back("< " + EscapedText(line));
    for (const Step* never : nevers_)
        if (report.passed && never->pattern->Search(line)) {
            report.passed = false;
            report.step = never->text;
            report.line = never->line;
            report.got.emplace_back(line);
        }
    if (waiting_.size() == WAITING_LIMIT)
        waiting_.pop_front();
    waiting_.emplace_back(line);
}
