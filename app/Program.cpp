#include "Program.h"

#include "DemoDevice.h"
#include "LibusbBackend.h"

Program::Program(const SessionOptions& options)
    : files(options.logPath, options.tracePath, messages),
      tracer(files.Trace() ? std::make_unique<TracingLibrary>(library, *files.Trace()) : nullptr)
{
    library.AddBackend(std::make_unique<DemoDevice>());
    library.AddBackend(std::make_unique<LibusbBackend>());
    messages.SetParent(&window);
}
