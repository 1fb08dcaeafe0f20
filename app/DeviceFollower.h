#pragma once

#include <QAction>
#include <QObject>
#include <QTimer>

#include "app/SessionAids.h"

class DeviceLink;
class DeviceNews;
class FrmCom3;
class LibraryRouter;
class LineAssembly;

// Opens the device again when it leaves and returns (a reset, a new
// firmware), while Toggle is ticked (--reopen ticks it). A read or a write
// that fails because the device has gone closes the pipes without a message;
// the device is looked for as soon as devices come or go (DeviceNews), and
// once a second for libraries that bring no such news. An Open that finds no
// such device waits for it in the same way. Each step is a marked line in the
// receive area and the log. Unticked, nothing changes.
class DeviceFollower : public QObject {
    Q_OBJECT
public:
    static constexpr int CHECK_MS = 1000;

    DeviceFollower(FrmCom3& window, DeviceLink& link, LibraryRouter& library, DeviceNews& news,
                   LineAssembly& lines, SessionAids& aids, const SessionAids::Clock& clock);

    QAction Toggle{QStringLiteral("&Reopen when the device returns")};

    // Follows the device while held, ticked or not: a script run that waits
    // for it to leave and return.
    void Hold(bool held);
    // Whether it waits for the device to return or to arrive.
    bool Away() const { return away_; }

signals:
    // It left, with the line it had begun; it is open again.
    void DeviceLeft(const QString& cut);
    void DeviceBack();

private:
    // The loop's time of day, as the marks say it: 14:03:07.250.
    QString TimeNow() const;
    // Follows or stops following, as ticked or held.
    void Switch();
    void Left();
    // An Open that finds no such device waits for it instead; false when it is there.
    bool WaitForAbsent();
    // Marks why it waits, and waits for the device.
    void Wait(const char* kind, const QString& text);
    // Opens the device if it is back.
    void Look();
    // Close ends the waiting.
    void Closed();
    void StopWaiting();

    FrmCom3& window_;
    DeviceLink& link_;
    LibraryRouter& library_;
    LineAssembly& lines_;
    SessionAids& aids_;
    const SessionAids::Clock& clock_;
    QTimer check_;
    bool away_ = false;
    bool returning_ = false;     // it left, rather than was not there at Open
    QString statusBefore_;       // the status the window had before it left, shown again on Close
    bool failureMarked_ = false; // a failed attempt to open it again has been marked
    bool held_ = false;
    bool following_ = false;
};
