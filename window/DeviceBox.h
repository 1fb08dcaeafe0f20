#pragma once

#include <QComboBox>
#include <functional>
#include <vector>

struct AttachedDevice;

// The device box: the identifier to open, typed or chosen from its list. The
// list's first entry is the window's default; the identifiers opened before
// follow, said to be so, then the attached devices.
// An entry's text is the identifier alone; what the device calls itself
// shows only in the open drop-down. Changing the list never changes the
// box's text, and the wheel and the arrow keys do not step through it: only
// choosing from the open drop-down does.
class DeviceBox : public QComboBox {
    Q_OBJECT
public:
    struct Entry {
        QString id;
        QString description; // shown beside the identifier in the drop-down
        bool opened = false; // before: one of the identifiers remembered
    };
    static constexpr int DESCRIPTION_ROLE = Qt::UserRole + 1;
    // Set on a description the device count gave, to be asked again each
    // time the list opens; ShowDevices clears it with the description.
    static constexpr int COUNTED_ROLE = Qt::UserRole + 2;
    // Set on an identifier opened before; its description says so too.
    static constexpr int OPENED_ROLE = Qt::UserRole + 3;

    explicit DeviceBox(QWidget* parent = nullptr);

    // The entries after the first, in this order.
    void ShowDevices(const std::vector<Entry>& entries);
    // The demo device, then each attached device but the first entry's and
    // those opened before, with what it calls itself.
    void ShowAttached(const std::vector<AttachedDevice>& devices);
    // The identifiers opened before, after the first entry.
    void ShowOpened(const QStringList& ids);
    // Asked as the drop-down opens, for each entry no device described:
    // whether its device is attached (its device count, which every library
    // can tell).
    std::function<bool(const QString& id)> IsAttached;
    void showPopup() override;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    // The opened identifiers and the attached devices, in this order.
    void ShowEntries();
    void SayWhichAreAttached();
    // Changes the list with the box's text, caret and selection kept: a
    // combo box rewrites its text whenever its current entry changes.
    void KeepingTheText(const std::function<void()>& change);

    QStringList opened_;
    std::vector<Entry> attached_; // but the demo device
};
