#include "app/Program.h"

#include <QCoreApplication>
#include <QMetaObject>

namespace {

// A file's problem met on its writer thread wakes the loop, which may be
// waiting for the window's next event, so that it is told at once.
void WakeTheLoop()
{
    if (QCoreApplication* application = QCoreApplication::instance())
        QMetaObject::invokeMethod(
            application, [] {}, Qt::QueuedConnection);
}

} // namespace

Program::Program(const SessionOptions& options)
    : session({options.logPath, options.tracePath, "Pellmark " PELLMARK_VERSION, fileMessages, WakeTheLoop},
              messages)
{
    messages.SetParent(&window);
    fileMessages.SetParent(&window);
}

void Program::StartDeviceList()
{
    news.Start();
    devices.Fill();
}
