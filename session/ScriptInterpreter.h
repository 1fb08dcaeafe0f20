#pragma once

#include <chrono>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "session/Script.h"
#include "session/ScriptValues.h"
#include "session/TestReport.h"

// Runs scripts one small move at a time, with no device of its own: whoever
// drives it feeds it the lines received, the text received since the last
// line end, the time and what became of the device, and asks it what to do
// next. pellmark-run drives it as fast as the device answers; the window
// from its receive loop, one move a cycle, between the user's own lines.
class ScriptInterpreter {
public:
    using Clock = std::chrono::steady_clock;

    // Received lines waiting to be expected beyond this are dropped, the
    // oldest first, so that a device that floods cannot grow the run.
    static constexpr std::size_t WAITING_LIMIT = 10'000;
    // How many waiting lines one move searches, so that no move takes long.
    static constexpr std::size_t SEARCHED_PER_MOVE = 256;

    struct Settings {
        Milliseconds timeout{500};
        bool failFast = false;
        std::vector<std::string> only; // run only the tests with one of these tags
        std::vector<std::string> skip; // and none of these
        ScriptValues values;
    };

    // What the driver does next, then it asks again.
    struct Request {
        enum class Kind {
            Continue, // nothing: a move was made
            Read,     // read what the device sends, until a line comes or the time
            Send,     // write the packet, then say Sent
            Return,   // open the device that left once it is back, then say Returned
            Done,     // every test is reported
        };
        Request() = default;
        Request(Kind kind, Clock::time_point until = {}) : kind(kind), until(until) {}

        Kind kind = Kind::Continue;
        Clock::time_point until{};
        const Step* step = nullptr; // Send: a send step goes out as the window sends a line
        std::u16string text;        // Send: the step's text with its values
        std::string packet;         // Send: the packet's bytes
    };

    ScriptInterpreter(std::vector<Script> scripts, Settings settings);

    Request Next(Clock::time_point now);

    // A line received, the text received since the last line end (after each
    // read), a read that brought nothing.
    void Line(std::u16string_view line);
    void Pending(std::u16string_view text);
    void ReadNothing() { quiet_ = true; }
    // The packet was written or not (the device had gone when departed).
    void Sent(bool written, bool departed);
    // Whether the device may leave now: a reopen step follows in these steps.
    bool MayLeave() const;
    // Reading what came before a test: a departure seen now is left to its steps.
    bool Draining() const { return drainUntil_.has_value(); }
    // The device left (its pipes are closed), with the line it had begun.
    void Left(std::u16string_view cut);
    void Returned() { left_ = false; }
    // The run cannot go on: the device went away, the user interrupted it.
    void End(RunEnd why);

    RunEnd Ended() const { return end_; }
    bool AnyFailed() const { return anyFailed_; }

    std::function<void(const TestReport&)> reported;
    // Told as each step begins, for a driver that shows the run as it goes.
    std::function<void(const ::Step&)> stepBegun;

private:
    enum class Phase { ScriptStart, SetUp, TestStart, Steps, Teardown, TestEnd, Done };
    enum class Outcome { Waiting, Passed, Failed, Skipped };

    const Script& CurrentScript() const { return scripts_[script_]; }
    const TestCase& CurrentTest() const { return CurrentScript().tests[test_]; }
    // The step that has begun and not ended; none between steps.
    const ::Step* Current() const
    {
        return stepBegun_ && steps_ && step_ < steps_->size() ? &(*steps_)[step_] : nullptr;
    }
    bool Stopped() const { return end_ != RunEnd::Completed || (settings_.failFast && anyFailed_); }
    std::optional<std::string> Unselected(const TestCase& test) const;
    void Begin(Phase phase, const std::vector<Step>* steps, TestReport* report);
    void Drain(Clock::time_point now);
    Request StartScript(Clock::time_point now);
    Request StartTest(Clock::time_point now);
    Request EndTest(Clock::time_point now);
    // Moves the current steps on; Continue or Done once they are over.
    Request MoveSteps(Clock::time_point now);
    void NextPart();
    // The teardown's transcript and failure, into the test's report: each
    // part of it runs whatever became of the one before.
    void FoldTeardown();
    Outcome Step(const ::Step& step, Clock::time_point now, Request& request);
    void BeginStep(const ::Step& step, Clock::time_point now);
    Outcome Send(const ::Step& step, Request& request);
    Outcome Expect(const ::Step& step, Clock::time_point now, Request& request);
    Outcome Prompt(const ::Step& step, Clock::time_point now, Request& request);
    Outcome Reopen(const ::Step& step, Clock::time_point now, Request& request);
    // The step's text with its values, or none when one is not set (the step failed).
    std::optional<std::u16string> Valued(const ::Step& step, bool pattern);
    bool Matches(const ::Step& step, std::u16string_view line);
    void Capture(const Pattern::Captures& captured);
    Outcome Fail(const ::Step& step, const std::string& reason);
    Outcome TimedOut(const ::Step& step, Clock::time_point now);
    Request Wait(Clock::time_point until) const;
    void Report(TestReport report, Clock::time_point now);

    std::vector<Script> scripts_;
    Settings settings_;
    Phase phase_ = Phase::ScriptStart;
    std::size_t script_ = 0, test_ = 0;

    // The steps being run, and the report they go to.
    const std::vector<::Step>* steps_ = nullptr;
    std::size_t step_ = 0;
    bool stepBegun_ = false;
    TestReport* target_ = nullptr;
    bool teardownOfScript_ = false; // the test's own teardown ran; the script's runs now

    TestReport setUp_, report_, teardown_;
    bool setUpPassed_ = false;
    std::vector<const ::Step*> setUpNevers_, nevers_;
    Milliseconds timeout_{0};
    Clock::time_point testStarted_{}, stepStarted_{}, stepDeadline_{};
    std::optional<Clock::time_point> testDeadline_, returnDeadline_;
    int attempt_ = 1;
    std::vector<std::string> failedAttempts_;

    // The step's pattern, when its values made it.
    std::shared_ptr<const Pattern> pattern_;
    std::u16string argument_; // the step's text with its values
    LastLines<std::u16string> got_{TestReport::GOT_SHOWN};
    enum class Written { No, Waiting, Yes, Failed } written_ = Written::No;

    std::deque<std::u16string> waiting_;
    std::u16string pending_;
    std::size_t prompted_ = 0; // of the pending text, what a prompt step has taken
    bool quiet_ = false;
    std::optional<Clock::time_point> drainUntil_;
    bool left_ = false;
    bool leftInStep_ = false;
    RunEnd end_ = RunEnd::Completed;
    bool anyFailed_ = false;
};

// The report of a test that was not run, and why.
TestReport NotRun(const Script& script, const TestCase& test, const std::string& why);
