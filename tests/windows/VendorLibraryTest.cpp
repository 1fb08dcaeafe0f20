#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>

#include "devicelink/DeviceLink.h"
#include "devicelink/LibraryRouter.h"
#include "devicelink/SystemBackends.h"
#include "devicelink/backends/VendorLibraryBackend.h"
#include "tests/support/FakeLibrary.h"
#include "tests/windows/StandIn.h"

namespace {

using Strings = std::vector<std::string>;

} // namespace

TEST(Vendor, TheLinkTalksThroughTheLibraryLoadedAtRunTime)
{
    for (const char* variant : {"ok", "underscored"}) {
        RecordedMessages messages;
        VendorLibraryBackend backend(messages, StandIn(variant));
        DeviceLink link(backend, messages);
        EXPECT_TRUE(backend.Selects("vid_04d8&pid_0011"));
        EXPECT_FALSE(backend.Selects(" demo "));
        link.State.DeviceId = "vid_04d8&pid_0011";
        link.OpenPipes();
        ASSERT_TRUE(link.State.PipesOpen) << variant;
        EXPECT_EQ(link.State.OutPipe, 7);
        EXPECT_EQ(link.State.InPipe, 8);

        // A 20-byte packet carries what the earlier line left behind the CR.
        EXPECT_TRUE(link.SendLine(u"HELLOWORLD"));
        EXPECT_TRUE(link.SendLine(u"ABC"));
        std::uint8_t written[64] = {};
        ASSERT_EQ(Control<std::int32_t (*)(std::uint8_t*, std::int32_t)>("StandInWritten")(written, 64), 20);
        EXPECT_EQ(std::string(reinterpret_cast<char*>(written), 20),
                  std::string("ABC\rOWORLD\r\0\0\0\0\0\0\0\0\0", 20));

        // A read that reports fewer bytes than the buffer holds.
        auto queueRead =
            Control<void (*)(const std::uint8_t*, std::int32_t, std::int32_t, std::int32_t, std::uint32_t)>(
                "StandInQueueRead");
        const std::uint8_t reply[] = {'O', 'K', '\r', '\n', 'X', 'Y'};
        queueRead(reply, 6, 4, 1, 0);
        EXPECT_EQ(link.ReceiveLine(10), u"OK\r");
        EXPECT_EQ(link.ReceiveLine(10), u""); // nothing more: a time-out

        // A write that times out is shown with its code; invalid handle closes silently.
        auto failNextWrite = Control<void (*)(std::uint32_t)>("StandInFailNextWrite");
        failNextWrite(ERROR_SEM_TIMEOUT);
        EXPECT_FALSE(link.SendLine(u"LED ON"));
        EXPECT_EQ(messages.shown, (Strings{"Error code:  121", "Failed to send data"}));
        EXPECT_TRUE(link.State.PipesOpen);
        failNextWrite(0xFFFFFFFF);
        EXPECT_FALSE(link.SendLine(u"LED ON"));
        EXPECT_EQ(messages.shown.at(2), "Error code: -1");
        failNextWrite(ERROR_INVALID_HANDLE);
        EXPECT_FALSE(link.SendLine(u"LED ON"));
        EXPECT_EQ(messages.shown.back(), "Failed to send data");
        EXPECT_EQ(messages.shown.size(), 5u);
        EXPECT_FALSE(link.State.PipesOpen);

        const std::string calls = Control<const char* (*)()>("StandInCalls")();
        EXPECT_EQ(calls.substr(0, calls.find("write")),
                  "count vid_04d8&pid_0011;open 0 vid_04d8&pid_0011 \\MCHP_EP1 0 0;"
                  "open 0 vid_04d8&pid_0011 \\MCHP_EP1 1 0;");
        EXPECT_NE(calls.find("read 8 65 10;"), std::string::npos);
        EXPECT_NE(calls.find("close 7;close 8;"), std::string::npos);
    }
}

TEST(Vendor, ALibraryThatCannotBeHadFindsNoDeviceAndIsToldOnceWithItsReason)
{
    // A library on PATH or in the current folder is never loaded.
    const std::wstring path = StandIn("ok").wstring();
    wchar_t searchPath[32767];
    const DWORD searchLength = GetEnvironmentVariableW(L"PATH", searchPath, 32767);
    const std::filesystem::path current = std::filesystem::current_path();
    SetEnvironmentVariableW(L"PATH", path.c_str());
    SetCurrentDirectoryW(path.c_str());
    const std::filesystem::path junk = std::filesystem::temp_directory_path() / "pellmark-not-a-library";
    std::filesystem::create_directories(junk);
    std::ofstream(junk / "mpusbapi.dll") << "not a library";
    const std::pair<std::filesystem::path, const char*> cases[] = {
        {StandIn("not-there"), "could not be loaded: it was looked for in "},
        {StandIn("missing-call"), "lacks one of its calls"},
        {StandIn("needs-missing"), "is there but could not be loaded: a library it needs is missing"},
        {junk, "is there but could not be loaded: it is not a 64-bit library"},
    };
    for (const auto& [folder, reason] : cases) {
        RecordedMessages messages;
        VendorLibraryBackend backend(messages, folder);
        DeviceLink link(backend, messages);
        link.State.DeviceId = "vid_04d8&pid_0011";
        link.OpenPipes();
        link.OpenPipes();
        EXPECT_FALSE(link.State.PipesOpen);
        ASSERT_EQ(messages.shown.size(), 3u) << reason;
        EXPECT_NE(messages.shown[0].find(reason), std::string::npos) << messages.shown[0];
        EXPECT_NE(messages.shown[0].find(folder.filename().string()), std::string::npos) << messages.shown[0];
        EXPECT_EQ(messages.shown[1], "Peripheral device is not connected");
        EXPECT_EQ(messages.shown[2], "Peripheral device is not connected");
    }
    std::filesystem::remove_all(junk);
    SetEnvironmentVariableW(L"PATH", searchLength ? searchPath : nullptr); // later tests start programs
    std::filesystem::current_path(current);
}

TEST(Vendor, WithoutTheLibraryTheProgramsBackendsStillAnswer)
{
    // Neither the test program's folder nor the system's search path holds the library.
    RecordedMessages messages;
    LibraryRouter router;
    AddSystemBackends(router, messages);
    EXPECT_EQ(router.MPUSBGetDeviceCount(" demo "), 1);
    EXPECT_EQ(router.MPUSBGetDeviceCount("vid_04d8&pid_0011"), 0);
    EXPECT_EQ(router.MPUSBGetDeviceCount("vid_04d8&pid_0011"), 0);
#ifdef PELLMARK_WITH_LIBUSB
    EXPECT_TRUE(messages.shown.empty()); // libusb stands in, and finds no such device
#else
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_NE(messages.shown[0].find("could not be loaded"), std::string::npos);
#endif
}
