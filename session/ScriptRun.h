#pragma once

#include <atomic>
#include <functional>
#include <string>
#include <vector>

#include "session/LineAssembly.h"
#include "session/ScriptInterpreter.h"

class DeviceLink;
class SessionFiles;

// Runs scripts on a device whose pipes are open, as fast as it answers:
// sends lines as the window sends them, reads with the window's reception
// and line assembly, logs what went and came, and hands each test's report
// on as soon as it is known.
class ScriptRun {
public:
    ScriptRun(DeviceLink& link, SessionFiles& files, const std::atomic<bool>& interrupted);
    ~ScriptRun();
    ScriptRun(const ScriptRun&) = delete;
    ScriptRun& operator=(const ScriptRun&) = delete;

    ScriptInterpreter::Settings settings;
    std::function<void(const TestReport&)> reported;

    RunEnd Run(const std::vector<Script>& scripts);
    bool AnyFailed() const { return anyFailed_; }

private:
    using Clock = ScriptInterpreter::Clock;

    void Read(ScriptInterpreter& interpreter, Clock::time_point until);
    void Send(ScriptInterpreter& interpreter, const ScriptInterpreter::Request& request);
    // Opens the device that left once it is back, trying until then.
    void Return(ScriptInterpreter& interpreter, Clock::time_point until);

    DeviceLink& link_;
    SessionFiles& files_;
    const std::atomic<bool>& interrupted_;
    LineAssembly lines_;
    bool anyFailed_ = false;
    bool left_ = false;     // the device left; its pipes are closed until it is back
    bool departed_ = false; // a write failed because the device had gone
};
