// The scripted runner on the demo device, in the process: how fast it reads a
// stream to its end, and how long a line takes from send to its answer.
#include <algorithm>
#include <atomic>
#include <chrono>
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

} // namespace

std::map<std::string, double> MeasureRunner()
{
    std::map<std::string, double> results;
    const auto [streamed, seconds] = RunOnDemo("test stream\nsend COUNT 100000\nexpect /^LINE 100000$/ within 60s\n");
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
    return results;
}
