#include "app/DeviceList.h"

#include "app/DeviceNews.h"
#include "devicelink/AttachedDevice.h"
#include "devicelink/CodePage.h"
#include "devicelink/LibraryRouter.h"
#include "window/DeviceBox.h"

namespace {

QString Description(const AttachedDevice& device)
{
    QString text = QString::fromLatin1(device.product.c_str());
    if (!device.manufacturer.empty())
        text = QString::fromLatin1(device.manufacturer.c_str()) + QStringLiteral(" ") + text;
    // The device chooses its strings: nothing of them may break the line.
    for (QChar& c : text)
        if (c.category() == QChar::Other_Control)
            c = QChar(u'\uFFFD');
    text = text.trimmed();
    return text.isEmpty() && !device.problem.empty() ? "(" + QString::fromStdString(device.problem) + ")"
                                                     : text;
}

} // namespace

DeviceList::DeviceList(DeviceBox& box, LibraryRouter& library, DeviceNews& news)
    : box_(box), library_(library)
{
    connect(&news, &DeviceNews::Changed, this, &DeviceList::Fill);
    connect(&box_, &DeviceBox::PopupOpening, this, &DeviceList::SayWhichAreAttached);
}

void DeviceList::Fill()
{
    // The demo device is always there, also for the second it is away after a reset.
    std::vector<DeviceBox::Entry> entries{{QStringLiteral("demo"), QStringLiteral("Pellmark demo device")}};
    // The first entry, the window's default, is said to be attached or not when the drop-down opens.
    for (const AttachedDevice& device : library_.Attached())
        if (device.id != "demo" && QString::fromLatin1(device.id.c_str()) != box_.itemText(0))
            entries.push_back({QString::fromLatin1(device.id.c_str()), Description(device)});
    box_.ShowDevices(entries);
}

void DeviceList::SayWhichAreAttached()
{
    for (int row = 0; row < box_.count(); ++row) {
        if (!box_.itemData(row, DeviceBox::DESCRIPTION_ROLE).toString().isEmpty() &&
            !box_.itemData(row, DeviceBox::COUNTED_ROLE).toBool())
            continue;
        const std::string id = EncodeCodePage(box_.itemText(row).toStdU16String());
        box_.Describe(row, library_.MPUSBGetDeviceCount(id) > 0 ? QStringLiteral("(attached)")
                                                                : QStringLiteral("(not attached)"));
        box_.Describe(row, true, DeviceBox::COUNTED_ROLE);
    }
}
