// The scripted runner on the demo device, in the process: how fast it reads a
// stream to its end, and how long a line takes from send to its answer; and as
// a program, its peak memory over streams of different lengths.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <vector>

#include "DeviceLink.h"
#include "LibraryRouter.h"
#include "MessageSink.h"
#include "ScriptRun.h"
#include "SessionFiles.h"
#include "SystemBackends.h"
#include "SystemBench.h"

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
// step finds the last.
double PeakMegabytes(long long lines, bool junit)
{
    const std::filesystem::path folder = std::filesystem::temp_directory_path();
    const std::string script = (folder / "pellmark-bench.script").string(),
                      xml = (folder / "pellmark-bench.xml").string();
    const std::string count = std::to_string(lines);
    std::ofstream(script) << "device demo\ntest stream\nnever /^LINE " << count << "$/\nsend COUNT " << count
                          << "\nexpect READY within 120s\n";
    std::vector<std::string> arguments{PELLMARK_RUN_BINARY, script};
    if (junit)
        arguments.insert(arguments.begin() + 1, {"--junit", xml});
    std::vector<char*> argv;
    for (std::string& argument : arguments)
        argv.push_back(argument.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    pid_t child = 0;
    rusage usage{};
    int status = 0;
    const bool ran = posix_spawn(&child, argv[0], &actions, nullptr, argv.data(), environ) == 0 &&
                     wait4(child, &status, 0, &usage) == child && WIFEXITED(status) &&
                     WEXITSTATUS(status) == 1;
    posix_spawn_file_actions_destroy(&actions);
    return ran ? usage.ru_maxrss / 1024.0 : -1;
}

} // namespace

std::map<std::string, double> MeasureRunner()
{
    std::map<std::string, double> results;
    const auto [streamed, seconds] =
        RunOnDemo("test stream\nsend COUNT 100000\nexpect /^LINE 100000$/ within 60s\n");
    if (streamed.size() == 1 && streamed[0].passed)
        results["runner_lines_per_s"] = 100000 / seconds;
    std::string echoes;
    for (int i = 0; i < 101; ++i)
        echoes += "test echo\nsend ECHO " + std::to_string(i) + "\nexpect " + std::to_string(i) + "\n";
    std::vector<double> milliseconds;
    for (const TestReport& report : RunOnDemo(echoes).first)
        milliseconds.push_back(report.seconds * 1000);
    std::nth_element(milliseconds.begin(), milliseconds.begin() + 50, milliseconds.end());
    results["runner_expect_ms"] = milliseconds[50];
    for (const bool junit : {false, true}) {
        const std::string name = junit ? "runner_junit_peak_mb_" : "runner_peak_mb_";
        results[name + "200k_lines"] = PeakMegabytes(200'000, junit);
        results[name + "2m_lines"] = PeakMegabytes(2'000'000, junit);
    }
    return results;
}
