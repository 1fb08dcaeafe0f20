#include "session/DeviceSession.h"

#include <chrono>

#include "devicelink/SystemBackends.h"

DeviceSession::DeviceSession(const Files& wanted, MessageSink& messages)
    : files(wanted.log, wanted.trace, wanted.messages, wanted.problemArrived, wanted.heading),
      tracer(files.Trace() ? std::make_unique<TracingLibrary>(library, *files.Trace()) : nullptr),
      link(tracer ? static_cast<UsbLibrary&>(*tracer) : library, messages)
{
    AddSystemBackends(library, messages);
    link.Noted = [this](std::string_view kind, std::u16string_view text) {
        files.LogMark(kind, text, std::chrono::system_clock::now());
    };
}
