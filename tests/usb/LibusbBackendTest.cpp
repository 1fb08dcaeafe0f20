#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <thread>

#include "devicelink/DeviceListing.h"
#include "devicelink/backends/LibusbBackend.h"
#include "tests/usb/UsbEmulator.h"

namespace {

const std::string ID = "vid_04d8&pid_0011";
const std::string EP1 = "\\MCHP_EP1";
using Clock = std::chrono::steady_clock;

struct Backend : ::testing::Test {
    UsbEmulator emulator; // before libusb starts
    std::unique_ptr<LibusbBackend> backend;
    EmulatedDevice* device = nullptr;
    std::vector<EmulatedDevice*> devices;
    PipeHandle out = INVALID_PIPE;
    PipeHandle in = INVALID_PIPE;
    std::uint8_t buffer[65] = {};
    std::int32_t length = -1;

    void Start(int count = 1, EmulatedDeviceSpec spec = {})
    {
        for (int i = 0; i < count; ++i)
            devices.push_back(device = &emulator.AddDevice(spec));
        backend = std::make_unique<LibusbBackend>();
    }

    void OpenBoth()
    {
        out = backend->MPUSBOpen(0, ID, EP1, DIRECTION_WRITE, 0);
        in = backend->MPUSBOpen(0, ID, EP1, DIRECTION_READ, 0);
        ASSERT_NE(out, INVALID_PIPE);
        ASSERT_NE(in, INVALID_PIPE);
    }

    std::int32_t Read(int timeoutMs = 10) { return backend->MPUSBRead(in, buffer, 65, &length, timeoutMs); }
    std::string Received() const { return std::string(reinterpret_cast<const char*>(buffer), length); }
    int Claims() const
    {
        return static_cast<int>(
            std::count_if(devices.begin(), devices.end(), [](auto* d) { return d->Claimed(); }));
    }
};

} // namespace

TEST_F(Backend, CountsMatchingDevicesByIdentifier)
{
    Start(2);
    emulator.AddDevice({.vendor = 0x1234, .product = 0x5678});
    EXPECT_EQ(backend->MPUSBGetDeviceCount(ID), 2);
    EXPECT_EQ(backend->MPUSBGetDeviceCount("  VID_04D8&PID_0011  "), 2);
    EXPECT_EQ(backend->MPUSBGetDeviceCount("\\\\?\\usb#vid_04d8&pid_0011#1234"), 2);
    EXPECT_EQ(backend->MPUSBGetDeviceCount("vid_1234&pid_5678"), 1);
    EXPECT_EQ(backend->MPUSBGetDeviceCount("vid_04d8&pid_0012"), 0);
    for (const char* malformed :
         {"vid_4d8&pid_0011", "vid_04d8", "pid_0011", "vid_04d8&pid_00111", "vid_04g8&pid_0011"})
        EXPECT_EQ(backend->MPUSBGetDeviceCount(malformed), 0) << malformed;
    EXPECT_FALSE(backend->Selects("demo"));
}

TEST_F(Backend, OpensTheChosenInstanceAndSharesOneClaim)
{
    Start(2);
    PipeHandle second = backend->MPUSBOpen(1, ID, EP1, DIRECTION_WRITE, 0);
    EXPECT_NE(second, INVALID_PIPE);
    EXPECT_EQ(Claims(), 1);
    EXPECT_EQ(backend->MPUSBOpen(2, ID, EP1, DIRECTION_WRITE, 0), INVALID_PIPE);
    EXPECT_EQ(backend->GetLastError(), ErrorCode::DeviceNotConnected);
    EXPECT_EQ(backend->MPUSBOpen(0, ID, "\\MCHP_EP2", DIRECTION_READ, 0), INVALID_PIPE);
    EXPECT_EQ(backend->MPUSBOpen(0, ID, "EP1", DIRECTION_READ, 0), INVALID_PIPE);
    EXPECT_EQ(backend->MPUSBOpen(0, ID, EP1, 7, 0), INVALID_PIPE);

    OpenBoth();
    EXPECT_EQ(Claims(), 2);
    backend->MPUSBClose(second);
    backend->MPUSBClose(out);
    EXPECT_EQ(Claims(), 1); // the read pipe still holds its device
    EXPECT_EQ(Read(10), 0);
    EXPECT_EQ(backend->GetLastError(), ErrorCode::Timeout);
    backend->MPUSBClose(in);
    EXPECT_EQ(Claims(), 0);
    EXPECT_EQ(backend->MPUSBClose(in), 0);
    EXPECT_EQ(backend->GetLastError(), ErrorCode::InvalidHandle);
}

TEST_F(Backend, WritesAPacketAndReadsTheReply)
{
    Start();
    OpenBoth();
    std::uint8_t packet[20] = {'L', 'E', 'D', ' ', 'O', 'N', '\r'};
    std::int32_t sent = 0;
    EXPECT_EQ(backend->MPUSBWrite(out, packet, 20, &sent, 1000), 1);
    EXPECT_EQ(sent, 20);
    ASSERT_EQ(device->Written().size(), 1u);
    EXPECT_EQ(device->Written()[0], Packet(packet, packet + 20));

    device->QueueReply("OK\r\n");
    EXPECT_EQ(Read(), 1);
    EXPECT_EQ(Received(), "OK\r\n");

    // A full 64-byte packet fills the one-packet request and ends it.
    device->QueueReply(std::string(64, 'x'));
    EXPECT_EQ(Read(), 1);
    EXPECT_EQ(length, 64);
}

TEST_F(Backend, ReadWithNothingToReadTimesOut)
{
    Start();
    OpenBoth();
    auto start = Clock::now();
    EXPECT_EQ(Read(10), 0);
    auto waited = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
    EXPECT_EQ(backend->GetLastError(), ErrorCode::Timeout);
    EXPECT_GE(waited, 9);
    EXPECT_LT(waited, 200);
    // A time-out of 0 or less does not mean waiting for ever.
    for (int timeout : {0, -5}) {
        start = Clock::now();
        EXPECT_EQ(Read(timeout), 0);
        EXPECT_LT(Clock::now() - start, std::chrono::milliseconds(200));
    }
    // Bytes that came before the time ran out are still received.
    device->QueueUnfinished("LATE\r\n");
    EXPECT_EQ(Read(), 1);
    EXPECT_EQ(Received(), "LATE\r\n");
}

TEST_F(Backend, UnpluggedDeviceFailsWithDeviceNotConnected)
{
    Start();
    OpenBoth();
    device->Unplug();
    std::uint8_t packet[20] = {'X', '\r'};
    EXPECT_EQ(backend->MPUSBWrite(out, packet, 20, nullptr, 1000), 0);
    EXPECT_EQ(backend->GetLastError(), ErrorCode::DeviceNotConnected);
    EXPECT_EQ(Read(), 0);
    EXPECT_EQ(backend->GetLastError(), ErrorCode::DeviceNotConnected);
    // libusb learns of the removal from its hotplug thread.
    for (int i = 0; i < 100 && backend->MPUSBGetDeviceCount(ID) != 0; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_EQ(backend->MPUSBGetDeviceCount(ID), 0);
    EXPECT_EQ(backend->MPUSBClose(out), 1);
    EXPECT_EQ(backend->MPUSBClose(in), 1);
}

TEST_F(Backend, UnplugEndsAWaitingRead)
{
    Start();
    OpenBoth();
    std::thread unplug([this] {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        device->Unplug();
    });
    auto start = Clock::now();
    EXPECT_EQ(Read(2000), 0);
    auto waited = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
    unplug.join();
    EXPECT_EQ(backend->GetLastError(), ErrorCode::DeviceNotConnected);
    EXPECT_LT(waited, 1000);
}

TEST_F(Backend, RefusedBusyAndStalledDevicesGiveTheirCodes)
{
    Start();
    device->SetBusy(true);
    EXPECT_EQ(backend->MPUSBOpen(0, ID, EP1, DIRECTION_WRITE, 0), INVALID_PIPE);
    EXPECT_EQ(backend->GetLastError(), ErrorCode::Busy);
    EXPECT_FALSE(device->Claimed());
    device->SetBusy(false);

    OpenBoth();
    device->SetStalled(true);
    std::uint8_t packet[20] = {};
    EXPECT_EQ(backend->MPUSBWrite(out, packet, 20, nullptr, 1000), 0);
    EXPECT_EQ(backend->GetLastError(), ErrorCode::GenFailure);
    EXPECT_EQ(Read(), 0);
    EXPECT_EQ(backend->GetLastError(), ErrorCode::GenFailure);
    // The halts were cleared, so once the device recovers transfers go through.
    device->SetStalled(false);
    EXPECT_GE(device->HaltsCleared(), 2);
    EXPECT_EQ(backend->MPUSBWrite(out, packet, 20, nullptr, 1000), 1);
    device->QueueReply("OK\r\n");
    EXPECT_EQ(Read(), 1);
    EXPECT_EQ(Received(), "OK\r\n");
}

TEST_F(Backend, HighSpeedPacketsAreHandedOnUpToTheirFirstCr)
{
    emulator.AddDevice({.vendor = 0x1234, .product = 0x0001, .maxPacket = 0});
    Start(1, {0x04d8, 0x0011, false, 512});
    OpenBoth();
    // A long line comes in pieces up to its CR; a packet without a CR comes whole.
    const std::string line = std::string(100, 'h') + "\r\n";
    const std::string endless(150, 'x');
    std::string lf; // lines that end with LF alone: no CR, so the packet comes whole
    for (int i = 0; i < 12; ++i)
        lf += "LINE " + std::to_string(i + 1000) + "\n";
    // Forty lines in one packet show as its first line, as any packet is cut
    // after its first CR: the device sends one line a packet. Never a piece
    // that starts in the middle of a line.
    std::string forty;
    for (int i = 1; i <= 40; ++i)
        forty += "LINE " + std::to_string(i + 100000).substr(1) + "\r\n";
    for (const std::string& packet : {line, endless, lf, forty})
        device->QueueReply(packet);
    for (const std::string& piece :
         {line.substr(0, 65), line.substr(65, 36), endless.substr(0, 65), endless.substr(65, 65),
          endless.substr(130), lf.substr(0, 65), lf.substr(65), std::string("LINE 00001\r")}) {
        EXPECT_EQ(Read(), 1);
        EXPECT_EQ(Received(), piece);
    }
    EXPECT_EQ(Read(), 0);
    EXPECT_EQ(backend->GetLastError(), ErrorCode::Timeout);

    // An endpoint that takes no bytes cannot carry lines: it does not open.
    EXPECT_EQ(backend->MPUSBOpen(0, "vid_1234&pid_0001", EP1, DIRECTION_READ, 0), INVALID_PIPE);
    EXPECT_EQ(backend->GetLastError(), ErrorCode::GenFailure);
}

TEST_F(Backend, DeviceNodeWithoutAccessIsAccessDenied)
{
    Start();
    device->RefuseAccess();
    EXPECT_EQ(backend->MPUSBGetDeviceCount(ID), 1); // counting needs no access
    EXPECT_EQ(backend->MPUSBOpen(0, ID, EP1, DIRECTION_WRITE, 0), INVALID_PIPE);
    EXPECT_EQ(backend->GetLastError(), ErrorCode::AccessDenied);
}

TEST_F(Backend, InterruptEndpointsCarryPacketsToo)
{
    Start(1, {0x04d8, 0x0011, true});
    OpenBoth();
    std::uint8_t packet[20] = {'H', 'I', '\r'};
    EXPECT_EQ(backend->MPUSBWrite(out, packet, 20, nullptr, 1000), 1);
    EXPECT_EQ(device->Written().size(), 1u);
    device->QueueReply("HI\r\n");
    device->QueueReply(""); // a zero-length packet
    EXPECT_EQ(Read(), 1);
    EXPECT_EQ(Received(), "HI\r\n");
    EXPECT_EQ(Read(), 1);
    EXPECT_EQ(length, 0);
}

TEST_F(Backend, ClosingTheBackendReleasesOpenDevices)
{
    Start();
    OpenBoth();
    EXPECT_TRUE(device->Claimed());
    backend.reset();
    EXPECT_FALSE(device->Claimed());
}

TEST_F(Backend, AttachedDevicesShowTheirStringsAndWhetherTheyOpen)
{
    emulator.AddDevice({.manufacturer = "Maker\x01\x7F", .productName = "Board", .serial = "1234"});
    emulator.AddDevice({.product = 0x000c}).RefuseAccess();
    Start(0);
    const std::string listing = ListingText(backend->Attached());
    for (const char* line :
         {"vid_04d8&pid_0011    \"Maker\\x01\\x7F\" \"Board\"  serial 1234  bus 1 port 1  can be opened\n",
          "vid_04d8&pid_000c    bus 1 port 2  no permission: "})
        EXPECT_NE(listing.find(line), std::string::npos) << listing;
}

TEST_F(Backend, TwoDevicesAlikeAreToldApartBySerial)
{
    EmulatedDevice& first = emulator.AddDevice({.serial = "A1"});
    EmulatedDevice& second = emulator.AddDevice({.serial = "B2"});
    Start(0);
    std::vector<std::string> ids;
    for (const AttachedDevice& attached : backend->Attached())
        ids.push_back(attached.id);
    std::sort(ids.begin(), ids.end());
    EXPECT_EQ(ids, (std::vector<std::string>{ID + " sn_A1", ID + " sn_B2"}));

    EXPECT_EQ(backend->MPUSBGetDeviceCount(ID + " sn_B2"), 1);
    EXPECT_NE(backend->MPUSBOpen(0, ID + " sn_B2", EP1, DIRECTION_READ, 0), INVALID_PIPE);
    EXPECT_TRUE(second.Claimed());
    EXPECT_FALSE(first.Claimed());
}
