// pellmark-run: send/expect scripts against a device, without a window.
#include <cstdio>
#include <fstream>
#include <iostream>
#include <iterator>
#include <memory>

#include "common/Arguments.h"
#include "common/Sleep.h"
#include "common/TextEscape.h"
#include "devicelink/AttachedDevice.h"
#include "devicelink/CodePage.h"
#include "devicelink/DeviceLink.h"
#include "devicelink/LibraryRouter.h"
#include "devicelink/MessageSink.h"
#include "devicelink/SystemBackends.h"
#include "devicelink/TracingLibrary.h"
#include "runner/Interrupt.h"
#include "runner/JUnitFile.h"
#include "runner/RunOptions.h"
#include "runner/ScriptRun.h"
#include "runner/StandardStreams.h"
#include "runner/Tap.h"
#include "session/SessionFiles.h"

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
        std::ifstream file;
        if (name != "-")
            file.open(PathOfArgument(name), std::ios::binary);
        std::istream& in = name == "-" ? std::cin : file;
        std::string text;
        try { // a folder, or a read that fails, throws from the file's buffer
            text.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        } catch (const std::ios_base::failure&) {
            in.setstate(std::ios::badbit);
        }
        if (in.fail() || (name == "-" && std::ferror(stdin)))
            return name + ": cannot be read";
        auto parsed = ParseScript(name == "-" ? "(standard input)" : name, text);
        if (auto* problem = std::get_if<std::string>(&parsed))
            return *problem;
        scripts.push_back(std::move(std::get<Script>(parsed)));
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
    for (const Script& script : scripts) {
        // A device line may stand in a test: a script without test lines is one test.
        std::vector<const std::vector<Step>*> parts{&script.setUp};
        for (const TestCase& test : script.tests)
            parts.push_back(&test.steps);
        for (const std::vector<Step>* steps : parts)
            for (const Step& step : *steps)
                if (step.kind == Step::Kind::Device) {
                    if (device && *device != step.argument)
                        return script.name + ":" + std::to_string(step.line) +
                               ": another device than the other scripts'";
                    device = step.argument;
                }
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

} // namespace

int main(int argc, char* argv[])
{
    PrepareStandardStreams();
    RunOptions options;
    if (auto problem = ParseRunOptions(ProgramArguments(argc, argv), options))
        return UsageError(*problem);
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
    const std::vector<Script>& scripts = std::get<std::vector<Script>>(read);
    const auto device = DeviceOf(options, scripts);
    if (auto* problem = std::get_if<std::string>(&device))
        return UsageError(*problem);
    std::unique_ptr<JUnitFile> junit;
    if (!options.junit.empty() &&
        !(junit = std::make_unique<JUnitFile>(PathOfArgument(options.junit)))->CanWrite())
        return UsageError("the JUnit file " + options.junit + " cannot be written");

    ConsoleMessages messages;
    SessionFiles files(PathOfArgument(options.log), PathOfArgument(options.trace), messages, {},
                       "pellmark-run " PELLMARK_VERSION);
    LibraryRouter router;
    AddSystemBackends(router, messages);
    std::unique_ptr<TracingLibrary> tracer =
        files.Trace() ? std::make_unique<TracingLibrary>(router, *files.Trace()) : nullptr;
    DeviceLink link(tracer ? static_cast<UsbLibrary&>(*tracer) : router, messages);
    link.Noted = [&files](std::string_view kind, std::u16string_view text) {
        files.LogMark(kind, text, std::chrono::system_clock::now());
    };
    const std::atomic<bool>& interrupted = WatchForInterrupt();

    int plan = 0;
    for (const Script& script : scripts)
        plan += static_cast<int>(script.tests.size());
    Tap tap(stdout, plan);
    auto reportTest = [&](const TestReport& report) {
        tap.Write(report);
        if (junit)
            junit->Add(report);
        files.ReportProblems();
    };
    // The status, once the reports are out: a report that could not be
    // written makes it 2, whatever the tests did.
    auto finish = [&](int status) {
        if (junit && !junit->Write()) {
            messages.ShowMessage("writing the JUnit file " + options.junit + " failed");
            status = 2;
        }
        if (!tap.Problem().empty()) {
            messages.ShowMessage("writing the TAP to standard output failed: " + tap.Problem());
            status = 2;
        }
        return status;
    };
    // A run that could not test reports every test not run, and why.
    auto notRun = [&](const std::string& why, int status) {
        for (const Script& script : scripts)
            for (const TestCase& test : script.tests)
                reportTest(NotRun(script, test, why));
        return finish(status);
    };

    const std::string deviceName = Utf8(std::get<std::u16string>(device));
    link.State.DeviceId = EncodeCodePage(std::get<std::u16string>(device));
    if (options.waitDevice && !WaitForDevice(router, link.State.DeviceId, *options.waitDevice, interrupted)) {
        const std::string why = "the run was interrupted while it waited for the device " + deviceName;
        messages.ShowMessage(why);
        return notRun(why, 130);
    }
    const bool attached = router.MPUSBGetDeviceCount(link.State.DeviceId) > 0;
    if (std::optional<std::string> problem = link.OpenPipesQuietly()) {
        const std::string why =
            "the device " + deviceName + (attached ? " cannot be opened: " + *problem : " is not connected");
        files.LogMark("failed", *FromUtf8(why), std::chrono::system_clock::now());
        messages.ShowMessage(why);
        return notRun(why, 3);
    }
    ScriptRun run(link, files, interrupted);
    run.timeout = options.timeout;
    run.failFast = options.failFast;
    run.reported = reportTest;
    const RunEnd end = run.Run(scripts);
    link.ClosePipes("at exit");
    return finish(ExitStatus(end, run.AnyFailed()));
}
