#include "session/ScriptInterpreter.h"

#include <algorithm>

#include "common/TextEscape.h"

namespace {

// How long a test's start may spend reading what came before it, from a
// device that keeps sending, and how long each read of it waits.
constexpr Milliseconds DRAIN_LIMIT{50};
constexpr Milliseconds DRAIN_READ{1};

bool HasTag(const TestCase& test, const std::vector<std::string>& tags)
{
    return std::any_of(test.tags.begin(), test.tags.end(), [&tags](const std::string& tag) {
        return std::find(tags.begin(), tags.end(), tag) != tags.end();
    });
}

Milliseconds Since(std::chrono::steady_clock::time_point start, std::chrono::steady_clock::time_point now)
{
    return std::chrono::duration_cast<Milliseconds>(now - start);
}

} // namespace

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

std::string FailureSummary(const TestReport& report)
{
    std::string summary =
        report.step.empty() ? "" : report.step + " (line " + std::to_string(report.line) + ")";
    std::string why = report.reason;
    if (why.empty() && !report.matched.empty())
        why = "it matched \"" + EscapedText(report.matched) + "\"";
    if (why.empty())
        why = "nothing matched in " + DurationText(report.waited);
    return summary.empty() ? why : summary + ": " + why;
}

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

ScriptInterpreter::ScriptInterpreter(std::vector<Script> scripts, Settings settings)
    : scripts_(std::move(scripts)), settings_(std::move(settings))
{
}

ScriptInterpreter::Request ScriptInterpreter::Next(Clock::time_point now)
{
    if (drainUntil_) {
        if (!quiet_ && !left_ && now < *drainUntil_)
            return Wait(std::min(*drainUntil_, now + DRAIN_READ));
        drainUntil_.reset();
        waiting_.clear();
    }
    switch (phase_) {
    case Phase::ScriptStart:
        return StartScript(now);
    case Phase::TestStart:
        return StartTest(now);
    case Phase::SetUp:
    case Phase::Steps:
    case Phase::Teardown:
        return MoveSteps(now);
    case Phase::TestEnd:
        return EndTest(now);
    case Phase::Done:
        break;
    }
    return {Request::Kind::Done};
}

ScriptInterpreter::Request ScriptInterpreter::StartScript(Clock::time_point now)
{
    if (script_ == scripts_.size()) {
        phase_ = Phase::Done;
        return {Request::Kind::Done};
    }
    const Script& script = CurrentScript();
    timeout_ = settings_.timeout; // each script starts from it
    nevers_.clear();
    setUp_ = TestReport();
    setUp_.script = script.name;
    test_ = 0;
    if (!Stopped())
        Drain(now);
    Begin(Phase::SetUp, &script.setUp, &setUp_);
    // A script whose tests are all left out needs no set-up.
    if (std::all_of(script.tests.begin(), script.tests.end(),
                    [this](const TestCase& test) { return Unselected(test).has_value(); }))
        steps_ = nullptr;
    return {};
}

std::optional<std::string> ScriptInterpreter::Unselected(const TestCase& test) const
{
    if (!settings_.only.empty() && !HasTag(test, settings_.only))
        return "not tagged " + settings_.only.front() +
               (settings_.only.size() > 1 ? " or another --only" : "");
    if (HasTag(test, settings_.skip))
        return "tagged to be skipped (--skip)";
    return std::nullopt;
}

void ScriptInterpreter::Begin(Phase phase, const std::vector<::Step>* steps, TestReport* report)
{
    phase_ = phase;
    steps_ = steps;
    step_ = 0;
    stepBegun_ = false;
    target_ = report;
}

void ScriptInterpreter::Drain(Clock::time_point now)
{
    // What the device sent before a test or a script began belongs to no step of it.
    if (left_)
        return waiting_.clear();
    quiet_ = false;
    drainUntil_ = now + DRAIN_LIMIT;
}

ScriptInterpreter::Request ScriptInterpreter::StartTest(Clock::time_point now)
{
    const Script& script = CurrentScript();
    if (test_ == script.tests.size()) {
        ++script_;
        phase_ = Phase::ScriptStart;
        return {};
    }
    const TestCase& test = CurrentTest();
    if (attempt_ == 1)
        testStarted_ = now;
    if (const std::optional<std::string> why = Unselected(test)) {
        TestReport skipped;
        skipped.script = script.name;
        skipped.name = test.name;
        skipped.line = test.line;
        skipped.skipped = true;
        skipped.reason = *why;
        Report(std::move(skipped), now);
        ++test_;
        return {};
    }
    // It left in the test before, which ended before its reopen step.
    if (left_ && !Stopped()) {
        if (!returnDeadline_)
            returnDeadline_ = now + REOPEN_WAIT;
        if (now < *returnDeadline_)
            return {Request::Kind::Return, *returnDeadline_};
        end_ = RunEnd::NotBack;
    }
    returnDeadline_.reset();
    if (Stopped()) {
        Report(NotRun(script, test, EndReason(end_)), now);
        ++test_;
        return {};
    }
    report_ = TestReport();
    report_.script = script.name;
    report_.name = test.name;
    report_.line = test.line;
    if (const auto named = settings_.values.Substituted(*FromUtf8(test.name), false);
        std::holds_alternative<std::u16string>(named))
        report_.name = Utf8(std::get<std::u16string>(named));
    if (!setUpPassed_) {
        const std::string name = report_.name;
        report_ = setUp_;
        report_.name = name;
        report_.reason = "the set-up failed";
        Report(std::move(report_), now);
        ++test_;
        return {};
    }
    // The answers to a set-up may still be coming for its first test.
    if (test_ == 0 && attempt_ == 1)
        waiting_.clear();
    else
        Drain(now);
    nevers_ = setUpNevers_;
    testDeadline_.reset();
    if (test.limit)
        testDeadline_ = now + *test.limit;
    Begin(Phase::Steps, &test.steps, &report_);
    return {};
}

ScriptInterpreter::Request ScriptInterpreter::MoveSteps(Clock::time_point now)
{
    if (!steps_ || step_ == steps_->size()) {
        NextPart();
        return {};
    }
    const ::Step& step = (*steps_)[step_];
    if (!stepBegun_) {
        stepBegun_ = true;
        BeginStep(step, now);
        if (stepBegun)
            stepBegun(step);
    }
    Request request;
    Outcome outcome = Outcome::Waiting;
    if (phase_ == Phase::Steps && testDeadline_ && now >= *testDeadline_)
        outcome = Fail(step, "the test did not end within " + DurationText(*CurrentTest().limit));
    else if (end_ != RunEnd::Completed)
        outcome = Fail(step, EndReason(end_));
    else if (!target_->passed) // a never step found its line, a value was not set
        outcome = Outcome::Failed;
    else
        outcome = Step(step, now, request);
    if (outcome == Outcome::Waiting) {
        if (request.kind == Request::Kind::Read && testDeadline_ && phase_ == Phase::Steps)
            request.until = std::min(request.until, *testDeadline_);
        return request;
    }
    stepBegun_ = false;
    ++step_;
    if (outcome == Outcome::Failed || outcome == Outcome::Skipped)
        step_ = steps_->size();
    return {};
}

void ScriptInterpreter::NextPart()
{
    const Script& script = CurrentScript();
    if (phase_ == Phase::SetUp) {
        setUpPassed_ = setUp_.passed && end_ == RunEnd::Completed;
        setUpNevers_ = nevers_; // they hold in every test
        phase_ = Phase::TestStart;
        return;
    }
    if (phase_ == Phase::Steps) {
        teardown_ = TestReport();
        nevers_.clear();
        teardownOfScript_ = false;
        Begin(Phase::Teardown, &CurrentTest().teardown, &teardown_);
    } else if (!teardownOfScript_) {
        FoldTeardown();
        teardownOfScript_ = true;
        Begin(Phase::Teardown, &script.teardown, &teardown_);
    } else {
        phase_ = Phase::TestEnd;
        return;
    }
    // Whatever happened in the test; but a device that is gone cannot be talked to.
    if (end_ != RunEnd::Completed)
        steps_ = nullptr;
}

ScriptInterpreter::Request ScriptInterpreter::EndTest(Clock::time_point now)
{
    FoldTeardown();
    const TestCase& test = CurrentTest();
    if (!report_.passed && attempt_ <= test.retries && end_ == RunEnd::Completed) {
        failedAttempts_.push_back(FailureSummary(report_));
        ++attempt_;
        phase_ = Phase::TestStart;
        return {};
    }
    report_.attempts = attempt_;
    report_.failedAttempts = std::exchange(failedAttempts_, {});
    attempt_ = 1;
    Report(std::move(report_), now);
    ++test_;
    phase_ = Phase::TestStart;
    return {};
}

void ScriptInterpreter::FoldTeardown()
{
    for (const std::string& line : teardown_.transcript.Lines())
        report_.transcript.Add(line);
    if (!teardown_.passed)
        report_.teardown += (report_.teardown.empty() ? "" : "; ") + FailureSummary(teardown_);
    teardown_ = TestReport();
}

void ScriptInterpreter::Report(TestReport report, Clock::time_point now)
{
    report.seconds = std::chrono::duration<double>(now - testStarted_).count();
    anyFailed_ = anyFailed_ || !report.passed || !report.teardown.empty();
    if (reported)
        reported(report);
}

void ScriptInterpreter::BeginStep(const ::Step& step, Clock::time_point now)
{
    stepStarted_ = now;
    stepDeadline_ = now + step.duration.value_or(timeout_);
    got_ = LastLines<std::u16string>(TestReport::GOT_SHOWN);
    written_ = Written::No;
    leftInStep_ = false;
    pattern_ = step.pattern;
    argument_ = step.argument;
    const bool waits = step.kind == Step::Kind::Expect || step.kind == Step::Kind::Prompt;
    if (!waits || !step.valued)
        return;
    const std::optional<std::u16string> text = Valued(step, step.slashed);
    if (!text)
        return;
    argument_ = *text;
    if (!step.slashed)
        return;
    auto compiled = CompileSlashed(argument_);
    if (auto* problem = std::get_if<std::string>(&compiled))
        Fail(step, "with its values, the regular expression does not compile: " + *problem);
    else
        pattern_ = std::get<std::shared_ptr<const Pattern>>(compiled);
}

ScriptInterpreter::Outcome ScriptInterpreter::Step(const ::Step& step, Clock::time_point now,
                                                   Request& request)
{
    switch (step.kind) {
    case Step::Kind::Device:
        break;
    case Step::Kind::Timeout:
        timeout_ = *step.duration;
        break;
    case Step::Kind::Never:
        nevers_.push_back(&step);
        break;
    case Step::Kind::Skip:
        target_->skipped = true;
        target_->reason = step.argument.empty() ? "skipped" : Utf8(step.argument);
        return Outcome::Skipped;
    case Step::Kind::Send:
    case Step::Kind::Type:
        return Send(step, request);
    case Step::Kind::Expect:
        return Expect(step, now, request);
    case Step::Kind::Prompt:
        return Prompt(step, now, request);
    case Step::Kind::Wait:
        if (now >= stepDeadline_)
            break;
        request = Wait(stepDeadline_);
        return Outcome::Waiting;
    case Step::Kind::Reopen:
        return Reopen(step, now, request);
    }
    return target_->passed ? Outcome::Passed : Outcome::Failed;
}

std::optional<std::u16string> ScriptInterpreter::Valued(const ::Step& step, bool pattern)
{
    if (!step.valued)
        return step.argument;
    auto valued = settings_.values.Substituted(step.argument, pattern);
    if (auto* unset = std::get_if<ScriptValues::Unset>(&valued)) {
        Fail(step, "the value ${" + unset->name + "} is not set");
        return std::nullopt;
    }
    return std::get<std::u16string>(std::move(valued));
}

ScriptInterpreter::Outcome ScriptInterpreter::Send(const ::Step& step, Request& request)
{
    if (written_ == Written::Yes)
        return Outcome::Passed;
    if (written_ == Written::Failed)
        return Outcome::Failed;
    const std::optional<std::u16string> text = Valued(step, false);
    if (!text)
        return Outcome::Failed;
    std::string problem;
    std::optional<std::string> packet = PacketOf(step, *text, problem);
    if (!packet)
        return Fail(step, problem);
    target_->transcript.Add("> " + EscapedText(*text));
    written_ = Written::Waiting;
    request.kind = Request::Kind::Send;
    request.step = &step;
    request.text = *text;
    request.packet = std::move(*packet);
    return Outcome::Waiting;
}

void ScriptInterpreter::Sent(bool written, bool departed)
{
    written_ = written ? Written::Yes : Written::Failed;
    if (!written && end_ == RunEnd::Completed)
        end_ = departed ? RunEnd::DeviceGone : RunEnd::WriteFailed;
}

ScriptInterpreter::Outcome ScriptInterpreter::Expect(const ::Step& step, Clock::time_point now,
                                                     Request& request)
{
    if (!target_->passed) // a value not set, a never step's failure
        return Outcome::Failed;
    for (std::size_t searched = 0; !waiting_.empty() && searched < SEARCHED_PER_MOVE; ++searched) {
        std::u16string line = std::move(waiting_.front());
        waiting_.pop_front();
        if (Matches(step, line))
            return Outcome::Passed;
        if (!target_->passed) // the pattern needed too much work
            return Outcome::Failed;
        got_.Add(std::move(line));
    }
    if (!target_->passed) // a never step's failure
        return Outcome::Failed;
    if (now >= stepDeadline_)
        return TimedOut(step, now);
    request = waiting_.empty() ? Wait(stepDeadline_) : Request{};
    return Outcome::Waiting;
}

ScriptInterpreter::Outcome ScriptInterpreter::Prompt(const ::Step& step, Clock::time_point now,
                                                     Request& request)
{
    if (!target_->passed)
        return Outcome::Failed;
    // Only what came since the last line end, and since the last prompt taken in it.
    const std::u16string_view since =
        std::u16string_view(pending_).substr(std::min(prompted_, pending_.size()));
    const bool found = pattern_ ? Matches(step, since)
                                : since.size() >= argument_.size() &&
                                      since.substr(since.size() - argument_.size()) == argument_;
    if (!target_->passed)
        return Outcome::Failed;
    if (found && !since.empty()) {
        prompted_ = pending_.size();
        return Outcome::Passed;
    }
    if (now >= stepDeadline_) {
        got_.Add(std::u16string(since));
        return TimedOut(step, now);
    }
    request = Wait(stepDeadline_);
    return Outcome::Waiting;
}

ScriptInterpreter::Outcome ScriptInterpreter::Reopen(const ::Step& step, Clock::time_point now,
                                                     Request& request)
{
    if (leftInStep_ && !left_) {
        target_->transcript.Add("(the device left and returned; reopened)");
        return Outcome::Passed;
    }
    if (now >= stepDeadline_) {
        end_ = RunEnd::NotBack;
        return Fail(step, "the device did not leave and return within " +
                              std::to_string(step.duration->count()) + "ms");
    }
    leftInStep_ = leftInStep_ || left_;
    // Reading goes on until a read finds the device gone: the pipes opened
    // before it left stay dead even when it has already returned.
    request = left_ ? Request{Request::Kind::Return, stepDeadline_} : Wait(stepDeadline_);
    return Outcome::Waiting;
}

ScriptInterpreter::Outcome ScriptInterpreter::TimedOut(const ::Step& step, Clock::time_point now)
{
    target_->passed = false;
    target_->step = step.text;
    target_->line = step.line;
    target_->expected = argument_;
    target_->got = std::move(got_);
    target_->waited = Since(stepStarted_, now);
    return Outcome::Failed;
}

ScriptInterpreter::Outcome ScriptInterpreter::Fail(const ::Step& step, const std::string& reason)
{
    if (target_->passed || target_->reason.empty()) {
        if (target_->step.empty()) {
            target_->step = step.text;
            target_->line = step.line;
        }
        target_->reason = reason;
    }
    target_->passed = false;
    return Outcome::Failed;
}

bool ScriptInterpreter::Matches(const ::Step& step, std::u16string_view line)
{
    const Pattern* pattern = &step == Current() ? pattern_.get() : step.pattern.get();
    if (!pattern)
        return line == (&step == Current() ? argument_ : step.argument);
    Pattern::Captures captured;
    switch (pattern->Search(line, &captured)) {
    case Pattern::Found::Yes:
        Capture(captured);
        return true;
    case Pattern::Found::No:
        return false;
    case Pattern::Found::TooMuchWork:
        break;
    }
    target_->passed = false;
    target_->step = step.text;
    target_->line = step.line;
    target_->reason = "the pattern needed more work than allowed on line \"" + EscapedText(line) + "\"";
    return false;
}

void ScriptInterpreter::Capture(const Pattern::Captures& captured)
{
    for (const auto& [name, value] : captured) {
        settings_.values.Set(name, value);
        auto& kept = target_->captured;
        const auto same =
            std::find_if(kept.begin(), kept.end(), [&name = name](const auto& c) { return c.first == name; });
        if (same != kept.end())
            same->second = value;
        else
            kept.emplace_back(name, value);
    }
}

ScriptInterpreter::Request ScriptInterpreter::Wait(Clock::time_point until) const
{
    return {Request::Kind::Read, until};
}

void ScriptInterpreter::Line(std::u16string_view line)
{
    prompted_ = 0;
    pending_.clear();
    if (drainUntil_ || !target_ || phase_ == Phase::Done)
        return;
    target_->transcript.Add("< " + EscapedText(line));
    for (const ::Step* never : nevers_)
        if (target_->passed && Matches(*never, line)) {
            target_->passed = false;
            target_->step = never->text;
            target_->line = never->line;
            target_->matched = line;
        }
    if (Current() && Current()->kind == Step::Kind::Prompt)
        got_.Add(std::u16string(line));
    if (waiting_.size() == WAITING_LIMIT)
        waiting_.pop_front();
    waiting_.emplace_back(line);
}

void ScriptInterpreter::Pending(std::u16string_view text)
{
    pending_.assign(text);
}

bool ScriptInterpreter::MayLeave() const
{
    // A device that leaves before a reopen step is awaited, not the run's end.
    return steps_ &&
           std::any_of(steps_->begin() + static_cast<std::ptrdiff_t>(std::min(step_, steps_->size())),
                       steps_->end(), [](const ::Step& s) { return s.kind == Step::Kind::Reopen; });
}

void ScriptInterpreter::Left(std::u16string_view cut)
{
    left_ = true;
    prompted_ = 0;
    pending_.clear();
    // A line it had begun will never end: it is kept as it came.
    if (!cut.empty() && target_)
        target_->transcript.Add("(cut) " + EscapedText(cut));
}

void ScriptInterpreter::End(RunEnd why)
{
    if (end_ == RunEnd::Completed)
        end_ = why;
}
