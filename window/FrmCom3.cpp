#include "window/FrmCom3.h"

#include <QTimer>

#include "common/LocalTime.h"

namespace {

LineTime LineTimeOf(FrmCom3::Time time)
{
    using namespace std::chrono;
    return {LocalMillisecondOfDay(time), duration_cast<milliseconds>(time.time_since_epoch()).count()};
}

} // namespace

FrmCom3::FrmCom3(DeviceLink& link, QWidget* parent) : QWidget(parent), link_(link)
{
    BuildLayout();
    connect(cmdPrepare, &QPushButton::clicked, this, &FrmCom3::cmdPrepare_Click);
    connect(cmdClose, &QPushButton::clicked, this, &FrmCom3::cmdClose_Click);
    connect(cmdClose, &QPushButton::clicked, this, &FrmCom3::CloseClicked);
    connect(cmdSend, &QPushButton::clicked, this, &FrmCom3::cmdSend_Click);
    connect(cmdCls, &QPushButton::clicked, this, &FrmCom3::cmdCls_Click);
    connect(txtReceive, &ReceiveArea::GotFocus, this, &FrmCom3::txtReceive_GotFocus);
    for (QWidget* box : {static_cast<QWidget*>(txtSend), static_cast<QWidget*>(cmbDesc)})
        box->installEventFilter(this);
    connect(txtReceive, &ReceiveArea::ZoomChanged, this, &FrmCom3::ZoomChanged);
    connect(txtReceive, &ReceiveArea::SaveFolderChanged, this, &FrmCom3::SaveFolderChanged);
    cmbDesc->IsAttached = [this](const QString& id) { return IsDeviceAttached && IsDeviceAttached(id); };
}

void FrmCom3::ShowLine(QStringView line, Time time, const ReceivedBytes& bytes)
{
    txtReceive->AppendLine(line, LineTimeOf(time), bytes);
}

void FrmCom3::ShowMark(QStringView kind, QStringView text, Time time, const ReceivedBytes& bytes)
{
    txtReceive->AppendMark(kind, text, LineTimeOf(time), bytes);
}

QString FrmCom3::Status() const
{
    return sbrMessage->StatusText();
}

void FrmCom3::SetStatus(const QString& text)
{
    sbrMessage->SetStatusText(text);
}

QString FrmCom3::DeviceText() const
{
    return cmbDesc->currentText();
}

void FrmCom3::SetDeviceText(const QString& text)
{
    cmbDesc->setEditText(text);
}

void FrmCom3::ListDevices(const std::vector<AttachedDevice>& devices)
{
    cmbDesc->ShowAttached(devices);
}

void FrmCom3::ListOpened(const QStringList& ids)
{
    cmbDesc->ShowOpened(ids);
}

void FrmCom3::Zoom(int steps)
{
    txtReceive->Zoom(steps);
}

void FrmCom3::SetSaveFolder(const QString& folder)
{
    txtReceive->SaveFolder = folder;
}

void FrmCom3::ShowBytes(bool shown)
{
    txtReceive->ShowBytes(shown);
}

void FrmCom3::KeepLines(qint64 lines)
{
    txtReceive->SetLineLimit(lines);
}

void FrmCom3::SayLogging(bool logging)
{
    txtReceive->SetLogging(logging);
}

void FrmCom3::AddReceiveMenuAction(QAction* action)
{
    txtReceive->AddMenuAction(action);
}

void FrmCom3::ShowTimes(ReceiveArea::Times shown)
{
    txtReceive->ShowTimes(shown);
}

void FrmCom3::PressOpenSoon()
{
    QTimer::singleShot(0, cmdPrepare, &QPushButton::click);
}

void FrmCom3::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    if (findBar) // the controls are made
        PlaceControls();
}

void FrmCom3::SayDoing(Doing what, const QString& text)
{
    doing_[static_cast<int>(what)] = text;
    QString title = TITLE;
    for (const QString& doing : doing_)
        if (!doing.isEmpty())
            title += QStringLiteral(" — ") + doing;
    setWindowTitle(title);
}
