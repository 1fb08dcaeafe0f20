#include <gtest/gtest.h>

#include <memory>

#include "DemoDevice.h"
#include "DemoTestHelpers.h"
#include "LibraryRouter.h"

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
