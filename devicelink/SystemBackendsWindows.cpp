#include <memory>

#include "DemoDevice.h"
#include "LibraryRouter.h"
#include "SystemBackends.h"
#include "VendorLibraryBackend.h"

void AddSystemBackends(LibraryRouter& router, MessageSink& messages)
{
    router.AddBackend(std::make_unique<DemoDevice>());
    router.AddBackend(std::make_unique<VendorLibraryBackend>(messages));
}
