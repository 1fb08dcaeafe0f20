#include "app/Program.h"

#include <QCoreApplication>
#include <QMetaObject>

#include "devicelink/SystemBackends.h"

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
    : files(options.logPath, options.tracePath, fileMessages, WakeTheLoop, "Pellmark " PELLMARK_VERSION),
      tracer(files.Trace() ? std::make_unique<TracingLibrary>(library, *files.Trace()) : nullptr)
{
    AddSystemBackends(library, messages);
    messages.SetParent(&window);
    fileMessages.SetParent(&window);
}

void Program::StartDeviceList()
{
    news.Start();
    devices.Fill();
}
