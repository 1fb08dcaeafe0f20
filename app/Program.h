#pragma once

#include "app/CommandLine.h"
#include "app/DeviceFollower.h"
#include "app/DeviceList.h"
#include "app/DeviceNews.h"
#include "app/ReceiveLoop.h"
#include "app/SessionAids.h"
#include "app/Settings.h"
#include "app/WindowScript.h"
#include "session/DeviceSession.h"
#include "window/FrmCom3.h"
#include "window/MessageBoxes.h"

// Everything one run holds, put together as the program runs it: the USB
// library (demo device and libusb) and its trace, the device link, the window,
// the loop, the files the session writes and what follows a device that
// leaves and returns, the aids of the receive area's menu and its scripts.
struct Program {
    explicit Program(const SessionOptions& options = {});

    // Starts following devices as they come and go and fills the device
    // list; after the window's first paint, so that starting the USB library
    // does not delay it.
    void StartDeviceList();

    MessageBoxes messages;
    MessageBoxes fileMessages{false}; // ours, not the original's: they never hold the loop
    DeviceSession session;
    SessionFiles& files = session.files;
    LibraryRouter& library = session.library;
    DeviceLink& link = session.link;
    FrmCom3 window{link};
    ReceiveLoop loop{window, link, &files};
    DeviceNews news{library};
    DeviceList devices{window, library, news};
    SessionAids aids{window, link, files, loop.Clock};
    DeviceFollower follower{window, link, library, news, loop.Lines, aids, loop.Clock};
    WindowScript script{window, link, loop, aids, follower};
    Settings settings{window, aids, follower};
};
