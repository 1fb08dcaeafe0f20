#include "app/DeviceList.h"

#include "app/DeviceNews.h"
#include "devicelink/CodePage.h"
#include "devicelink/LibraryRouter.h"
#include "window/FrmCom3.h"

DeviceList::DeviceList(FrmCom3& window, LibraryRouter& library, DeviceNews& news)
    : window_(window), library_(library)
{
    connect(&news, &DeviceNews::Changed, this, &DeviceList::Fill);
    window_.IsDeviceAttached = [this](const QString& id) {
        return library_.MPUSBGetDeviceCount(EncodeCodePage(id.toStdU16String())) > 0;
    };
}

void DeviceList::Fill()
{
    window_.ListDevices(library_.Attached());
}
