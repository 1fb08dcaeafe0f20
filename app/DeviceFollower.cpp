#include "DeviceFollower.h"

#include <QTime>

#include "DeviceLink.h"
#include "DeviceNews.h"
#include "FrmCom3.h"
#include "LibraryRouter.h"
#include "LineAssembly.h"
#include "SessionAids.h"

DeviceFollower::DeviceFollower(FrmCom3& window, DeviceLink& link, LibraryRouter& library, DeviceNews& news,
                               LineAssembly& lines, SessionAids& aids)
    : window_(window), link_(link), library_(library), lines_(lines), aids_(aids)
{
    connect(&news, &DeviceNews::Changed, this, &DeviceFollower::Look);
    Toggle.setCheckable(true);
    connect(&Toggle, &QAction::toggled, this, &DeviceFollower::Switch);
    window_.txtReceive->AddMenuAction(&Toggle);
    connect(window_.cmdClose, &QPushButton::clicked, this, &DeviceFollower::StopWaiting);
    check_.setInterval(CHECK_MS);
    connect(&check_, &QTimer::timeout, this, &DeviceFollower::Look);
}

void DeviceFollower::Switch(bool on)
{
    link_.Departed = on ? std::function<void()>([this] { Left(); }) : nullptr;
    if (!on && away_)
        window_.cmdClose_Click(); // the window is Idle, as after Close
    StopWaiting();
}

void DeviceFollower::Left()
{
    link_.ClosePipes();
    away_ = true;
    failureMarked_ = false;
    aids_.Mark("left", QStringLiteral("%1 left at %2; waiting for it to return")
                           .arg(window_.cmbDesc->currentText(), // the box is locked while open
                                QTime::currentTime().toString(QStringLiteral("HH:mm:ss.zzz"))));
    window_.sbrMessage->SetStatusText(QStringLiteral("Away: waiting for the device to return"));
    check_.start();
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
    lines_.Discard(); // a line begun before it left will never end
    aids_.Mark("back", QStringLiteral("it returned at %1 and is open again; a line it had begun is dropped")
                           .arg(QTime::currentTime().toString(QStringLiteral("HH:mm:ss.zzz"))));
    window_.sbrMessage->SetStatusText(QStringLiteral("Prepared"));
}

void DeviceFollower::StopWaiting()
{
    away_ = false;
    check_.stop();
}
