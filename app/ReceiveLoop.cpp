#include "ReceiveLoop.h"

#include <QCoreApplication>

#include "DeviceLink.h"
#include "FrmCom3.h"

ReceiveLoop::ReceiveLoop(FrmCom3& window, DeviceLink& link) : window_(window), link_(link)
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
    if (link_.State.InPipe == INVALID_PIPE)
        return true;

    Sleep(SLEEP_MS);
    std::u16string text = link_.ReceiveLine(READ_TIMEOUT_MS);
    if (!text.empty()) {
        Lines.Walk(text, [this](std::u16string_view line) {
            window_.txtReceive->AppendLine(QStringView(line.data(), static_cast<qsizetype>(line.size())));
            window_.sbrMessage->SetStatusText(QStringLiteral("Received"));
        });
    }
    return window_.isVisible();
}

void ReceiveLoop::Run()
{
    while (RunCycle()) {
    }
}
