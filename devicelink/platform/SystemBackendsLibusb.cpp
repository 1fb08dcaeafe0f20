#include <memory>

#include "devicelink/LibraryRouter.h"
#include "devicelink/SystemBackends.h"
#include "devicelink/backends/DemoDevice.h"
#include "devicelink/backends/LibusbBackend.h"

void AddSystemBackends(LibraryRouter& router, MessageSink&)
{
    router.AddBackend(std::make_unique<DemoDevice>());
    router.AddBackend(std::make_unique<LibusbBackend>());
}
