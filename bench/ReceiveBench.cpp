// Costs on the receive path: reading a packet, walking it into lines, and
// appending lines to the receive area at various fill levels; and the memory a
// full receive area holds.
#include <QApplication>
#include <benchmark/benchmark.h>
#include <malloc.h>
#include <memory>

#include "DemoDevice.h"
#include "DeviceLink.h"
#include "FrmCom3.h"
#include "LibraryRouter.h"
#include "LineAssembly.h"
#include "MessageSink.h"
#include "ReceiveArea.h"
#include "ReceiveLoop.h"

namespace {

const QString LINE_60 = QString(52, QChar('x')) + QStringLiteral(" 1234567");

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

void Fill(ReceiveArea& area, int lines, const QString& line = LINE_60)
{
    for (int i = 0; i < lines; ++i)
        area.AppendLine(line);
}

// One 60-character line appended to an area that already holds range(0) lines,
// the view following the end; repaints happen every 64 lines, as a busy
// stream would see them.
void BM_AppendLine(benchmark::State& state)
{
    ReceiveArea area;
    area.resize(401, 393);
    area.show();
    Fill(area, static_cast<int>(state.range(0)));
    QCoreApplication::processEvents();
    int appended = 0;
    for (auto _ : state) {
        area.AppendLine(LINE_60);
        if (++appended % 64 == 0)
            QCoreApplication::processEvents();
    }
    state.counters["blocks"] = area.document()->blockCount();
}
BENCHMARK(BM_AppendLine)->Arg(0)->Arg(1000)->Arg(ReceiveArea::LINE_LIMIT)->Unit(benchmark::kMicrosecond);

// Memory held by a receive area filled with range(0) lines of 60 characters.
void BM_FilledAreaMemory(benchmark::State& state)
{
    for (auto _ : state) {
        double before = HeapMegabytes();
        auto* area = new ReceiveArea;
        area->setMaximumBlockCount(0);
        area->resize(401, 393);
        area->show();
        Fill(*area, static_cast<int>(state.range(0)));
        QCoreApplication::processEvents();
        state.counters["MB"] = HeapMegabytes() - before;
        delete area;
    }
}
BENCHMARK(BM_FilledAreaMemory)->Arg(20000)->Arg(100000)->Iterations(1)->Unit(benchmark::kMillisecond);

// Memory held by range(0) of the longest lines a device can make: pending
// text cut at the line assembly's limit.
void BM_LongestLinesMemory(benchmark::State& state)
{
    const QString longest(static_cast<qsizetype>(LineAssembly::PENDING_LIMIT), QChar('y'));
    for (auto _ : state) {
        double before = HeapMegabytes();
        auto* area = new ReceiveArea;
        area->resize(401, 393);
        area->show();
        Fill(*area, static_cast<int>(state.range(0)), longest);
        QCoreApplication::processEvents();
        state.counters["MB"] = HeapMegabytes() - before;
        delete area;
    }
}
BENCHMARK(BM_LongestLinesMemory)->Arg(2000)->Iterations(1)->Unit(benchmark::kMillisecond);

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

// One cycle of the receive loop while the demo device streams: window events
// (the receive area's repaint among them), the 1 ms sleep, one packet read,
// and its line appended.
void BM_StreamingCycle(benchmark::State& state)
{
    LibraryRouter library;
    library.AddBackend(std::make_unique<DemoDevice>());
    NoMessages messages;
    DeviceLink link(library, messages);
    FrmCom3 window(link);
    ReceiveLoop loop(window, link);
    window.Form_Load();
    window.cmbDesc->setEditText("demo");
    window.cmdPrepare_Click();
    window.txtSend->setText("COUNT 1000000000");
    window.cmdSend_Click();
    for (auto _ : state)
        loop.RunCycle();
    state.counters["lines/s"] =
        benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_StreamingCycle)->UseRealTime()->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
