#pragma once

#include <atomic>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "Duration.h"
#include "LineAssembly.h"
#include "Script.h"

class DeviceLink;
class SessionFiles;

// What became of one test.
struct TestReport {
    std::string script;
    std::string name;
    bool passed = true;
    // Why it failed: the step and its line, what was expected and what came
    // instead, the time waited; or why it did not run.
    std::string reason;
    int line = 0;
    std::string step;
    std::u16string expected;
    std::vector<std::u16string> got;
    Milliseconds waited{0};
    std::vector<std::string> transcript; // "> sent" and "< received", escaped
    double seconds = 0;
};

// How a run ended.
enum class RunEnd { Completed, DeviceGone, WriteFailed, Interrupted };

// Runs scripts on a device whose pipes are open: sends lines as the window
// sends them, reads with the window's reception and line assembly, and
// hands each test's report on as soon as it is known.
class ScriptRun {
public:
    // Received lines waiting to be expected beyond this are dropped, the
    // oldest first, so that a device that floods cannot grow the run.
    static constexpr std::size_t WAITING_LIMIT = 10'000;

    ScriptRun(DeviceLink& link, SessionFiles& files, const std::atomic<bool>& interrupted);

    Milliseconds timeout{500};
    bool failFast = false;
    std::function<void(const TestReport&)> reported;

    RunEnd Run(const std::vector<Script>& scripts);
    bool AnyFailed() const { return anyFailed_; }

private:
    using Clock = std::chrono::steady_clock;

    // Runs the steps; false when one failed, with the report saying why.
    bool RunSteps(const std::vector<Step>& steps, TestReport& report);
    bool Expect(const Step& step, TestReport& report);
    // Reads until a line arrives or the deadline passes (all the way with
    // untilDeadline); false once the run has to end or a never step failed.
    bool Receive(Clock::time_point deadline, bool untilDeadline, TestReport& report);
    void Take(std::u16string_view line, TestReport& report);
    // Waits for the device to leave (if it has not yet) and return, and opens it again.
    bool Reopen(const Step& step, TestReport& report);
    void Report(TestReport report, Clock::time_point started);
    // The run has ended, or --fail-fast stops it after a failed test.
    bool Stopped() const { return end_ != RunEnd::Completed || (failFast && anyFailed_); }

    DeviceLink& link_;
    SessionFiles& files_;
    const std::atomic<bool>& interrupted_;
    LineAssembly lines_;
    std::deque<std::u16string> waiting_;
    std::vector<const Step*> nevers_;
    RunEnd end_ = RunEnd::Completed;
    bool anyFailed_ = false;
    bool reopenAhead_ = false; // a reopen step follows in this test
    bool left_ = false;        // the device left; its pipes are closed until it is reopened
};
