#pragma once

#include <QObject>
#include <QStringList>
#include <memory>

class DeviceFollower;
class FrmCom3;
class QAction;
class QSettings;
class SessionAids;

// What the window remembers from one start to the next, in an INI file: its
// size and place, the menu's ticks, the zoom, the identifiers opened (most
// recent first) and the folders last saved and logged in. A setting is
// written as it changes, the size and place as the window closes. A value
// that cannot be used is ignored alone; a file that cannot be read is left
// as it is and nothing is remembered. Either is said in one line on
// standard error.
class Settings : public QObject {
    Q_OBJECT
public:
    static constexpr int OPENED_KEPT = 10;

    // The INI file in the user's configuration folder.
    static QString UsersFile();

    Settings(FrmCom3& window, SessionAids& aids, DeviceFollower& follower);
    ~Settings() override;

    // Puts what the file holds into the window, before it is shown; with no
    // file, nothing is read or written, as at a first start.
    void Load(const QString& file);
    // Once the window is loaded: lists the identifiers opened before and
    // writes each change from now on. The ticks set before it, the command
    // line's, are this run's alone; an identifier opened is remembered however
    // Open was pressed.
    void Watch();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Tick {
        const char* key;
        QAction& action;
    };
    std::vector<Tick> Ticks() const;
    void Opened(const QString& id);
    void Write(const QString& key, const QVariant& value);
    void WriteGeometry();
    // Writes what was set; says once if it could not.
    void Sync();

    FrmCom3& window_;
    SessionAids& aids_;
    DeviceFollower& follower_;
    std::unique_ptr<QSettings> file_; // none when nothing is remembered
    QStringList opened_;
    bool failed_ = false; // a write failed and was said
};
