#include <gtest/gtest.h>

#include <memory>

#include "devicelink/DeviceIdentifier.h"
#include "devicelink/LibraryRouter.h"
#include "devicelink/backends/DemoDevice.h"
#include "tests/support/DemoTestHelpers.h"

namespace {

struct Router : ::testing::Test {
    LibraryRouter library;
    DemoDevice* demo;

    Router()
    {
        auto device = std::make_unique<DemoDevice>();
        demo = device.get();
        library.AddBackend(std::move(device));
    }
};

} // namespace

TEST_F(Router, IdentifierSelectsTheDemoDevice)
{
    EXPECT_EQ(library.MPUSBGetDeviceCount("demo"), 1);
    EXPECT_EQ(library.MPUSBGetDeviceCount("  DeMo "), 1);
    EXPECT_EQ(library.MPUSBGetDeviceCount("demo2"), 0);
    EXPECT_EQ(library.MPUSBGetDeviceCount(""), 0);
    EXPECT_EQ(library.MPUSBGetDeviceCount("vid_04d8&pid_0011"), 0);
    EXPECT_EQ(library.MPUSBGetDeviceCount(std::string(100000, 'x')), 0);
    EXPECT_EQ(library.MPUSBOpen(0, "vid_04d8&pid_0011", "\\MCHP_EP1", 0, 0), INVALID_PIPE);
    EXPECT_EQ(library.GetLastError(), ErrorCode::DeviceNotConnected);

    // The parser reads past malformed fields to a well-formed pair.
    const std::pair<const char*, std::optional<std::pair<int, int>>> ids[] = {
        {"vid_04d8&pid_0011", std::pair{0x04d8, 0x0011}},
        {"vid_zz vid_04D8 pid_xyz1&PID_0011", std::pair{0x04d8, 0x0011}},
        {"\\\\?\\usb#vid_04d8&pid_0011#1", std::pair{0x04d8, 0x0011}},
        {"vid_04d81&pid_0011", std::nullopt},
        {"vid_04d8&pid_001", std::nullopt},
        {"pid_0011", std::nullopt}};
    for (const auto& [text, expected] : ids) {
        std::optional<UsbIds> parsed = ParseDeviceIdentifier(text);
        EXPECT_EQ(parsed.has_value(), expected.has_value()) << text;
        if (parsed && expected) {
            EXPECT_EQ(parsed->vendor, expected->first) << text;
            EXPECT_EQ(parsed->product, expected->second) << text;
        }
    }
}

TEST_F(Router, HandlesAreSmallAndReusedAfterClose)
{
    PipeHandle out = library.MPUSBOpen(0, "demo", "\\MCHP_EP1", DIRECTION_WRITE, 0);
    PipeHandle in = library.MPUSBOpen(0, "demo", "\\MCHP_EP1", DIRECTION_READ, 0);
    EXPECT_EQ(out, 0);
    EXPECT_EQ(in, 1);
    library.MPUSBClose(out);
    EXPECT_EQ(library.MPUSBOpen(0, "demo", "\\MCHP_EP1", DIRECTION_WRITE, 0), 0);
}

TEST_F(Router, CallsOnHandlesThatAreNotOpenFailWithInvalidHandle)
{
    std::uint8_t buffer[65] = {};
    std::int32_t length = 77;
    for (PipeHandle pipe : {INVALID_PIPE, 0, 5, -100}) {
        EXPECT_EQ(library.MPUSBRead(pipe, buffer, 65, &length, 10), 0);
        EXPECT_EQ(library.GetLastError(), ErrorCode::InvalidHandle);
        EXPECT_EQ(library.MPUSBWrite(pipe, buffer, 20, &length, 1000), 0);
        EXPECT_EQ(library.GetLastError(), ErrorCode::InvalidHandle);
        EXPECT_EQ(library.MPUSBClose(pipe), 0);
    }
    EXPECT_EQ(length, 77);
}

TEST_F(Router, PassesTheBackendsErrorCodeOn)
{
    PipeHandle out = library.MPUSBOpen(0, "demo", "\\MCHP_EP1", DIRECTION_WRITE, 0);
    auto packet = CommandPacket("LED ON");
    demo->FailNextWrite(ErrorCode::GenFailure);
    EXPECT_EQ(library.MPUSBWrite(out, packet.data(), 20, nullptr, 1000), 0);
    EXPECT_EQ(library.GetLastError(), ErrorCode::GenFailure);
    demo->Unplug();
    EXPECT_EQ(library.MPUSBWrite(out, packet.data(), 20, nullptr, 1000), 0);
    EXPECT_EQ(library.GetLastError(), ErrorCode::DeviceNotConnected);
}
