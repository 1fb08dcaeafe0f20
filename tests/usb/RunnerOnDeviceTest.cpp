#include <gtest/gtest.h>
#include <thread>

#include "devicelink/DeviceLink.h"
#include "devicelink/LibraryRouter.h"
#include "devicelink/SystemBackends.h"
#include "session/ScriptRun.h"
#include "session/SessionFiles.h"
#include "tests/support/FakeLibrary.h"
#include "tests/usb/UsbEmulator.h"

TEST(RunnerOnDevice, AScriptTalksToTheEmulatedDeviceUntilItIsUnplugged)
{
    UsbEmulator emulator;
    EmulatedDevice& device = emulator.AddDevice();
    device.SetFirmware([](const Packet& packet) {
        return std::vector<std::string>{"got " + std::string(packet.begin(), packet.begin() + 6) + "\r\n"};
    });
    RecordedMessages messages;
    LibraryRouter router;
    AddSystemBackends(router, messages);
    DeviceLink link(router, messages);
    link.State.DeviceId = "vid_04d8&pid_0011";
    link.OpenPipes();
    ASSERT_TRUE(link.State.PipesOpen);

    SessionFiles files({}, {}, messages);
    const std::atomic<bool> interrupted = false;
    ScriptRun run(link, files, interrupted);
    std::vector<TestReport> reports;
    run.reported = [&reports](const TestReport& report) { reports.push_back(report); };
    const Script script =
        std::get<Script>(ParseScript("usb", "test led\nsend LED ON\nexpect got LED ON within 2s\n"
                                            "test gone\nsend LED ON\nexpect /never/ within 2s\n"));
    // The device leaves while the second test waits.
    std::thread unplug([&device] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        device.Unplug();
    });
    EXPECT_EQ(run.Run({script}), RunEnd::DeviceGone);
    unplug.join();
    ASSERT_EQ(reports.size(), 2u);
    EXPECT_TRUE(reports[0].passed);
    EXPECT_EQ(reports[1].reason, "the device went away");
}
