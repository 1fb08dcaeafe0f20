#include "app/DeviceFollower.h"

#include <QTime>

#include "app/DeviceNews.h"
#include "app/SessionAids.h"
#include "common/LocalTime.h"
#include "devicelink/DeviceLink.h"
#include "devicelink/LibraryRouter.h"
#include "session/LineAssembly.h"
#include "window/FrmCom3.h"

DeviceFollower::DeviceFollower(FrmCom3& window, DeviceLink& link, LibraryRouter& library, DeviceNews& news,
                               LineAssembly& lines, SessionAids& aids, const SessionAids::Clock& clock)
    : window_(window), link_(link), library_(library), lines_(lines), aids_(aids), clock_(clock)
{
    connect(&news, &DeviceNews::Changed, this, &DeviceFollower::Look);
    Toggle.setCheckable(true);
    connect(&Toggle, &QAction::toggled, this, &DeviceFollower::Switch);
    window_.AddReceiveMenuAction(&Toggle);
    connect(&window_, &FrmCom3::CloseClicked, this, &DeviceFollower::Closed);
    // While it is away a line is not written, and that is said where the lines are.
    connect(&window_, &FrmCom3::LineNotWritten, this, [this](const QString& line) {
        if (away_)
            aids_.Mark("not sent", line);
    });
    check_.setInterval(CHECK_MS);
    connect(&check_, &QTimer::timeout, this, &DeviceFollower::Look);
}

void DeviceFollower::Hold(bool held)
{
    held_ = held;
    Switch();
}

void DeviceFollower::Switch()
{
    const bool on = Toggle.isChecked() || held_;
    if (on == following_)
        return;
    following_ = on;
    link_.Departed = on ? std::function<void()>([this] { Left(); }) : nullptr;
    window_.WaitsForAbsentDevice = on ? std::function<bool()>([this] { return WaitForAbsent(); }) : nullptr;
    if (!on && away_) {
        window_.cmdClose_Click(); // the window is Idle, as after Close
        Closed();
    }
    StopWaiting();
}

void DeviceFollower::Left()
{
    link_.ClosePipes();
    // A line it had begun will never end: it is kept as a line of its own,
    // marked as cut by the departure so that it is never taken for a whole one.
    const QString cut = QString::fromStdU16String(lines_.PendingLine);
    if (!cut.isEmpty()) {
        aids_.Mark("cut", cut, {lines_.LineBytes(), {}, lines_.BytesNotKept() > 0});
        lines_.Discard();
    }
    returning_ = true;
    Wait("left", QStringLiteral("%1 left at %2; waiting for it to return"));
    emit DeviceLeft(cut);
}

bool DeviceFollower::WaitForAbsent()
{
    if (library_.MPUSBGetDeviceCount(link_.State.DeviceId) > 0)
        return false;
    returning_ = false;
    Wait("absent", QStringLiteral("%1 is not connected at %2; waiting for it"));
    return true;
}

void DeviceFollower::Wait(const char* kind, const QString& text)
{
    statusBefore_ = window_.Status();
    away_ = true;
    failureMarked_ = false;
    aids_.Mark(kind, text.arg(window_.DeviceText(), // the box is locked while open
                              TimeNow()));
    window_.SetStatus(QStringLiteral("Away: waiting for the device to return"));
    window_.SayDoing(FrmCom3::Doing::Waiting, returning_ ? QStringLiteral("waiting for the device to return")
                                                         : QStringLiteral("waiting for the device"));
    check_.start();
}

QString DeviceFollower::TimeNow() const
{
    return QTime::fromMSecsSinceStartOfDay(LocalMillisecondOfDay(clock_()))
        .toString(QStringLiteral("HH:mm:ss.zzz"));
}

void DeviceFollower::Look()
{
    if (!away_ || library_.MPUSBGetDeviceCount(link_.State.DeviceId) < 1)
        return;
    if (std::optional<std::string> problem = link_.OpenPipesQuietly()) {
        if (!failureMarked_) // once, not once a second
            aids_.Mark("failed", QStringLiteral("it is back but did not open (%1); trying again")
                                     .arg(QString::fromStdString(*problem)));
        failureMarked_ = true;
        return;
    }
    StopWaiting();
    lines_.Discard(); // a line end's first half before it left pairs with nothing now
    aids_.Mark("back", (returning_ ? QStringLiteral("it returned at %1 and is open again")
                                   : QStringLiteral("it arrived at %1 and is open"))
                           .arg(TimeNow()));
    window_.SetStatus(QStringLiteral("Prepared"));
    emit DeviceBack();
}

void DeviceFollower::Closed()
{
    if (away_) {
        // The pipes closed when it left; the log hears of the Close all the same.
        if (link_.Noted)
            link_.Noted("close", (window_.DeviceText() + QStringLiteral(" by Close")).toStdU16String());
        window_.SetStatus(statusBefore_);
    }
    StopWaiting();
}

void DeviceFollower::StopWaiting()
{
    away_ = false;
    window_.SayDoing(FrmCom3::Doing::Waiting, {});
    check_.stop();
}
