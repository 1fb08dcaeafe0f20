#include "Program.h"

#include "SystemBackends.h"

Program::Program(const SessionOptions& options)
    : files(options.logPath, options.tracePath, messages),
      tracer(files.Trace() ? std::make_unique<TracingLibrary>(library, *files.Trace()) : nullptr)
{
    AddSystemBackends(library, messages);
    messages.SetParent(&window);
}
