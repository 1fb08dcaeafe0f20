#pragma once

#include <QObject>

class DeviceNews;
class FrmCom3;
class LibraryRouter;

// Keeps the window's device list to the attached devices: `demo` and what the
// USB library finds, refreshed as devices come and go; and tells the window
// whether the device of an entry is attached.
class DeviceList : public QObject {
    Q_OBJECT
public:
    DeviceList(FrmCom3& window, LibraryRouter& library, DeviceNews& news);

    void Fill();

private:
    FrmCom3& window_;
    LibraryRouter& library_;
};
