#include <memory>

#include "devicelink/LibraryRouter.h"
#include "devicelink/SystemBackends.h"
#include "devicelink/backends/DemoDevice.h"
#include "devicelink/backends/VendorLibraryBackend.h"

void AddSystemBackends(LibraryRouter& router, MessageSink& messages)
{
    router.AddBackend(std::make_unique<DemoDevice>());
    router.AddBackend(std::make_unique<VendorLibraryBackend>(messages));
}
