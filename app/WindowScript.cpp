#include "app/WindowScript.h"

#include <QFileDialog>

#include "app/ArgumentText.h"
#include "app/DeviceFollower.h"
#include "app/ReceiveLoop.h"
#include "app/SessionAids.h"
#include "common/TextEscape.h"
#include "devicelink/DeviceLink.h"
#include "session/JUnitFile.h"
#include "session/ScriptFile.h"
#include "session/WholeFile.h"
#include "window/FrmCom3.h"

namespace {

std::string FileName(const std::filesystem::path& path)
{
    const std::u8string name = path.u8string();
    return {name.begin(), name.end()};
}

bool HasReopen(const std::vector<Step>& steps)
{
    return std::any_of(steps.begin(), steps.end(),
                       [](const Step& step) { return step.kind == Step::Kind::Reopen; });
}

} // namespace

WindowScript::WindowScript(FrmCom3& window, DeviceLink& link, ReceiveLoop& loop, SessionAids& aids,
                           DeviceFollower& follower)
    : window_(window), link_(link), loop_(loop), aids_(aids), follower_(follower)
{
    window_.AddReceiveMenuAction(&Toggle);
    connect(&Toggle, &QAction::triggered, this, [this] { Running() ? Stop() : Choose(); });
    // The user's Close ends the run: nothing more can be said to the device.
    connect(&window_, &FrmCom3::CloseClicked, this, [this] {
        awaited_.clear();
        if (Running())
            interpreter_->End(RunEnd::Interrupted);
    });
    connect(&follower_, &DeviceFollower::DeviceLeft, this, &WindowScript::Left);
    // Back and open again, it is told when the run asks for it, as pellmark-run's reopening is.
    connect(&follower_, &DeviceFollower::DeviceBack, this, [this] {
        if (Running())
            back_ = true;
        else if (!awaited_.empty())
            Start(std::exchange(awaited_, {}));
    });
    wake_.setSingleShot(true);
    loop_.LineReceived = [this](std::u16string_view line) {
        if (Running())
            interpreter_->Line(line);
    };
    loop_.CycleEnded = [this](bool read, bool text) { CycleEnded(read, text); };
}

WindowScript::~WindowScript()
{
    // A run still going when the window closes is reported as far as it got.
    if (Running())
        Stop();
    loop_.LineReceived = nullptr;
    loop_.CycleEnded = nullptr;
}

void WindowScript::Choose()
{
    // Without a loop of its own, so that lines keep arriving meanwhile.
    auto* dialog = new QFileDialog(&window_, QStringLiteral("Run a script"), QString(),
                                   QStringLiteral("Scripts (*.script *.txt);;All files (*)"));
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setFileMode(QFileDialog::ExistingFile);
    connect(dialog, &QFileDialog::fileSelected, this,
            [this](const QString& path) { Start(PathOfArgument(path)); });
    dialog->open();
}

void WindowScript::Start(const std::filesystem::path& path)
{
    if (Running())
        return;
    // An Open that waits for its device (Reopen ticked): the script waits with it.
    if (!link_.State.PipesOpen && follower_.Away()) {
        awaited_ = path;
        return Mark("script", FileName(path) + ": runs once the device is open");
    }
    const std::string name = FileName(path);
    auto read = ReadScriptFile(path, name);
    if (auto* problem = std::get_if<std::string>(&read))
        return Mark("script", *problem + "; not run");
    std::vector<Script> scripts;
    scripts.push_back(std::move(std::get<Script>(read)));
    Run(std::move(scripts), name);
}

void WindowScript::Run(std::vector<Script> scripts, const std::string& name)
{
    junit_.reset();
    if (!junitPath.empty() && !(junit_ = std::make_unique<JUnitFile>(junitPath))->CanWrite())
        return Mark("script", "the JUnit file " + FileName(junitPath) + " cannot be written; not run");
    tapFile_.reset();
    if (!tapPath.empty() && !(tapFile_ = std::make_unique<WholeFile>(tapPath))->CanWrite())
        return Mark("script", "the TAP file " + FileName(tapPath) + " cannot be written; not run");
    tapText_.clear();
    tap_.emplace(tapText_, TestCount(scripts));
    reportedCount_ = passed_ = skipped_ = 0;
    const int tests = TestCount(scripts);
    Mark("script", name + ": " + std::to_string(tests) + (tests == 1 ? " test" : " tests"));
    if (const std::optional<std::string> why = Unfit(scripts)) {
        Mark("script", *why);
        for (const Script& script : scripts)
            for (const TestCase& test : script.tests)
                Reported(NotRun(script, test, *why));
        return Finish();
    }
    ScriptInterpreter::Settings settings;
    settings.values = ScriptValues(ProgramEnvironment);
    bool reopens = false;
    for (const Script& script : scripts) {
        reopens = reopens || HasReopen(script.setUp) || HasReopen(script.teardown);
        for (const TestCase& test : script.tests)
            reopens = reopens || HasReopen(test.steps) || HasReopen(test.teardown);
    }
    back_ = false;
    interpreter_.emplace(std::move(scripts), std::move(settings));
    interpreter_->reported = [this](const TestReport& report) { Reported(report); };
    interpreter_->stepBegun = [this](const Step& step) { Mark("step", step.text); };
    Toggle.setText(QStringLiteral("Stop &Script"));
    follower_.Hold(reopens);
}

std::optional<std::string> WindowScript::Unfit(const std::vector<Script>& scripts) const
{
    if (!link_.State.PipesOpen)
        return "the device is not open: press Open first";
    // A script written for another device is not sent to this one.
    const QString open = window_.DeviceText();
    for (const auto& [script, step] : DeviceLines(scripts))
        if (QString::fromStdU16String(step->argument).compare(open, Qt::CaseInsensitive) != 0)
            return "the script is for the device " + Utf8(step->argument) + ", not " +
                   Utf8(open.toStdU16String());
    return std::nullopt;
}

void WindowScript::Stop()
{
    if (!Running())
        return;
    interpreter_->End(RunEnd::Interrupted);
    interpreter_->ReadNothing(); // a drain under way ends too
    // With the run ended no move waits: each fails its step or reports a test not run.
    for (int moves = 0; Running() && moves < 1'000'000; ++moves)
        Move();
}

void WindowScript::CycleEnded(bool read, bool text)
{
    if (!Running())
        return;
    if (read && text) {
        interpreter_->Pending(loop_.Lines.PendingLine);
    } else if (read) {
        // Not followed, a device that left leaves its pipes open and every read failing.
        if (link_.LastReadError == ErrorCode::DeviceNotConnected && link_.State.PipesOpen &&
            !interpreter_->Draining())
            interpreter_->End(RunEnd::DeviceGone);
        interpreter_->ReadNothing();
    }
    int moves = 0;
    while (moves < MOVES_PER_CYCLE && Running() && Move())
        ++moves;
    // Moves left for the next cycle: a loop that waits for events is woken for them.
    if (moves == MOVES_PER_CYCLE && link_.State.InPipe == INVALID_PIPE)
        wake_.start(0);
}

bool WindowScript::Move()
{
    const ScriptInterpreter::Request request = interpreter_->Next(Clock::now());
    using Kind = ScriptInterpreter::Request::Kind;
    switch (request.kind) {
    case Kind::Continue:
        return true;
    case Kind::Return:
        if (std::exchange(back_, false)) {
            interpreter_->Returned();
            return true;
        }
        [[fallthrough]];
    case Kind::Read:
        if (link_.State.InPipe == INVALID_PIPE) {
            const auto left = std::chrono::ceil<std::chrono::milliseconds>(request.until - Clock::now());
            wake_.start(static_cast<int>(std::max<long long>(left.count(), 0)));
        }
        break;
    case Kind::Send:
        Send(request);
        break;
    case Kind::Done:
        Finish();
        break;
    }
    // The rest of the cycle is the loop's: its read, the window's events.
    return false;
}

void WindowScript::Send(const ScriptInterpreter::Request& request)
{
    // A failed write ends the run with its reason in the reports, never in a box that holds the loop.
    link_.QuietWrites = true;
    const bool written = request.step->kind == Step::Kind::Send ? link_.SendLine(request.text)
                                                                : link_.SendPacketOf(request.packet);
    link_.QuietWrites = false;
    if (written)
        aids_.Written(QString::fromStdU16String(request.text));
    interpreter_->Sent(written,
                       !link_.State.PipesOpen || link_.LastWriteError == ErrorCode::DeviceNotConnected);
}

void WindowScript::Left(const QString& cut)
{
    if (!Running())
        return;
    back_ = false;
    // What came before a test is read once its steps are known: their reopen step awaits it.
    if (!interpreter_->MayLeave())
        return interpreter_->End(RunEnd::DeviceGone);
    interpreter_->Left(cut.toStdU16String());
}

void WindowScript::Reported(const TestReport& report)
{
    tap_->Write(report);
    if (junit_)
        junit_->Add(report);
    std::string text = std::to_string(++reportedCount_) + " - " + report.name;
    if (report.skipped)
        text += " # SKIP " + report.reason;
    else if (!report.passed)
        text += ": " + FailureSummary(report);
    if (!report.teardown.empty())
        text += "; its teardown failed: " + report.teardown;
    if (report.attempts > 1)
        text += " (attempt " + std::to_string(report.attempts) + ")";
    std::string captured;
    for (const auto& [value, capture] : report.captured)
        captured += (captured.empty() ? "" : ", ") + value + "=" + Utf8(capture);
    if (!captured.empty())
        text += " (" + captured + ")";
    passed_ += report.passed && !report.skipped && report.teardown.empty();
    skipped_ += report.skipped;
    Mark(report.passed ? "ok" : "not ok", text);
}

void WindowScript::Finish()
{
    const bool ended = Running() && interpreter_->Ended() != RunEnd::Completed;
    Mark("script", std::to_string(passed_) + " of " + std::to_string(reportedCount_) + " passed" +
                       (skipped_ > 0 ? ", " + std::to_string(skipped_) + " skipped" : "") +
                       (ended ? "; " + EndReason(interpreter_->Ended()) : ""));
    WriteReports();
    interpreter_.reset();
    tap_.reset();
    tapFile_.reset();
    junit_.reset();
    wake_.stop();
    follower_.Hold(false);
    Toggle.setText(QStringLiteral("Run &Script…"));
}

void WindowScript::WriteReports()
{
    if (junit_ && !junit_->Write())
        Mark("failed", "writing the JUnit file " + FileName(junitPath) + " failed");
    if (tapFile_ && !tapFile_->Write(tapText_))
        Mark("failed", "writing the TAP file " + FileName(tapPath) + " failed");
}

void WindowScript::Mark(const char* kind, const std::string& text)
{
    aids_.Mark(kind, QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
}
