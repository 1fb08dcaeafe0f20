#pragma once

#include <QAction>
#include <QObject>
#include <chrono>
#include <functional>

#include "window/LineStore.h"

class DeviceLink;
class FrmCom3;
class SessionFiles;

// The aids in the receive area's menu: each line's time (of day, or since the
// line before), the lines written shown among the received ones, the bytes
// each line came from, and a log started and stopped while the program runs. The log holds each line written
// and what happened to the device: opens, failed opens, closes and marked lines. With every aid off the area
// shows what the device said, as without them.
class SessionAids : public QObject {
    Q_OBJECT
public:
    using Clock = std::function<std::chrono::system_clock::time_point()>;

    // The clock is the one the receive loop reads for each line.
    SessionAids(FrmCom3& window, DeviceLink& link, SessionFiles& files, const Clock& clock);
    ~SessionAids() override;

    // Adds a marked line to the receive area and the log, with its time, and
    // in the area with the bytes it came from.
    void Mark(const char* kind, const QString& text, const ReceivedBytes& bytes = {});
    // A line written: logged as sent, and shown among the lines with Show Sent Lines.
    void Written(const QString& sent);

    QAction ShowTimes{QStringLiteral("Show &Times")};
    // Which times Show Times shows; offered while it is ticked.
    QAction TimesSince{QStringLiteral("Times Since the &Previous Line")};
    QAction ShowSent{QStringLiteral("Show Se&nt Lines")};
    QAction ShowBytes{QStringLiteral("Show &Bytes")};
    QAction Log{QStringLiteral("Start Lo&g…")};
    // Where Start Log starts: the folder last logged in, once there is one.
    QString LogFolder;

signals:
    // The user started a log in a folder other than LogFolder, which now names it.
    void LogFolderChanged(const QString& folder);

private:
    void ShowChosenTimes();
    void StartOrStopLog();
    // The item says Stop and names the file while a log runs.
    void ShowLogState();

    FrmCom3& window_;
    DeviceLink& link_;
    SessionFiles& files_;
    const Clock& clock_;
};
