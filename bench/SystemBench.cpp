#include "bench/SystemBench.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>
#include <sys/resource.h>
#include <vector>

#include "app/Program.h"
#include "common/Sleep.h"
#include "window/AppIcon.h"

namespace {

// The program as Main puts it together, driven as a user would.
struct DemoProgram {
    explicit DemoProgram(const SessionOptions& options = {}) : program(options)
    {
        window.Form_Load();
        program.StartDeviceList();
    }
    void Open()
    {
        window.cmbDesc->setEditText(QStringLiteral("demo"));
        window.cmdPrepare_Click();
    }
    void Send(const QString& line)
    {
        window.txtSend->setText(line);
        window.cmdSend_Click();
    }
    // The number of the last "LINE n" shown.
    long LastLine()
    {
        window.txtReceive->Flush();
        QString last = window.txtReceive->LineText(window.txtReceive->EndLine() - 1);
        return last.section(u' ', 1).toLong();
    }

    Program program;
    FrmCom3& window = program.window;
    ReceiveLoop& loop = program.loop;
};

double ProcessCpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    auto seconds = [](const timeval& t) { return static_cast<double>(t.tv_sec) + t.tv_usec / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

struct Span {
    double wall;
    double cpu;
};

// Runs the loop for so long. A loop that waits for window events is woken at
// the end by a timer.
Span RunFor(ReceiveLoop& loop, double seconds)
{
    const double cpu = ProcessCpuSeconds();
    QElapsedTimer wall;
    wall.start();
    QTimer::singleShot(static_cast<int>(seconds * 1000), [] {});
    while (wall.nsecsElapsed() < seconds * 1e9)
        loop.RunCycle();
    return {wall.nsecsElapsed() / 1e9, ProcessCpuSeconds() - cpu};
}

std::int64_t MonotonicNanoseconds()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// Prints the clock once the window has been painted and its picture handed on.
class FirstPaint : public QObject {
public:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint && !seen_) {
            seen_ = true;
            QTimer::singleShot(0, [] {
                std::printf("%lld\n", static_cast<long long>(MonotonicNanoseconds()));
                QCoreApplication::quit();
            });
        }
        return false;
    }

private:
    bool seen_ = false;
};

// What the loop's sleeps alone cost, the same way the loop takes them: the
// floor under the open idle cycle (1 ms, then the demo's 10 ms empty read),
// with and without Qt's event dispatcher, and under each streamed line (one
// 1 ms sleep).
std::map<std::string, double> MeasureFloors(double seconds)
{
    std::map<std::string, double> floors;
    double cpu = ProcessCpuSeconds();
    QElapsedTimer wall;
    wall.start();
    while (wall.nsecsElapsed() < seconds * 1e9) {
        Sleep(ReceiveLoop::SLEEP_MS);
        Sleep(ReceiveLoop::READ_TIMEOUT_MS);
    }
    floors["idle_floor_cpu_percent_open"] = 100 * (ProcessCpuSeconds() - cpu) / (wall.nsecsElapsed() / 1e9);
    // The same with the one call for window events each cycle makes, in a
    // program with no window: what Qt's event dispatcher alone adds.
    cpu = ProcessCpuSeconds();
    wall.start();
    while (wall.nsecsElapsed() < seconds * 1e9) {
        QCoreApplication::processEvents();
        Sleep(ReceiveLoop::SLEEP_MS);
        Sleep(ReceiveLoop::READ_TIMEOUT_MS);
    }
    floors["idle_floor_qt_cpu_percent_open"] =
        100 * (ProcessCpuSeconds() - cpu) / (wall.nsecsElapsed() / 1e9);
    cpu = ProcessCpuSeconds();
    constexpr int LINES = 2000;
    for (int line = 0; line < LINES; ++line)
        Sleep(ReceiveLoop::SLEEP_MS);
    floors["stream_floor_cpu_ms_per_1000_lines"] = (ProcessCpuSeconds() - cpu) * 1000 / LINES * 1000;
    return floors;
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace

std::map<std::string, double> MeasureRunningProgram(double seconds)
{
    std::map<std::string, double> results = MeasureFloors(seconds);
    {
        DemoProgram idle;
        RunFor(idle.loop, 0.5);
        Span span = RunFor(idle.loop, seconds);
        results["idle_cpu_percent_closed"] = 100 * span.cpu / span.wall;
        idle.Open();
        RunFor(idle.loop, 0.5);
        span = RunFor(idle.loop, seconds);
        results["idle_cpu_percent_open"] = 100 * span.cpu / span.wall;
    }
    // Streaming plain, with the times and the sent lines shown (the times of
    // day, and the times since the line before), with a trace
    // of every call written to a file, and with a script beside it that
    // searches every line: three rounds, interleaved, and the median of each.
    QTemporaryDir folder;
    const QString script = folder.filePath(QStringLiteral("beside.script"));
    {
        QFile file(script);
        if (file.open(QIODevice::WriteOnly))
            file.write("test beside\nnever /^ERR/\nexpect /^LINE 0$/ within 3600s\n");
    }
    std::map<std::string, std::vector<double>> rounds;
    for (int round = 0; round < 3; ++round)
        for (const std::string variant : {"", "_aids", "_since", "_traced", "_script"}) {
            SessionOptions options;
            if (variant == "_traced")
                options.tracePath = folder.filePath(QStringLiteral("stream.trace")).toStdString();
            DemoProgram streaming(options);
            const bool aids = variant == "_aids" || variant == "_since";
            streaming.program.aids.ShowTimes.setChecked(aids);
            streaming.program.aids.TimesSince.setChecked(variant == "_since");
            streaming.program.aids.ShowSent.setChecked(aids);
            streaming.Open();
            streaming.Send(QStringLiteral("COUNT 1000000000"));
            if (variant == "_script")
                streaming.program.script.Start(script.toStdString());
            RunFor(streaming.loop, 1.0);
            const long first = streaming.LastLine();
            Span span = RunFor(streaming.loop, seconds);
            // A script refused by the window would measure a stream without it.
            if (variant == "_script" && !streaming.program.script.Running()) {
                std::fprintf(stderr, "the script beside the stream did not run\n");
                continue;
            }
            const auto lines = static_cast<double>(streaming.LastLine() - first);
            rounds["stream" + variant + "_lines_per_s"].push_back(lines / span.wall);
            rounds["stream" + variant + "_cpu_ms_per_1000_lines"].push_back(span.cpu * 1000 / lines * 1000);
        }
    for (const auto& [name, values] : rounds)
        results[name] = Median(values);
    return results;
}

std::map<std::string, double> MeasureStartup(const char* self, int starts)
{
    std::map<std::string, std::vector<double>> times;
    for (int i = 0; i < starts; ++i)
        for (const char* what : {"program", "bare"}) {
            QProcess probe;
            const std::int64_t started = MonotonicNanoseconds();
            probe.start(QString::fromLocal8Bit(self), {QStringLiteral("--startup-probe=%1").arg(what)});
            if (!probe.waitForFinished(30000) || probe.exitCode() != 0)
                continue;
            const std::int64_t painted = probe.readAllStandardOutput().trimmed().toLongLong();
            times[what].push_back((painted - started) / 1e6);
        }
    std::map<std::string, double> results;
    if (!times["program"].empty())
        results["startup_ms"] = Median(times["program"]);
    if (!times["bare"].empty())
        results["startup_bare_ms"] = Median(times["bare"]);
    return results;
}

int RunStartupProbe(const char* what)
{
    int argc = 1;
    char name[] = "pellmark";
    char* argv[] = {name, nullptr};
    QApplication application(argc, argv);
    FirstPaint firstPaint;
    if (std::string(what) == "bare") {
        QWidget window;
        window.resize(418, 484);
        window.installEventFilter(&firstPaint);
        window.show();
        return QApplication::exec();
    }
    // As main and Main do it.
    QApplication::setApplicationName(QStringLiteral("Pellmark"));
    QApplication::setWindowIcon(AppIcon());
    Program program;
    program.window.installEventFilter(&firstPaint);
    program.window.Form_Load();
    return QApplication::exec();
}
