#include "app/Settings.h"

#include <QEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QSettings>
#include <algorithm>
#include <cstdio>
#include <optional>

#include "app/DeviceFollower.h"
#include "app/SessionAids.h"
#include "window/FrmCom3.h"

namespace {

constexpr int LARGEST_PLACE = 100'000;
constexpr int MOST_ZOOM = 100;
// The receive area's lines kept: what a user may set in the file by hand.
constexpr int FEWEST_LINES_KEPT = 1000, MOST_LINES_KEPT = 10'000'000;

void Say(const QString& line)
{
    std::fputs(qPrintable(QStringLiteral("pellmark: ") + line + u'\n'), stderr);
}

// Reads the values of a file that anyone may have edited: each that is there
// but cannot be used is noted and read as absent.
class Reader {
public:
    explicit Reader(QSettings& file) : file_(file) {}

    std::optional<int> Number(const QString& key, int least, int most)
    {
        const std::optional<QString> text = Text(key);
        if (!text)
            return std::nullopt;
        bool number = false;
        const int value = text->toInt(&number);
        if (!Usable(key, number && value >= least && value <= most))
            return std::nullopt;
        return value;
    }
    std::optional<bool> Flag(const QString& key)
    {
        const std::optional<QString> text = Text(key);
        if (!text || !Usable(key, *text == u"true" || *text == u"false"))
            return std::nullopt;
        return *text == u"true";
    }
    // A text of one line.
    std::optional<QString> Line(const QString& key)
    {
        const std::optional<QString> text = Text(key);
        if (!text || !Usable(key, !text->isEmpty() && std::none_of(text->cbegin(), text->cend(), [](QChar c) {
                                 return c.category() == QChar::Other_Control;
                             })))
            return std::nullopt;
        return text;
    }
    const QStringList& Ignored() const { return ignored_; }

private:
    // A value is read as text, also one this run has written as a number;
    // a list (a line with a comma) reads as an empty text.
    std::optional<QString> Text(const QString& key)
    {
        return file_.contains(key) ? std::optional(file_.value(key).toString()) : std::nullopt;
    }
    bool Usable(const QString& key, bool usable)
    {
        if (!usable && !ignored_.contains(key))
            ignored_ << key;
        return usable;
    }

    QSettings& file_;
    QStringList ignored_;
};

// Some of the title bar is on one of the screens there are now.
bool OnAScreen(const QRect& place)
{
    const QPoint title(place.center().x(), place.top() + 10);
    return QGuiApplication::screenAt(title) != nullptr;
}

// The default entry and the demo device are always in the list.
bool Remembers(const QString& id)
{
    return id != FrmCom3::DEFAULT_DEVICE && id != u"demo";
}

} // namespace

QString Settings::UsersFile()
{
    return QSettings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("Pellmark"),
                     QStringLiteral("pellmark"))
        .fileName();
}

Settings::Settings(FrmCom3& window, SessionAids& aids, DeviceFollower& follower)
    : window_(window), aids_(aids), follower_(follower)
{
}

Settings::~Settings() = default;

std::vector<Settings::Tick> Settings::Ticks() const
{
    return {{"menu/reopen", follower_.Toggle},
            {"menu/times", aids_.ShowTimes},
            {"menu/timesSincePrevious", aids_.TimesSince},
            {"menu/sentLines", aids_.ShowSent},
            {"menu/bytes", aids_.ShowBytes}};
}

void Settings::Load(const QString& file)
{
    if (file.isEmpty())
        return;
    file_ = std::make_unique<QSettings>(file, QSettings::IniFormat);
    if (file_->status() != QSettings::NoError) {
        Say(QStringLiteral("the settings file %1 could not be read; it is left as it is, and this run "
                           "remembers nothing")
                .arg(file));
        file_.reset();
        return;
    }
    Reader read(*file_);
    const std::optional<int> width = read.Number(QStringLiteral("window/width"), 1, LARGEST_PLACE),
                             height = read.Number(QStringLiteral("window/height"), 1, LARGEST_PLACE),
                             x = read.Number(QStringLiteral("window/x"), -LARGEST_PLACE, LARGEST_PLACE),
                             y = read.Number(QStringLiteral("window/y"), -LARGEST_PLACE, LARGEST_PLACE);
    // No larger than the main screen: a size saved on a larger one fits this one.
    if (const QScreen* screen = QGuiApplication::primaryScreen(); width && height && screen)
        window_.resize(QSize(*width, *height).boundedTo(screen->availableGeometry().size()));
    // The place of the inside, not of the frame, which is not known before
    // the window is shown: the window comes back where it was, not a title
    // bar lower each time.
    if (const QRect place(x.value_or(0), y.value_or(0), window_.width(), window_.height());
        x && y && OnAScreen(place))
        window_.setGeometry(place);
    if (read.Flag(QStringLiteral("window/maximised")).value_or(false))
        window_.setWindowState(Qt::WindowMaximized);
    for (const Tick& tick : Ticks())
        if (const std::optional<bool> ticked = read.Flag(QLatin1String(tick.key)))
            tick.action.setChecked(*ticked);
    if (const std::optional<int> zoom = read.Number(QStringLiteral("view/zoom"), -MOST_ZOOM, MOST_ZOOM))
        window_.Zoom(*zoom);
    if (const std::optional<int> lines =
            read.Number(QStringLiteral("view/linesKept"), FEWEST_LINES_KEPT, MOST_LINES_KEPT))
        window_.KeepLines(*lines);
    for (int i = 1; i <= OPENED_KEPT; ++i)
        if (const std::optional<QString> id = read.Line(QStringLiteral("opened/%1").arg(i));
            id && Remembers(*id) && !opened_.contains(*id))
            opened_ << *id;
    if (const std::optional<QString> folder = read.Line(QStringLiteral("folders/saveAs")))
        window_.SetSaveFolder(*folder);
    if (const std::optional<QString> folder = read.Line(QStringLiteral("folders/log")))
        aids_.LogFolder = *folder;
    if (!read.Ignored().isEmpty())
        Say(QStringLiteral("ignored what the settings file %1 holds for %2")
                .arg(file, read.Ignored().join(QStringLiteral(", "))));
}

void Settings::Watch()
{
    if (!file_)
        return;
    window_.ListOpened(opened_);
    for (const Tick& tick : Ticks())
        connect(&tick.action, &QAction::toggled, this,
                [this, key = QLatin1String(tick.key)](bool ticked) { Write(key, ticked); });
    connect(&window_, &FrmCom3::ZoomChanged, this,
            [this](int steps) { Write(QStringLiteral("view/zoom"), steps); });
    connect(&window_, &FrmCom3::SaveFolderChanged, this,
            [this](const QString& folder) { Write(QStringLiteral("folders/saveAs"), folder); });
    connect(&aids_, &SessionAids::LogFolderChanged, this,
            [this](const QString& folder) { Write(QStringLiteral("folders/log"), folder); });
    connect(&window_, &FrmCom3::Opened, this, &Settings::Opened);
    window_.installEventFilter(this);
}

void Settings::Opened(const QString& id)
{
    if (!Remembers(id) || (!opened_.isEmpty() && opened_.front() == id))
        return;
    opened_.removeAll(id);
    opened_.prepend(id);
    if (opened_.size() > OPENED_KEPT)
        opened_.resize(OPENED_KEPT);
    window_.ListOpened(opened_);
    file_->remove(QStringLiteral("opened"));
    for (int i = 0; i < opened_.size(); ++i)
        file_->setValue(QStringLiteral("opened/%1").arg(i + 1), opened_[i]);
    Sync();
}

void Settings::Write(const QString& key, const QVariant& value)
{
    file_->setValue(key, value);
    Sync();
}

void Settings::WriteGeometry()
{
    // A maximised window keeps the size and place it had before, to come back to.
    const bool maximised = window_.isMaximized();
    file_->setValue(QStringLiteral("window/maximised"), maximised);
    if (const QRect place = maximised ? window_.normalGeometry() : window_.geometry(); place.isValid()) {
        file_->setValue(QStringLiteral("window/x"), place.x());
        file_->setValue(QStringLiteral("window/y"), place.y());
        file_->setValue(QStringLiteral("window/width"), place.width());
        file_->setValue(QStringLiteral("window/height"), place.height());
    }
    Sync();
}

void Settings::Sync()
{
    file_->sync();
    if (file_->status() != QSettings::NoError && !failed_) {
        failed_ = true;
        Say(QStringLiteral("the settings could not be written to %1").arg(file_->fileName()));
    }
}

bool Settings::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == &window_ && event->type() == QEvent::Close)
        WriteGeometry();
    return false;
}
