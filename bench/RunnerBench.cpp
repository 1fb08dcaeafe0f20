// The scripted runner on the demo device, in the process: how fast it reads a
// stream to its end, and how long a line takes from send to its answer; and as
// a program, its peak memory over streams of different lengths.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <vector>

#include "bench/SystemBench.h"
#include "devicelink/DeviceLink.h"
#include "devicelink/LibraryRouter.h"
#include "devicelink/MessageSink.h"
#include "devicelink/SystemBackends.h"
#include "session/ScriptRun.h"
#include "session/SessionFiles.h"

namespace {

class NoMessages final : public MessageSink {
public:
    void ShowMessage(const std::string&) override {}
};

// The reports of the script's tests, and the seconds the run took.
std::pair<std::vector<TestReport>, double> RunOnDemo(const std::string& text)
{
    NoMessages messages;
    LibraryRouter router;
    AddSystemBackends(router, messages);
    DeviceLink link(router, messages);
    link.State.DeviceId = "demo";
    link.OpenPipes();
    SessionFiles files({}, {}, messages);
    const std::atomic<bool> interrupted = false;
    ScriptRun run(link, files, interrupted);
    std::vector<TestReport> reports;
    run.reported = [&reports](const TestReport& report) { reports.push_back(report); };
    const auto start = std::chrono::steady_clock::now();
    run.Run({std::get<Script>(ParseScript("bench", text))});
    return {reports, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count()};
}

// pellmark-run's peak resident memory in MB over a failing test that streams
// the lines: every one is seen by an expect that never matches, until a never
// step finds the last. GNU time reads it: a program started straight from this
// large process would count this process's memory as its own.
double PeakMegabytes(long long lines, bool junit)
{
    const std::filesystem::path folder = std::filesystem::temp_directory_path();
    const std::string script = (folder / "pellmark-bench.script").string(), peak = script + ".peak";
    const std::string count = std::to_string(lines);
    std::ofstream(script) << "device demo\ntest stream\nnever /^LINE " << count << "$/\nsend COUNT " << count
                          << "\nexpect READY within 120s\n";
    const std::string command = "/usr/bin/time -q -f %M -o '" + peak + "' '" PELLMARK_RUN_BINARY "' " +
                                (junit ? "--junit '" + script + ".xml' '" : "'") + script + "' >/dev/null";
    long long kilobytes = -1;
    if (std::system(command.c_str()) != -1)
        std::ifstream(peak) >> kilobytes;
    return kilobytes / 1024.0;
}

} // namespace

std::map<std::string, double> MeasureRunner()
{
    std::map<std::string, double> results;
    const auto [streamed, seconds] =
        RunOnDemo("test stream\nsend COUNT 100000\nexpect /^LINE 100000$/ within 60s\n");
    if (streamed.size() == 1 && streamed[0].passed)
        results["runner_lines_per_s"] = 100000 / seconds;
    // Each test begins by reading what came before it: its own test costs that too.
    std::string echoes, tests;
    for (int i = 0; i < 1000; ++i)
        echoes += "send ECHO " + std::to_string(i) + "\nexpect " + std::to_string(i) + "\n";
    for (int i = 0; i < 101; ++i)
        tests += "test echo\nsend ECHO " + std::to_string(i) + "\nexpect " + std::to_string(i) + "\n";
    results["runner_expect_ms"] = RunOnDemo("test echoes\n" + echoes).first.at(0).seconds * 1000;
    std::vector<double> milliseconds;
    for (const TestReport& report : RunOnDemo(tests).first)
        milliseconds.push_back(report.seconds * 1000);
    std::nth_element(milliseconds.begin(), milliseconds.begin() + 50, milliseconds.end());
    results["runner_test_ms"] = milliseconds[50];
    for (const bool junit : {false, true}) {
        const std::string name = junit ? "runner_junit_peak_mb_" : "runner_peak_mb_";
        results[name + "200k_lines"] = PeakMegabytes(200'000, junit);
        results[name + "2m_lines"] = PeakMegabytes(2'000'000, junit);
    }
    return results;
}
