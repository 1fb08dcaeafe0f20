#include <memory>

#include "LibraryRouter.h"
#include "SystemBackends.h"
#include "backends/DemoDevice.h"
#include "backends/VendorLibraryBackend.h"

void AddSystemBackends(LibraryRouter& router, MessageSink& messages)
{
    router.AddBackend(std::make_unique<DemoDevice>());
    router.AddBackend(std::make_unique<VendorLibraryBackend>(messages));
}
