#include <algorithm>

#include "common/TextEscape.h"
#include "devicelink/DeviceListing.h"
#include "devicelink/LibraryRouter.h"
#include "devicelink/MessageSink.h"
#include "devicelink/SystemBackends.h"

namespace {

// A device's strings come as bytes of its own choosing.
std::string EscapedString(const std::string& bytes)
{
    std::u16string text;
    for (unsigned char byte : bytes)
        text += static_cast<char16_t>(byte);
    return EscapedText(text);
}

class CollectedMessages final : public MessageSink {
public:
    void ShowMessage(const std::string& text) override { collected += text + "\n"; }
    std::string collected;
};

} // namespace

std::string ListingText(const std::vector<AttachedDevice>& devices)
{
    std::string text;
    for (const AttachedDevice& device : devices) {
        std::string line = EscapedString(device.id);
        line.resize(std::max<std::size_t>(line.size(), 19), ' ');
        if (!device.manufacturer.empty() || !device.product.empty())
            line +=
                "  \"" + EscapedString(device.manufacturer) + "\" \"" + EscapedString(device.product) + "\"";
        if (!device.serial.empty())
            line += "  serial " + EscapedString(device.serial);
        if (!device.place.empty())
            line += "  " + device.place;
        line += "  " + (device.problem.empty() ? std::string("can be opened") : device.problem);
        text += line + "\n";
    }
    if (std::all_of(devices.begin(), devices.end(), [](const AttachedDevice& d) { return d.place.empty(); }))
        text += "No USB device with endpoint 1 OUT and IN on interface 0 is attached.\n";
    return text;
}

std::string AttachedDevicesText()
{
    CollectedMessages messages;
    LibraryRouter router;
    AddSystemBackends(router, messages);
    const std::string listing = ListingText(router.Attached());
    return listing + messages.collected;
}
