// Runs the benchmarks, then the measures of the running program, and writes
// the headline numbers to a JSON file (bench/results.json from the top folder).
#include <QApplication>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <benchmark/benchmark.h>
#include <cstring>
#include <map>
#include <string>

#include "bench/AreaBench.h"
#include "bench/SystemBench.h"

namespace {

// Keeps the numbers the JSON file names, and shows every run as usual.
class Recorder : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        for (const Run& run : runs) {
            const std::string name = run.benchmark_name();
            if (name == "BM_AppendLine/0") {
                results["append_us_0"] = run.GetAdjustedRealTime();
                appendCpuAt0 = run.GetAdjustedCPUTime();
            } else if (name == "BM_AppendLine/1000000") {
                results["append_us_1m"] = run.GetAdjustedRealTime();
                results["area_append_ratio_1m_over_0"] = run.GetAdjustedCPUTime() / appendCpuAt0;
            } else if (name.rfind("BM_WorstCaseMemory", 0) == 0)
                results["worst_case_heap_mb"] = run.counters.at("MB");
        }
        ConsoleReporter::ReportRuns(runs);
    }
    std::map<std::string, double> results;
    double appendCpuAt0 = 0;
};

const char* OptionValue(int argc, char** argv, const char* name)
{
    const std::size_t length = std::strlen(name);
    for (int i = 1; i < argc; ++i)
        if (std::strncmp(argv[i], name, length) == 0 && argv[i][length] == '=')
            return argv[i] + length + 1;
    return nullptr;
}

} // namespace

int main(int argc, char** argv)
{
    if (const char* what = OptionValue(argc, argv, "--startup-probe"))
        return RunStartupProbe(what);
    if (const char* what = OptionValue(argc, argv, "--area-probe"))
        return RunAreaProbe(what);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    const char* resultsFile = OptionValue(argc, argv, "--results");
    const char* seconds = OptionValue(argc, argv, "--seconds");
    // A second run on another platform adds its numbers under names with this ending.
    const char* suffix = OptionValue(argc, argv, "--suffix");

    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    Recorder recorder;
    benchmark::RunSpecifiedBenchmarks(&recorder);
    benchmark::Shutdown();

    std::map<std::string, double> results = recorder.results;
    results.merge(MeasureRunningProgram(seconds ? std::atof(seconds) : 5.0));
    results.merge(MeasureStartup(argv[0], 7));
    if (!suffix) { // the runner has no window, and the large area is measured offscreen: once is enough
        results.merge(MeasureRunner());
        results.merge(MeasureLargeArea(argv[0]));
    }
    QFile file(resultsFile ? QString::fromLocal8Bit(resultsFile) : QString());
    QJsonObject json;
    if (suffix && file.open(QIODevice::ReadOnly))
        json = QJsonDocument::fromJson(file.readAll()).object();
    file.close();
    for (const auto& [name, value] : results) {
        const std::string key = name + (suffix ? suffix : "");
        std::printf("%-36s %10.2f\n", key.c_str(), value);
        json[QString::fromStdString(key)] = qRound(value * 100) / 100.0;
    }
    if (resultsFile) {
        if (!file.open(QIODevice::WriteOnly) || file.write(QJsonDocument(json).toJson()) < 0) {
            std::fprintf(stderr, "cannot write %s\n", resultsFile);
            return 1;
        }
    }
    return 0;
}
