#include <memory>

#include "LibraryRouter.h"
#include "SystemBackends.h"
#include "backends/DemoDevice.h"
#include "backends/LibusbBackend.h"

void AddSystemBackends(LibraryRouter& router, MessageSink&)
{
    router.AddBackend(std::make_unique<DemoDevice>());
    router.AddBackend(std::make_unique<LibusbBackend>());
}
