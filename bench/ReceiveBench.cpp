// Costs on the receive path: reading a packet, walking it into lines,
// appending lines to the receive area at several fill levels, and the memory
// a receive area full of the longest lines holds.
#include <QApplication>
#include <QScrollBar>
#include <benchmark/benchmark.h>
#include <malloc.h>

#include "devicelink/DeviceLink.h"
#include "devicelink/MessageSink.h"
#include "devicelink/backends/DemoDevice.h"
#include "session/LineAssembly.h"
#include "window/ReceiveArea.h"

namespace {

const QString LINE_60 = QString(52, QChar('x')) + QStringLiteral(" 1234567");
// Lines a busy stream delivers within one frame.
constexpr int LINES_PER_FRAME = 16;

class NoMessages final : public MessageSink {
public:
    void ShowMessage(const std::string&) override {}
};

// Heap in use, which unlike the resident size does not depend on what
// earlier benchmarks left to the allocator.
double HeapMegabytes()
{
    struct mallinfo2 info = mallinfo2();
    return static_cast<double>(info.uordblks + info.hblkhd) / (1024.0 * 1024.0);
}

void Fill(ReceiveArea& area, qint64 lines, const QString& line, int linesPerFlush = LINES_PER_FRAME)
{
    for (qint64 i = 0; i < lines; ++i) {
        area.AppendLine(line);
        if (i % linesPerFlush == 0)
            area.Flush();
    }
    area.Flush();
}

// One 60-character line appended to an area that holds range(0) lines (and
// at most a tenth more before the oldest go), the view following the end; the
// area is shown and repainted every frame's worth of lines, as a busy stream
// would see it. At 0 it starts empty and is emptied again, untimed, each
// thousand lines.
void BM_AppendLine(benchmark::State& state)
{
    const qint64 level = state.range(0);
    ReceiveArea area;
    if (level > 0)
        area.SetLineLimit(level);
    area.resize(401, 393);
    area.show();
    Fill(area, level, LINE_60, 1000);
    QCoreApplication::processEvents();
    int appended = 0;
    for (auto _ : state) {
        area.AppendLine(LINE_60);
        if (++appended % LINES_PER_FRAME != 0 && appended % 1000 != 0)
            continue;
        area.Flush();
        QCoreApplication::processEvents();
        if (level == 0 && appended % 1000 == 0) {
            state.PauseTiming();
            area.Clear();
            state.ResumeTiming();
        }
    }
    state.counters["lines"] = static_cast<double>(area.Lines().Count());
}
BENCHMARK(BM_AppendLine)->Arg(0)->Arg(1000)->Arg(ReceiveArea::LINE_LIMIT)->Unit(benchmark::kMicrosecond);

// Memory held by a receive area filled to its bounds with the longest lines a
// device can make (pending text cut at the line assembly's limit), every line
// laid out once, as after the user scrolled through them all.
void BM_WorstCaseMemory(benchmark::State& state)
{
    const QString longest(static_cast<qsizetype>(LineAssembly::PENDING_LIMIT), QChar('y'));
    for (auto _ : state) {
        double before = HeapMegabytes();
        auto* area = new ReceiveArea;
        area->resize(401, 393);
        area->show();
        Fill(*area, static_cast<qint64>(ReceiveArea::BYTE_LIMIT / longest.size() * 5 / 4), longest, 1000);
        QScrollBar* bar = area->verticalScrollBar();
        for (int top = 0; top <= bar->maximum(); top += bar->pageStep()) {
            bar->setValue(top);
            area->viewport()->repaint();
        }
        state.counters["MB"] = HeapMegabytes() - before;
        state.counters["lines"] = static_cast<double>(area->Lines().Count());
        delete area;
    }
}
BENCHMARK(BM_WorstCaseMemory)->Iterations(1)->Unit(benchmark::kMillisecond);

// A 64-byte packet walked into lines.
void BM_WalkPacket(benchmark::State& state)
{
    LineAssembly lines;
    std::u16string packet = std::u16string(30, u'a') + u"\r\n" + std::u16string(30, u'b') + u"\r\n";
    std::size_t shown = 0;
    for (auto _ : state)
        lines.Walk(packet, [&shown](std::u16string_view line) { shown += line.size(); });
    benchmark::DoNotOptimize(shown);
}
BENCHMARK(BM_WalkPacket);

// One packet read from the demo device's stream and converted to text.
void BM_ReceiveLine(benchmark::State& state)
{
    DemoDevice device;
    NoMessages messages;
    DeviceLink link(device, messages);
    PipeHandle out = device.MPUSBOpen(0, "demo", "\\MCHP_EP1", DIRECTION_WRITE, 0);
    link.State.InPipe = device.MPUSBOpen(0, "demo", "\\MCHP_EP1", DIRECTION_READ, 0);
    std::uint8_t command[20] = "COUNT 1000000000\r";
    device.MPUSBWrite(out, command, 20, nullptr, 1000);
    for (auto _ : state)
        benchmark::DoNotOptimize(link.ReceiveLine(10));
}
BENCHMARK(BM_ReceiveLine);

} // namespace
