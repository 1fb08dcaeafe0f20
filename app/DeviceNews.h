#pragma once

#include <QObject>
#include <QSocketNotifier>
#include <cstdint>
#include <memory>
#include <vector>

class LibraryRouter;

// Says when devices have come or gone, without a thread and without polling:
// the USB library's own descriptors wake the loop (also while it waits for
// window events with the pipes closed), and their news is handled there,
// between cycles.
class DeviceNews : public QObject {
    Q_OBJECT
public:
    explicit DeviceNews(LibraryRouter& library) : library_(library) {}

    // Starts listening; the library starts now if it had not.
    void Start();

signals:
    void Changed();

private:
    LibraryRouter& library_;
    std::vector<std::unique_ptr<QSocketNotifier>> notifiers_;
    std::uint64_t changes_ = 0;
};
