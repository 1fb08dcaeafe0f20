#include "app/SessionAids.h"

#include <QFileDialog>
#include <QFileInfo>

#include "app/ArgumentText.h"
#include "devicelink/DeviceLink.h"
#include "session/SessionFiles.h"
#include "window/FrmCom3.h"

namespace {

// A long path keeps its start and its file name.
QString Shortened(const QString& path)
{
    constexpr int LIMIT = 60, HEAD = 24;
    if (path.size() <= LIMIT)
        return path;
    return path.left(HEAD) + u'…' + path.right(LIMIT - HEAD - 1);
}

QString FileName(const std::filesystem::path& path)
{
    const std::u8string name = path.filename().u8string();
    return QString::fromUtf8(reinterpret_cast<const char*>(name.data()), static_cast<qsizetype>(name.size()));
}

} // namespace

SessionAids::SessionAids(FrmCom3& window, DeviceLink& link, SessionFiles& files, const Clock& clock)
    : window_(window), link_(link), files_(files), clock_(clock)
{
    for (QAction* toggle : {&ShowTimes, &TimesSince, &ShowSent, &ShowBytes})
        toggle->setCheckable(true);
    TimesSince.setEnabled(false);
    for (QAction* toggle : {&ShowTimes, &TimesSince})
        connect(toggle, &QAction::toggled, this, &SessionAids::ShowChosenTimes);
    connect(&ShowBytes, &QAction::toggled, &window_, &FrmCom3::ShowBytes);
    connect(&Log, &QAction::triggered, this, &SessionAids::StartOrStopLog);
    for (QAction* action : {&ShowTimes, &TimesSince, &ShowSent, &ShowBytes, &Log})
        window_.AddReceiveMenuAction(action);
    connect(&window_, &FrmCom3::LineWritten, this, &SessionAids::Written);
    link_.Noted = [this](std::string_view kind, std::u16string_view text) {
        files_.LogMark(kind, text, clock_());
    };
    files_.LogFailed = [this] { ShowLogState(); };
    ShowLogState();
}

SessionAids::~SessionAids()
{
    link_.Noted = nullptr;
    files_.LogFailed = nullptr;
}

void SessionAids::Mark(const char* kind, const QString& text, const ReceivedBytes& bytes)
{
    const auto now = clock_();
    window_.ShowMark(QString::fromLatin1(kind), text, now, bytes);
    files_.LogMark(kind, text.toStdU16String(), now);
}

void SessionAids::Written(const QString& sent)
{
    const auto now = clock_();
    // Not a received line: it never says "Received" and is logged once, as sent.
    if (ShowSent.isChecked())
        window_.ShowMark(u"sent", sent, now, {link_.LastPacketSent(), {}, false});
    files_.LogMark("sent", sent.toStdU16String(), now);
}

void SessionAids::ShowChosenTimes()
{
    TimesSince.setEnabled(ShowTimes.isChecked());
    using Times = ReceiveArea::Times;
    window_.ShowTimes(!ShowTimes.isChecked()   ? Times::Hidden
                      : TimesSince.isChecked() ? Times::SincePrevious
                                               : Times::OfDay);
}

void SessionAids::StartOrStopLog()
{
    if (!files_.LogPath().empty()) {
        files_.StopLog();
        ShowLogState();
        return;
    }
    // Without a loop of its own, so that lines keep arriving meanwhile.
    auto* dialog = new QFileDialog(&window_, QStringLiteral("Start a log of the session"), LogFolder,
                                   QStringLiteral("Log files (*.log *.txt);;All files (*)"));
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setAcceptMode(QFileDialog::AcceptSave);
    dialog->setOption(QFileDialog::DontConfirmOverwrite); // the log is appended to, never replaced
    dialog->selectFile(QStringLiteral("pellmark.log"));
    connect(dialog, &QFileDialog::fileSelected, this, [this](const QString& path) {
        files_.StartLog(PathOfArgument(path));
        ShowLogState();
        if (const QString folder = QFileInfo(path).absolutePath(); folder != LogFolder) {
            LogFolder = folder;
            emit LogFolderChanged(folder);
        }
    });
    dialog->open();
}

void SessionAids::ShowLogState()
{
    const std::filesystem::path& path = files_.LogPath();
    QStringList recording;
    if (!path.empty())
        recording << QStringLiteral("logging to ") + FileName(path);
    if (!files_.TracePath().empty())
        recording << QStringLiteral("tracing to ") + FileName(files_.TracePath());
    window_.SayDoing(FrmCom3::Doing::Recording, recording.join(QStringLiteral(", ")));
    window_.SayLogging(!path.empty());
    if (path.empty()) {
        Log.setText(QStringLiteral("Start Lo&g…"));
        return;
    }
    const std::u8string shown = path.u8string();
    const QString text = Shortened(
        QString::fromUtf8(reinterpret_cast<const char*>(shown.data()), static_cast<qsizetype>(shown.size())));
    Log.setText(QStringLiteral("Stop Lo&g (%1)").arg(QString(text).replace(u'&', QStringLiteral("&&"))));
}
