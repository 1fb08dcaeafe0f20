#pragma once

#include <map>
#include <string>

// Measures of the whole program as a user runs it: the real loop and window on
// the demo device, with the CPU time of the whole process.

// Streaming, idle with the pipes closed and idle with the demo device open.
std::map<std::string, double> MeasureRunningProgram(double seconds);

// Process start to first paint, median of several starts: "startup_ms" for the
// program, "startup_bare_ms" for a bare Qt window of the same size.
std::map<std::string, double> MeasureStartup(const char* self, int starts);

// pellmark-run on the demo device: "runner_lines_per_s" reading a COUNT 100000
// to its end, "runner_expect_ms" the mean from a send to its answer over 1,000
// in one test, "runner_test_ms" the median test of one send and its answer,
// and the program's peak memory over 200,000 and 2,000,000 streamed lines,
// with and without a JUnit file (RunnerBench.cpp).
std::map<std::string, double> MeasureRunner();

// In a process started by MeasureStartup: shows the window ("program" or
// "bare"), and prints the monotonic clock in nanoseconds at its first paint.
int RunStartupProbe(const char* what);
