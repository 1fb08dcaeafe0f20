// Device identifiers of any text: a parsed one names ids that stand in it.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "devicelink/DeviceIdentifier.h"
#include "devicelink/backends/DemoDevice.h"

namespace {

bool HoldsNoCase(std::string text, std::string part)
{
    for (char& c : text)
        c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    return text.find(part) != std::string::npos;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string id(reinterpret_cast<const char*>(data), size);
    if (auto ids = ParseDeviceIdentifier(id)) {
        char vendor[16], product[16];
        std::snprintf(vendor, sizeof vendor, "vid_%04x", ids->vendor);
        std::snprintf(product, sizeof product, "pid_%04x", ids->product);
        if (!HoldsNoCase(id, vendor) || !HoldsNoCase(id, product))
            std::abort();
    }
    DemoDevice demo;
    if (demo.Selects(id) != (demo.MPUSBGetDeviceCount(id) == 1))
        std::abort();
    return 0;
}
