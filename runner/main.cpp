// pellmark-run: send/expect scripts against a device, without a window.
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <memory>

#include "common/Arguments.h"
#include "common/Sleep.h"
#include "common/TextEscape.h"
#include "devicelink/CodePage.h"
#include "devicelink/DeviceLink.h"
#include "devicelink/DeviceListing.h"
#include "devicelink/MessageSink.h"
#include "runner/Interrupt.h"
#include "runner/RunOptions.h"
#include "runner/StandardStreams.h"
#include "session/DeviceSession.h"
#include "session/JUnitFile.h"
#include "session/ScriptFile.h"
#include "session/ScriptRun.h"
#include "session/Tap.h"

namespace {

// The device link's messages, as the window would show them, on standard error.
class ConsoleMessages final : public MessageSink {
public:
    void ShowMessage(const std::string& text) override
    {
        std::fprintf(stderr, "pellmark-run: %s\n", text.c_str());
    }
};

int UsageError(const std::string& problem)
{
    std::fprintf(stderr, "pellmark-run: %s\n\n%s", problem.c_str(), RUN_USAGE);
    return 2;
}

// The scripts, or what is wrong with the first that is wrong.
std::variant<std::vector<Script>, std::string> ReadScripts(const std::vector<std::string>& names)
{
    std::vector<Script> scripts;
    for (const std::string& name : names) {
        auto read = name == "-" ? ReadScript(std::cin, "(standard input)")
                                : ReadScriptFile(PathOfArgument(name), name);
        if (name == "-" && std::ferror(stdin))
            return "(standard input): cannot be read";
        if (auto* problem = std::get_if<std::string>(&read))
            return *problem;
        scripts.push_back(std::move(std::get<Script>(read)));
    }
    return scripts;
}

// The one device the command line or the scripts name, or what is wrong.
std::variant<std::u16string, std::string> DeviceOf(const RunOptions& options,
                                                   const std::vector<Script>& scripts)
{
    if (options.device)
        return FromUtf8(*options.device).value_or(u"");
    std::optional<std::u16string> device;
    for (const auto& [script, step] : DeviceLines(scripts)) {
        if (device && *device != step->argument)
            return script->name + ":" + std::to_string(step->line) +
                   ": another device than the other scripts'";
        device = step->argument;
    }
    if (!device)
        return std::string("no device: give --device ID or a device line");
    return *device;
}

// False when interrupted while it waited.
bool WaitForDevice(UsbLibrary& library, const std::string& deviceId, Milliseconds wait,
                   const std::atomic<bool>& interrupted)
{
    const auto deadline = std::chrono::steady_clock::now() + wait;
    while (library.MPUSBGetDeviceCount(deviceId) < 1 && std::chrono::steady_clock::now() < deadline &&
           !interrupted)
        Sleep(50);
    return !interrupted;
}

int ExitStatus(RunEnd end, bool anyFailed)
{
    switch (end) {
    case RunEnd::Interrupted:
        return 130;
    case RunEnd::DeviceGone:
    case RunEnd::NotBack:
    case RunEnd::WriteFailed:
        return 4;
    case RunEnd::Completed:
        break;
    }
    return anyFailed ? 1 : 0;
}

// What the command line asks to run: its scripts, on one device.
struct RunInput {
    RunOptions options;
    std::vector<Script> scripts;
    std::u16string device;
    std::unique_ptr<JUnitFile> junit;
};

// The run the command line asks for, or the exit status it ends with at once.
std::variant<RunInput, int> ReadInput(int argc, char* argv[])
{
    RunInput input;
    if (auto problem = ParseRunOptions(ProgramArguments(argc, argv), input.options))
        return UsageError(*problem);
    const RunOptions& options = input.options;
    if (options.help || options.version) {
        std::fputs(options.help ? RUN_USAGE : "pellmark-run " PELLMARK_VERSION "\n", stdout);
        return 0;
    }
    if (options.list) {
        std::fputs(AttachedDevicesText().c_str(), stdout);
        return 0;
    }
    auto read = ReadScripts(options.scripts);
    if (auto* problem = std::get_if<std::string>(&read)) {
        std::fprintf(stderr, "%s\n", problem->c_str());
        return 2;
    }
    input.scripts = std::move(std::get<std::vector<Script>>(read));
    const auto device = DeviceOf(options, input.scripts);
    if (auto* problem = std::get_if<std::string>(&device))
        return UsageError(*problem);
    input.device = std::get<std::u16string>(device);
    if (!options.junit.empty() &&
        !(input.junit = std::make_unique<JUnitFile>(PathOfArgument(options.junit)))->CanWrite())
        return UsageError("the JUnit file " + options.junit + " cannot be written");
    return input;
}

// Where each test's report goes: the TAP on standard output, the JUnit file,
// and the session files' problems on standard error.
class Reports {
public:
    Reports(RunInput& input, SessionFiles& files, MessageSink& messages)
        : input_(input), files_(files), messages_(messages), tap_(stdout, TestCount(input.scripts))
    {
    }

    void Add(const TestReport& report)
    {
        tap_.Write(report);
        if (input_.junit)
            input_.junit->Add(report);
        files_.ReportProblems();
    }

    // The status, once the reports are out: a report that could not be
    // written makes it 2, whatever the tests did.
    int Finish(int status)
    {
        if (input_.junit && !input_.junit->Write()) {
            messages_.ShowMessage("writing the JUnit file " + input_.options.junit + " failed");
            status = 2;
        }
        if (!tap_.Problem().empty()) {
            messages_.ShowMessage("writing the TAP to standard output failed: " + tap_.Problem());
            status = 2;
        }
        return status;
    }

    // A run that could not test reports every test not run, and why.
    int NotRun(const std::string& why, int status)
    {
        messages_.ShowMessage(why);
        for (const Script& script : input_.scripts)
            for (const TestCase& test : script.tests)
                Add(::NotRun(script, test, why));
        return Finish(status);
    }

private:
    RunInput& input_;
    SessionFiles& files_;
    MessageSink& messages_;
    Tap tap_;
};

} // namespace

int main(int argc, char* argv[])
{
    PrepareStandardStreams();
    auto read = ReadInput(argc, argv);
    if (const int* status = std::get_if<int>(&read))
        return *status;
    RunInput& input = std::get<RunInput>(read);
    ConsoleMessages messages;
    DeviceSession session({PathOfArgument(input.options.log), PathOfArgument(input.options.trace),
                           "pellmark-run " PELLMARK_VERSION, messages},
                          messages);
    DeviceLink& link = session.link;
    const std::atomic<bool>& interrupted = WatchForInterrupt();
    Reports reports(input, session.files, messages);

    const std::string deviceName = Utf8(input.device);
    link.State.DeviceId = EncodeCodePage(input.device);
    if (input.options.waitDevice &&
        !WaitForDevice(session.library, link.State.DeviceId, *input.options.waitDevice, interrupted))
        return reports.NotRun("the run was interrupted while it waited for the device " + deviceName, 130);
    const bool attached = session.library.MPUSBGetDeviceCount(link.State.DeviceId) > 0;
    if (std::optional<std::string> problem = link.OpenPipesQuietly()) {
        const std::string why =
            "the device " + deviceName + (attached ? " cannot be opened: " + *problem : " is not connected");
        session.files.LogMark("failed", *FromUtf8(why), std::chrono::system_clock::now());
        return reports.NotRun(why, 3);
    }
    ScriptRun run(link, session.files, interrupted);
    run.settings.timeout = input.options.timeout;
    run.settings.failFast = input.options.failFast;
    run.settings.only = input.options.only;
    run.settings.skip = input.options.skip;
    run.settings.values = ScriptValues(ProgramEnvironment);
    for (const auto& [name, value] : input.options.values)
        run.settings.values.Set(name, FromUtf8(value).value_or(u""));
    run.reported = [&reports](const TestReport& report) { reports.Add(report); };
    const RunEnd end = run.Run(input.scripts);
    link.ClosePipes("at exit");
    return reports.Finish(ExitStatus(end, run.AnyFailed()));
}
