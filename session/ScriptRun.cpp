#include "session/ScriptRun.h"

#include <algorithm>

#include "common/Sleep.h"
#include "devicelink/DeviceLink.h"
#include "session/SessionFiles.h"

namespace {

constexpr Milliseconds READ_TIMEOUT{10};
// How often a device that left is looked for.
constexpr Milliseconds REOPEN_CHECK{50};

// The wait of one read or sleep: at most READ_TIMEOUT, at least 1 ms.
std::int32_t WaitOf(std::chrono::steady_clock::duration left)
{
    return static_cast<std::int32_t>(std::clamp<long long>(
        std::chrono::duration_cast<Milliseconds>(left).count(), 1, READ_TIMEOUT.count()));
}

std::chrono::system_clock::time_point Now()
{
    return std::chrono::system_clock::now();
}

} // namespace

ScriptRun::ScriptRun(DeviceLink& link, SessionFiles& files, const std::atomic<bool>& interrupted)
    : link_(link), files_(files), interrupted_(interrupted)
{
    // A write that finds the device gone is told as that, not as a failed write.
    link_.Departed = [this] { departed_ = true; };
}

ScriptRun::~ScriptRun()
{
    link_.Departed = nullptr;
}

RunEnd ScriptRun::Run(const std::vector<Script>& scripts)
{
    ScriptInterpreter interpreter(scripts, settings);
    interpreter.reported = reported;
    for (;;) {
        if (interrupted_)
            interpreter.End(RunEnd::Interrupted);
        const ScriptInterpreter::Request request = interpreter.Next(Clock::now());
        switch (request.kind) {
        case ScriptInterpreter::Request::Kind::Continue:
            break;
        case ScriptInterpreter::Request::Kind::Read:
            Read(interpreter, request.until);
            break;
        case ScriptInterpreter::Request::Kind::Send:
            Send(interpreter, request);
            break;
        case ScriptInterpreter::Request::Kind::Return:
            Return(interpreter, request.until);
            break;
        case ScriptInterpreter::Request::Kind::Done:
            anyFailed_ = interpreter.AnyFailed();
            return interpreter.Ended();
        }
    }
}

void ScriptRun::Read(ScriptInterpreter& interpreter, Clock::time_point until)
{
    const Clock::time_point now = Clock::now();
    if (left_) { // nothing to read until the device is back
        Sleep(static_cast<std::uint32_t>(WaitOf(until - now)));
        return;
    }
    const std::u16string text = link_.ReceiveLine(WaitOf(until - now));
    if (text.empty()) {
        if (link_.LastReadError == ErrorCode::DeviceNotConnected && !interpreter.Draining()) {
            if (!interpreter.MayLeave())
                return interpreter.End(RunEnd::DeviceGone);
            left_ = true;
            link_.ClosePipes();
            // A line it had begun will never end: it is kept as it came.
            if (!lines_.PendingLine.empty())
                files_.LogMark("cut", lines_.PendingLine, Now());
            interpreter.Left(lines_.PendingLine);
            lines_.Discard();
            files_.LogMark("left", u"the device left; waiting for it to return", Now());
            return;
        }
        // A read that comes back empty at once must not spin, whatever it
        // reports: some libraries give up on a time-out without waiting.
        if (Clock::now() - now < Milliseconds(1))
            Sleep(1);
        return interpreter.ReadNothing();
    }
    lines_.Walk(text, [this, &interpreter](std::u16string_view line) {
        files_.LogLine(line);
        interpreter.Line(line);
    });
    interpreter.Pending(lines_.PendingLine);
}

void ScriptRun::Send(ScriptInterpreter& interpreter, const ScriptInterpreter::Request& request)
{
    departed_ = false;
    const bool written = request.step->kind == Step::Kind::Send ? link_.SendLine(request.text)
                                                                : link_.SendPacketOf(request.packet);
    if (written)
        files_.LogMark("sent", request.text, Now());
    interpreter.Sent(written, departed_);
}

void ScriptRun::Return(ScriptInterpreter& interpreter, Clock::time_point until)
{
    while (Clock::now() < until && !interrupted_) {
        if (!link_.OpenPipesQuietly()) {
            left_ = false;
            lines_.Discard(); // a line end waiting for its pair belongs to no line now
            files_.LogMark("back", u"the device returned and is open again", Now());
            return interpreter.Returned();
        }
        Sleep(static_cast<std::uint32_t>(REOPEN_CHECK.count()));
    }
}
