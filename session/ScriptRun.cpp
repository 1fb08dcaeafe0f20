#include "session/ScriptRun.h"

#include <algorithm>

#include "common/Sleep.h"
#include "common/TextEscape.h"
#include "devicelink/DeviceLink.h"
#include "session/SessionFiles.h"

namespace {

constexpr std::int32_t READ_TIMEOUT_MS = 10;
// How often a device that left is looked for.
constexpr std::uint32_t REOPEN_CHECK_MS = 50;
// How long a test's start may spend reading what came before it, from a
// device that keeps sending.
constexpr Milliseconds DRAIN_LIMIT{50};

std::string EndReason(RunEnd end)
{
    switch (end) {
    case RunEnd::DeviceGone:
        return "the device went away";
    case RunEnd::WriteFailed:
        return "a write to the device failed";
    case RunEnd::Interrupted:
        return "the run was interrupted";
    case RunEnd::NotBack:
        return "the device did not leave and return in time";
    case RunEnd::Completed:
        break;
    }
    return "an earlier test failed (--fail-fast)";
}

std::int32_t ReadTimeout(std::chrono::steady_clock::duration left)
{
    return static_cast<std::int32_t>(
        std::clamp<long long>(std::chrono::duration_cast<Milliseconds>(left).count(), 1, READ_TIMEOUT_MS));
}

std::chrono::system_clock::time_point Now()
{
    return std::chrono::system_clock::now();
}

} // namespace

TestReport NotRun(const Script& script, const TestCase& test, const std::string& why)
{
    TestReport report;
    report.script = script.name;
    report.name = test.name;
    report.line = test.line;
    report.passed = false;
    report.ran = false;
    report.reason = "not run: " + why;
    return report;
}

ScriptRun::ScriptRun(DeviceLink& link, SessionFiles& files, const std::atomic<bool>& interrupted)
    : link_(link), files_(files), interrupted_(interrupted)
{
    // A write that finds the device gone is told as that, not as a failed write.
    link_.Departed = [this] { departed_ = true; };
}

ScriptRun::~ScriptRun()
{
    link_.Departed = nullptr;
}

RunEnd ScriptRun::Run(const std::vector<Script>& scripts)
{
    const Milliseconds firstTimeout = timeout; // each script starts from it
    for (const Script& script : scripts) {
        TestReport setUp;
        setUp.script = script.name;
        timeout = firstTimeout;
        nevers_.clear();
        if (!Stopped())
            Drain();
        const bool setUpPassed = !Stopped() && RunSteps(script.setUp, setUp);
        const std::vector<const Step*> setUpNevers = nevers_; // they hold in every test
        for (const TestCase& test : script.tests) {
            const Clock::time_point started = Clock::now();
            // It left in the test before, which ended before its reopen step.
            if (left_ && !Stopped() && !Return(Clock::now() + REOPEN_WAIT))
                end_ = RunEnd::NotBack;
            if (Stopped()) {
                Report(NotRun(script, test, EndReason(end_)), started);
                continue;
            }
            TestReport report;
            report.script = script.name;
            report.name = test.name;
            report.line = test.line;
            if (!setUpPassed) {
                report = setUp;
                report.name = test.name;
                report.reason = "the set-up failed";
            } else {
                // The answers to a set-up may still be coming for its first test.
                if (&test == &script.tests.front())
                    waiting_.clear();
                else
                    Drain();
                nevers_ = setUpNevers;
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
            passed = Send(step, report);
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

bool ScriptRun::Send(const Step& step, TestReport& report)
{
    report.transcript.Add("> " + EscapedText(step.argument));
    if (link_.SendLine(step.argument)) {
        // What went out: a line of 20 characters or more is cut to them.
        files_.LogMark("sent", std::u16string_view(step.argument).substr(0, DeviceLink::PACKET_SIZE), Now());
        return true;
    }
    end_ = departed_ ? RunEnd::DeviceGone : RunEnd::WriteFailed;
    return false;
}

bool ScriptRun::Expect(const Step& step, TestReport& report)
{
    const Milliseconds wait = step.duration.value_or(timeout);
    const Clock::time_point started = Clock::now(), deadline = started + wait;
    LastLines<std::u16string> got(TestReport::GOT_SHOWN); // what this step saw, not the test
    bool late = false;
    for (;;) {
        // Lines already here are searched until the deadline; a slow pattern
        // over many of them must not hold the step past it.
        while (!waiting_.empty() && report.passed && !interrupted_ && !late) {
            std::u16string line = std::move(waiting_.front());
            waiting_.pop_front();
            if (Matches(step, line, report))
                return true;
            got.Add(std::move(line));
            late = Clock::now() >= deadline;
        }
        if (!report.passed) // a never step's failure, or a pattern's work
            return false;
        if (late || interrupted_ || Clock::now() >= deadline || !Receive(deadline, false, report)) {
            if (report.passed) {
                report.expected = step.argument;
                report.got = std::move(got);
                report.waited = std::chrono::duration_cast<Milliseconds>(Clock::now() - started);
            }
            return false;
        }
    }
}

bool ScriptRun::Matches(const Step& step, std::u16string_view line, TestReport& report)
{
    if (!step.pattern)
        return line == step.argument;
    switch (step.pattern->Search(line)) {
    case Pattern::Found::Yes:
        return true;
    case Pattern::Found::No:
        return false;
    case Pattern::Found::TooMuchWork:
        break;
    }
    report.passed = false;
    report.step = step.text;
    report.line = step.line;
    report.reason = "the pattern needed more work than allowed on line \"" + EscapedText(line) + "\"";
    return false;
}

bool ScriptRun::Receive(Clock::time_point deadline, bool untilDeadline, TestReport& report)
{
    const std::size_t before = taken_;
    const bool wasLeft = left_;
    while (!interrupted_ && report.passed) {
        const Clock::time_point now = Clock::now();
        if (now >= deadline || (!untilDeadline && (taken_ > before || left_ != wasLeft)))
            break;
        if (left_) { // nothing to read until the device is back
            Sleep(static_cast<std::uint32_t>(ReadTimeout(deadline - now)));
            continue;
        }
        const std::u16string text = link_.ReceiveLine(ReadTimeout(deadline - now));
        if (text.empty()) {
            if (link_.LastReadError == ErrorCode::DeviceNotConnected) {
                if (!reopenAhead_) {
                    end_ = RunEnd::DeviceGone;
                    return false;
                }
                Left(report);
                continue;
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

void ScriptRun::Drain()
{
    const Clock::time_point until = Clock::now() + DRAIN_LIMIT;
    while (!left_ && Clock::now() < until) {
        const std::u16string text = link_.ReceiveLine(1);
        if (text.empty())
            break;
        lines_.Walk(text, [this](std::u16string_view line) { files_.LogLine(line); });
    }
    waiting_.clear();
}

void ScriptRun::Left(TestReport& report)
{
    left_ = true;
    link_.ClosePipes();
    // A line it had begun will never end: it is kept as it came.
    if (!lines_.PendingLine.empty()) {
        files_.LogMark("cut", lines_.PendingLine, Now());
        report.transcript.Add("(cut) " + EscapedText(lines_.PendingLine));
        lines_.Discard();
    }
    files_.LogMark("left", u"the device left; waiting for it to return", Now());
}

bool ScriptRun::Reopen(const Step& step, TestReport& report)
{
    const Clock::time_point deadline = Clock::now() + *step.duration;
    // Reading goes on until a read finds the device gone: the pipes opened
    // before it left stay dead even when it has already returned.
    while (!left_ && Clock::now() < deadline && !interrupted_ && report.passed)
        Receive(deadline, false, report);
    if (left_ && Return(deadline)) {
        report.transcript.Add("(the device left and returned; reopened)");
        return true;
    }
    if (!interrupted_ && report.passed) {
        end_ = RunEnd::NotBack;
        report.reason =
            "the device did not leave and return within " + std::to_string(step.duration->count()) + "ms";
    }
    return false;
}

bool ScriptRun::Return(Clock::time_point deadline)
{
    while (Clock::now() < deadline && !interrupted_) {
        if (!link_.OpenPipesQuietly()) {
            left_ = false;
            lines_.Discard(); // a line end waiting for its pair belongs to no line now
            files_.LogMark("back", u"the device returned and is open again", Now());
            return true;
        }
        Sleep(REOPEN_CHECK_MS);
    }
    return false;
}

void ScriptRun::Take(std::u16string_view line, TestReport& report)
{
    files_.LogLine(line);
    report.transcript.Add("< " + EscapedText(line));
    ++taken_;
    for (const Step* never : nevers_)
        if (report.passed && Matches(*never, line, report)) {
            report.passed = false;
            report.step = never->text;
            report.line = never->line;
            report.matched = line;
        }
    if (waiting_.size() == WAITING_LIMIT)
        waiting_.pop_front();
    waiting_.emplace_back(line);
}
