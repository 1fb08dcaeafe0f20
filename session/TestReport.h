#pragma once

#include <string>
#include <vector>

#include "session/Duration.h"
#include "session/LastLines.h"
#include "session/Pattern.h"

// What became of one test.
struct TestReport {
    // What a report shows of the lines a failed step saw, and of a test's transcript.
    static constexpr std::size_t GOT_SHOWN = 20;
    static constexpr std::size_t TRANSCRIPT_KEPT = 1000;

    std::string script;
    std::string name;
    bool passed = true;
    bool ran = true;      // false: not run, for the reason given
    bool skipped = false; // by a skip step or a tag, for the reason given
    // Why it failed: the step and its line, what was expected and what came
    // instead while that step waited, the time waited; or why it did not run.
    std::string reason;
    int line = 0;
    std::string step;
    std::u16string expected;
    LastLines<std::u16string> got{GOT_SHOWN};
    std::u16string matched; // the line a never step found
    Milliseconds waited{0};
    Pattern::Captures captured;                         // what its patterns' named groups took
    std::string teardown;                               // why its teardown failed; empty: it did not
    int attempts = 1;                                   // with retry: the attempt that ended it
    std::vector<std::string> failedAttempts;            // why each earlier attempt failed
    LastLines<std::string> transcript{TRANSCRIPT_KEPT}; // "> sent" and "< received", escaped
    double seconds = 0;
};

// How a run ended.
enum class RunEnd { Completed, DeviceGone, NotBack, WriteFailed, Interrupted };
// Why a run ended before its tests did; for Completed, the one reason left: --fail-fast.
std::string EndReason(RunEnd end);

// Why a test failed, in a line: its step, where it stands and why.
std::string FailureSummary(const TestReport& report);
