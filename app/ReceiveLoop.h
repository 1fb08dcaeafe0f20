#pragma once

#include <chrono>
#include <functional>

#include "session/LineAssembly.h"

class DeviceLink;
class FrmCom3;
class SessionFiles;

// The program's only loop: window events, a short sleep, one read of the
// device, and the received characters turned into lines in the receive area.
class ReceiveLoop {
public:
    static constexpr int SLEEP_MS = 1;
    static constexpr int READ_TIMEOUT_MS = 10;

    // With files, each line shown is logged and the files' problems are told.
    ReceiveLoop(FrmCom3& window, DeviceLink& link, SessionFiles* files = nullptr);

    // Runs one cycle; false once the window has gone and the run is over.
    bool RunCycle();
    // Runs cycles until the window has gone.
    void Run();

    LineAssembly Lines;
    // Read once for each line: its time in the area and in the log.
    std::function<std::chrono::system_clock::time_point()> Clock = std::chrono::system_clock::now;
    // Set by whoever follows the reception (a script run): told of each line
    // as it is shown, and at the end of each cycle whether it read and
    // whether the read brought text.
    std::function<void(std::u16string_view line)> LineReceived;
    std::function<void(bool read, bool text)> CycleEnded;

private:
    FrmCom3& window_;
    DeviceLink& link_;
    SessionFiles* files_;
};
