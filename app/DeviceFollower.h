#pragma once

#include <QAction>
#include <QObject>
#include <QTimer>

class DeviceLink;
class DeviceNews;
class FrmCom3;
class LibraryRouter;
class LineAssembly;
class SessionAids;

// Opens the device again when it leaves and returns (a reset, a new
// firmware), while Toggle is ticked (--reopen ticks it). A read or a write
// that fails because the device has gone closes the pipes without a message;
// the device is looked for as soon as devices come or go (DeviceNews), and
// once a second for libraries that bring no such news. Each step is
// a marked line in the receive area and the log. Unticked, nothing changes.
class DeviceFollower : public QObject {
    Q_OBJECT
public:
    static constexpr int CHECK_MS = 1000;

    DeviceFollower(FrmCom3& window, DeviceLink& link, LibraryRouter& library, DeviceNews& news,
                   LineAssembly& lines, SessionAids& aids);

    QAction Toggle{QStringLiteral("&Reopen when the device returns")};

private:
    void Switch(bool on);
    void Left();
    // Opens the device if it is back.
    void Look();
    void StopWaiting();

    FrmCom3& window_;
    DeviceLink& link_;
    LibraryRouter& library_;
    LineAssembly& lines_;
    SessionAids& aids_;
    QTimer check_;
    bool away_ = false;
    bool failureMarked_ = false; // a failed attempt to open it again has been marked
};
