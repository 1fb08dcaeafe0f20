#include "DarAdoMain.h"

#include <memory>

#include "DemoDevice.h"
#include "DeviceLink.h"
#include "FrmCom3.h"
#include "LibraryRouter.h"
#include "MessageBoxes.h"
#include "ReceiveLoop.h"

namespace DarAdoMain {

int Main()
{
    LibraryRouter library;
    library.AddBackend(std::make_unique<DemoDevice>());
    MessageBoxes messages;
    DeviceLink link(library, messages);

    FrmCom3 window(link);
    messages.SetParent(&window);
    ReceiveLoop loop(window, link);
    window.Form_Load();
    loop.Run();
    return 0;
}

} // namespace DarAdoMain
