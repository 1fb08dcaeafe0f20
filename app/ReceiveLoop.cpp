#include "app/ReceiveLoop.h"

#include <QCoreApplication>

#include "common/Sleep.h"
#include "devicelink/DeviceLink.h"
#include "session/SessionFiles.h"
#include "window/FrmCom3.h"

ReceiveLoop::ReceiveLoop(FrmCom3& window, DeviceLink& link, SessionFiles* files)
    : window_(window), link_(link), files_(files)
{
    // Opening the device discards a partly received line.
    QObject::connect(&window_, &FrmCom3::PendingLineDiscarded, [this] { Lines.Discard(); });
}

bool ReceiveLoop::RunCycle()
{
    // Handlers run only here, never while a packet is being read or walked.
    // With the pipes closed there is nothing to read: the cycle waits for the
    // window's next event instead of polling.
    const bool closed = link_.State.InPipe == INVALID_PIPE;
    QCoreApplication::processEvents(closed ? QEventLoop::WaitForMoreEvents : QEventLoop::AllEvents);
    if (!window_.isVisible())
        return false; // a minimised window still counts as visible
    if (files_)
        files_->ReportProblems();
    if (link_.State.InPipe == INVALID_PIPE) {
        if (CycleEnded)
            CycleEnded(false, false);
        return true;
    }

    Sleep(SLEEP_MS);
    std::u16string text = link_.ReceiveLine(READ_TIMEOUT_MS);
    const DeviceLink::Packet read = link_.LastPacketRead();
    // A lead byte alone makes no text yet, but its byte belongs to the line.
    if (!text.empty() || !read.kept.empty()) {
        const LineAssembly::Packet packet{read.kept, read.dropped};
        Lines.Walk(
            text,
            [this](std::u16string_view line) {
                const auto now = Clock();
                const QStringView shown(line.data(), static_cast<qsizetype>(line.size()));
                window_.ShowLine(shown, now,
                                 {Lines.LineBytes(), Lines.DroppedBytes(), Lines.BytesNotKept() > 0});
                if (files_)
                    files_->LogLine(line, now);
                window_.SetStatus(QStringLiteral("Received"));
                if (LineReceived)
                    LineReceived(line);
            },
            &packet);
    }
    if (CycleEnded)
        CycleEnded(true, !text.empty());
    return window_.isVisible();
}

void ReceiveLoop::Run()
{
    while (RunCycle()) {
    }
}
