#pragma once

#include <filesystem>
#include <functional>
#include <memory>
#include <string>

#include "devicelink/DeviceLink.h"
#include "devicelink/LibraryRouter.h"
#include "devicelink/TracingLibrary.h"
#include "session/SessionFiles.h"

class MessageSink;

// The device link as both programs build it: the session's files, the USB
// library with this system's backends (the demo device, and libusb or the
// vendor's library), a trace of every library call when the files keep one,
// and the link on top; what the link notes goes into the log.
struct DeviceSession {
    struct Files {
        std::filesystem::path log;   // none when empty
        std::filesystem::path trace; // none when empty
        std::string heading;         // the log's first line
        MessageSink& messages;       // the files' problems
        std::function<void()> problemArrived = {};
    };

    // messages are the library's and the link's.
    DeviceSession(const Files& wanted, MessageSink& messages);

    SessionFiles files;
    LibraryRouter library;
    std::unique_ptr<TracingLibrary> tracer;
    DeviceLink link;
};
