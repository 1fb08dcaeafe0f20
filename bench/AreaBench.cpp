#include "bench/AreaBench.h"

#include <QApplication>
#include <QClipboard>
#include <QElapsedTimer>
#include <QProcess>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>
#include <fstream>
#include <functional>
#include <unistd.h>

#include "window/ReceiveArea.h"
#include "window/ReceiveSearch.h"

namespace {

constexpr qint64 MILLION = 1'000'000;
// As the loop adds them: a frame's worth of lines at a time would take
// minutes for a million, and holds no more memory.
constexpr qint64 LINES_PER_FLUSH = 1000;

double ResidentMegabytes()
{
    std::ifstream statm("/proc/self/statm");
    long pages = 0, resident = 0;
    statm >> pages >> resident;
    return static_cast<double>(resident) * static_cast<double>(sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0);
}

void Feed(ReceiveArea& area, qint64 from, qint64 to, bool wide80)
{
    const QString padding = QString(72, u'x');
    for (qint64 line = from; line < to; ++line) {
        const QString text = wide80 ? QStringLiteral("%1 %2").arg(line, 7, 10, QChar(u'0')).arg(padding)
                                    : QStringLiteral("LINE %1").arg(line);
        area.AppendLine(text, {static_cast<int>(line % 86'400'000), line});
        if (line % LINES_PER_FLUSH == 0)
            area.Flush();
    }
    area.Flush();
    QCoreApplication::processEvents();
}

// How long the work takes from its start to its end, and the longest the loop
// waited for a turn meanwhile.
std::pair<double, double> Timed(const std::function<void(const std::function<void()>& done)>& start)
{
    bool finished = false;
    QElapsedTimer clock;
    clock.start();
    qint64 last = 0, longest = 0;
    QTimer turns;
    turns.setInterval(0);
    QObject::connect(&turns, &QTimer::timeout, [&] {
        const qint64 now = clock.nsecsElapsed();
        longest = std::max(longest, now - last);
        last = now;
    });
    turns.start();
    start([&finished] { finished = true; });
    while (!finished)
        QCoreApplication::processEvents();
    const qint64 now = clock.nsecsElapsed();
    return {now / 1e6, std::max(longest, now - last) / 1e6};
}

} // namespace

int RunAreaProbe(const char* what)
{
    int argc = 1;
    char name[] = "pellmark";
    char* argv[] = {name, nullptr};
    QApplication application(argc, argv);
    const bool wide80 = std::string(what) == "80";
    ReceiveArea area;
    area.resize(401, 393);
    area.show();
    QCoreApplication::processEvents();
    const double before = ResidentMegabytes();
    Feed(area, 0, MILLION, wide80);
    std::printf("%s %.2f\n", wide80 ? "area_rss_mb_1m_lines_80" : "area_rss_mb_1m_lines",
                ResidentMegabytes() - before);
    if (wide80)
        return 0;
    QElapsedTimer jumped;
    jumped.start();
    area.verticalScrollBar()->setValue(area.verticalScrollBar()->maximum() / 2);
    area.viewport()->repaint();
    std::printf("jump_ms_1m_lines %.2f\n", jumped.nsecsElapsed() / 1e6);
    ReceiveSearch search(area);
    QElapsedTimer typed;
    typed.start();
    search.Find(QStringLiteral("e 99999")); // ten lines match, the last near the end
    QCoreApplication::processEvents();
    std::printf("find_ms_1m_lines %.2f\n", typed.nsecsElapsed() / 1e6);
    std::fprintf(stderr, "%lld matches\n", static_cast<long long>(search.Count()));
    search.Stop();
    QTemporaryDir folder;
    const auto [saveMs, saveTurnMs] = Timed([&](const std::function<void()>& done) {
        area.SaveInTurns(folder.filePath("saved.txt"), [done](const QString&) { done(); });
    });
    std::printf("save_ms_1m_lines %.2f\nsave_longest_turn_ms_1m_lines %.2f\n", saveMs, saveTurnMs);
    area.selectAll();
    const auto [copyMs, copyTurnMs] = Timed([&](const std::function<void()>& done) {
        QObject::connect(QGuiApplication::clipboard(), &QClipboard::dataChanged, done);
        area.copy();
    });
    std::printf("copy_ms_1m_lines %.2f\ncopy_longest_turn_ms_1m_lines %.2f\n", copyMs, copyTurnMs);
    area.Select({}, {});
    Feed(area, MILLION, 2 * MILLION, false);
    std::printf("area_lines_kept %lld\n", static_cast<long long>(area.Lines().Count()));
    return 0;
}

std::map<std::string, double> MeasureLargeArea(const char* self)
{
    std::map<std::string, double> results;
    for (const char* what : {"demo", "80"}) {
        QProcess probe;
        probe.start(QString::fromLocal8Bit(self), {QStringLiteral("--area-probe=%1").arg(what)});
        if (!probe.waitForFinished(600'000) || probe.exitCode() != 0)
            continue;
        for (const QByteArray& line : probe.readAllStandardOutput().split('\n'))
            if (const QList<QByteArray> fields = line.split(' '); fields.size() == 2)
                results[fields[0].toStdString()] = fields[1].toDouble();
    }
    return results;
}
