#pragma once

#include <QObject>

class DeviceBox;
class DeviceNews;
class LibraryRouter;

// Keeps the device box's list to the attached devices: `demo` and what the
// USB library finds, refreshed as devices come and go. When the drop-down
// opens, an entry the library could not describe says whether it is attached
// (by its device count, which every library can tell).
class DeviceList : public QObject {
    Q_OBJECT
public:
    DeviceList(DeviceBox& box, LibraryRouter& library, DeviceNews& news);

    void Fill();

private:
    void SayWhichAreAttached();

    DeviceBox& box_;
    LibraryRouter& library_;
};
