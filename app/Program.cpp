#include "Program.h"

#include <memory>

#include "DemoDevice.h"
#include "LibusbBackend.h"

Program::Program()
{
    library.AddBackend(std::make_unique<DemoDevice>());
    library.AddBackend(std::make_unique<LibusbBackend>());
    messages.SetParent(&window);
}
