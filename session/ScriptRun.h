#pragma once

#include <atomic>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "session/Duration.h"
#include "session/LastLines.h"
#include "session/Script.h"
#include "session/LineAssembly.h"

class DeviceLink;
class SessionFiles;

// What became of one test.
struct TestReport {
    // What a report shows of the lines a failed step saw, and of a test's transcript.
    static constexpr std::size_t GOT_SHOWN = 20;
    static constexpr std::size_t TRANSCRIPT_KEPT = 1000;

    std::string script;
    std::string name;
    bool passed = true;
    bool ran = true; // false: not run, for the reason given
    // Why it failed: the step and its line, what was expected and what came
    // instead while that step waited, the time waited; or why it did not run.
    std::string reason;
    int line = 0;
    std::string step;
    std::u16string expected;
    LastLines<std::u16string> got{GOT_SHOWN};
    std::u16string matched; // the line a never step found
    Milliseconds waited{0};
    LastLines<std::string> transcript{TRANSCRIPT_KEPT}; // "> sent" and "< received", escaped
    double seconds = 0;
};

// How a run ended.
enum class RunEnd { Completed, DeviceGone, NotBack, WriteFailed, Interrupted };

// Runs scripts on a device whose pipes are open: sends lines as the window
// sends them, reads with the window's reception and line assembly, and
// hands each test's report on as soon as it is known.
class ScriptRun {
public:
    // Received lines waiting to be expected beyond this are dropped, the
    // oldest first, so that a device that floods cannot grow the run.
    static constexpr std::size_t WAITING_LIMIT = 10'000;

    ScriptRun(DeviceLink& link, SessionFiles& files, const std::atomic<bool>& interrupted);
    ~ScriptRun();
    ScriptRun(const ScriptRun&) = delete;
    ScriptRun& operator=(const ScriptRun&) = delete;

    Milliseconds timeout{500};
    bool failFast = false;
    std::function<void(const TestReport&)> reported;

    RunEnd Run(const std::vector<Script>& scripts);
    bool AnyFailed() const { return anyFailed_; }

private:
    using Clock = std::chrono::steady_clock;

    // Runs the steps; false when one failed, with the report saying why.
    bool RunSteps(const std::vector<Step>& steps, TestReport& report);
    bool Send(const Step& step, TestReport& report);
    bool Expect(const Step& step, TestReport& report);
    // Reads until a line arrives, the device leaves or the deadline passes
    // (all the way with untilDeadline); false once the run has to end or the
    // test failed.
    bool Receive(Clock::time_point deadline, bool untilDeadline, TestReport& report);
    // Reads and logs what the device sent before a test or a script began:
    // it belongs to no step of it.
    void Drain();
    void Take(std::u16string_view line, TestReport& report);
    // Whether the step's text or pattern matches the line; a pattern that
    // needs more work than allowed fails the test instead.
    bool Matches(const Step& step, std::u16string_view line, TestReport& report);
    void Left(TestReport& report);
    // Waits for the device to leave (if it has not yet) and return, and opens it again.
    bool Reopen(const Step& step, TestReport& report);
    // Opens the device that left once it is back; false when it is not by the deadline.
    bool Return(Clock::time_point deadline);
    void Report(TestReport report, Clock::time_point started);
    // The run has ended, or --fail-fast stops it after a failed test.
    bool Stopped() const { return end_ != RunEnd::Completed || (failFast && anyFailed_); }

    DeviceLink& link_;
    SessionFiles& files_;
    const std::atomic<bool>& interrupted_;
    LineAssembly lines_;
    std::deque<std::u16string> waiting_;
    std::size_t taken_ = 0; // lines received so far; waiting_ stops growing at its limit
    std::vector<const Step*> nevers_;
    RunEnd end_ = RunEnd::Completed;
    bool anyFailed_ = false;
    bool reopenAhead_ = false; // a reopen step follows in this test
    bool left_ = false;        // the device left; its pipes are closed until it is reopened
    bool departed_ = false;    // a write failed because the device had gone
};

// The report of a test that was not run, and why.
TestReport NotRun(const Script& script, const TestCase& test, const std::string& why);
