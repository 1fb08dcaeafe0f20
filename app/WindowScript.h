#pragma once

#include <QAction>
#include <QObject>
#include <QTimer>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>

#include "session/ScriptInterpreter.h"
#include "session/Tap.h"

class DeviceFollower;
class DeviceLink;
class FrmCom3;
class JUnitFile;
class WholeFile;
class ReceiveLoop;
class SessionAids;

// Runs scripts in the window, moved on by the receive loop at the end of each
// cycle: a few moves and at most one packet a cycle, never a wait of its
// own, so that lines keep arriving and the user's own lines go out between
// its steps. Each step and each test's result is a marked line in the
// receive area and the log, and a last one sums the run up; the TAP and
// JUnit files, when asked for, are written as pellmark-run writes them once
// it is over. While a script that waits for the device to leave and return
// runs, the device is followed as with Reopen ticked.
class WindowScript : public QObject {
    Q_OBJECT
public:
    static constexpr int MOVES_PER_CYCLE = 16;

    WindowScript(FrmCom3& window, DeviceLink& link, ReceiveLoop& loop, SessionAids& aids,
                 DeviceFollower& follower);
    ~WindowScript() override;

    // Run Script… while none runs, Stop Script while one does.
    QAction Toggle{QStringLiteral("Run &Script…")};
    // Where a run's reports go once it ends; empty: nowhere.
    std::filesystem::path tapPath, junitPath;

    // Runs the script in the file on the open device; a script that cannot
    // be read or parsed is said in a marked line and not run.
    void Start(const std::filesystem::path& path);
    // Ends the run at once: the tests not yet over are reported not run.
    void Stop();
    bool Running() const { return interpreter_.has_value(); }

private:
    using Clock = ScriptInterpreter::Clock;

    void Choose();
    void Run(std::vector<Script> scripts, const std::string& name);
    // Why the scripts cannot run on the device in the window, if they cannot.
    std::optional<std::string> Unfit(const std::vector<Script>& scripts) const;
    // What the cycle's read brought, then the run's moves.
    void CycleEnded(bool read, bool text);
    // One move; true when another may follow in this cycle.
    bool Move();
    void Send(const ScriptInterpreter::Request& request);
    void Left(const QString& cut);
    void Reported(const TestReport& report);
    void Finish();
    void WriteReports();
    void Mark(const char* kind, const std::string& text);

    FrmCom3& window_;
    DeviceLink& link_;
    ReceiveLoop& loop_;
    SessionAids& aids_;
    DeviceFollower& follower_;
    std::optional<ScriptInterpreter> interpreter_;
    std::string tapText_;
    std::optional<Tap> tap_;
    std::unique_ptr<JUnitFile> junit_;
    std::unique_ptr<WholeFile> tapFile_;
    std::filesystem::path awaited_; // to run once the device the window waits for is open
    bool back_ = false;             // the device left and is open again; told at the run's Return
    int reportedCount_ = 0, passed_ = 0, skipped_ = 0;
    // Wakes the loop at the time the run waits for while the pipes are
    // closed, when the loop waits for events instead of reading.
    QTimer wake_;
};
