#include <memory>

#include "devicelink/LibraryRouter.h"
#include "devicelink/SystemBackends.h"
#include "devicelink/backends/DemoDevice.h"
#include "devicelink/backends/LibusbBackend.h"
#include "devicelink/backends/VendorLibraryBackend.h"

void AddSystemBackends(LibraryRouter& router, MessageSink& messages)
{
    router.AddBackend(std::make_unique<DemoDevice>());
    // The vendor's library when it is there; without it, devices are reached
    // through libusb (and the WinUSB driver).
    auto vendor = std::make_unique<VendorLibraryBackend>(messages);
    if (vendor->Available())
        router.AddBackend(std::move(vendor));
    else
        router.AddBackend(std::make_unique<LibusbBackend>());
}
