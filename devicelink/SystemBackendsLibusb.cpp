#include <memory>

#include "DemoDevice.h"
#include "LibraryRouter.h"
#include "LibusbBackend.h"
#include "SystemBackends.h"

void AddSystemBackends(LibraryRouter& router, MessageSink&)
{
    router.AddBackend(std::make_unique<DemoDevice>());
    router.AddBackend(std::make_unique<LibusbBackend>());
}
