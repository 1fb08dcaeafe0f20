#pragma once

#include "DeviceLink.h"
#include "FrmCom3.h"
#include "LibraryRouter.h"
#include "MessageBoxes.h"
#include "ReceiveLoop.h"

// Everything one run holds, put together as the program runs it: the USB
// library (demo device and libusb), the device link, the window and the loop.
struct Program {
    Program();

    LibraryRouter library;
    MessageBoxes messages;
    DeviceLink link{library, messages};
    FrmCom3 window{link};
    ReceiveLoop loop{window, link};
};
