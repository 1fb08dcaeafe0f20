#include <gtest/gtest.h>

#include "devicelink/backends/DemoDevice.h"
#include "tests/support/DemoTestHelpers.h"

namespace {

struct Demo : ::testing::Test {
    DemoDevice device;
    PipeHandle out = device.MPUSBOpen(0, "demo", "\\MCHP_EP1", DIRECTION_WRITE, 0);
    PipeHandle in = device.MPUSBOpen(0, "demo", "\\MCHP_EP1", DIRECTION_READ, 0);

    std::vector<std::string> Ask(const std::string& line)
    {
        auto packet = CommandPacket(line);
        EXPECT_EQ(device.MPUSBWrite(out, packet.data(), 20, nullptr, 1000), 1);
        return DrainPackets(device, in);
    }
};

using Packets = std::vector<std::string>;

} // namespace

TEST_F(Demo, AnswersCommandsOneLinePerPacket)
{
    EXPECT_EQ(Ask("LED ON"), Packets{"OK\r\n"});
    EXPECT_EQ(Ask("led off"), Packets{"OK\r\n"});
    EXPECT_EQ(Ask("ECHO  two  spaces"), Packets{" two  spaces\r\n"});
    EXPECT_EQ(Ask("BOGUS"), Packets{"ERR unknown command, try HELP\r\n"});
    EXPECT_EQ(Ask(""), Packets{});
    EXPECT_GE(Ask("HELP").size(), 5u);
}

TEST_F(Demo, CommandEndsAtCrOrAtNulOrAfterTwentyBytes)
{
    // Bytes left after the CR by an earlier, longer line do not count.
    std::string leftovers = "ECHO A\rLD\rXXXXXXXXXX";
    auto packet = std::vector<std::uint8_t>(leftovers.begin(), leftovers.end());
    device.MPUSBWrite(out, packet.data(), 20, nullptr, 1000);
    EXPECT_EQ(DrainPackets(device, in), Packets{"A\r\n"});

    std::string full = "ECHO 123456789012345";
    packet.assign(full.begin(), full.end());
    device.MPUSBWrite(out, packet.data(), 20, nullptr, 1000);
    EXPECT_EQ(DrainPackets(device, in), Packets{"123456789012345\r\n"});
}

TEST_F(Demo, CountStreamsWithABoundedQueue)
{
    Packets lines = Ask("COUNT 3");
    EXPECT_EQ(lines, (Packets{"LINE 1\r\n", "LINE 2\r\n", "LINE 3\r\n"}));

    auto packet = CommandPacket("COUNT 1000000");
    device.MPUSBWrite(out, packet.data(), 20, nullptr, 1000);
    EXPECT_EQ(DrainPackets(device, in, 5).back(), "LINE 5\r\n");
    EXPECT_EQ(Ask("STOP"), Packets{"OK\r\n"});

    for (const char* wrong : {"COUNT x", "COUNT 1000000001", "COUNT -1"})
        EXPECT_EQ(Ask(wrong), Packets{"ERR COUNT takes a number from 0 to 1000000000\r\n"}) << wrong;
    EXPECT_EQ(Ask("COUNT 1000000000").back(), "LINE 1000\r\n"); // the limit itself streams
}

TEST(DemoFirmwareAnswer, LongLinesAreSplitWithCrLfInTheLastPacket)
{
    auto echo = [](const std::string& text) {
        DemoFirmware firmware;
        std::string command = "ECHO " + text + "\r";
        firmware.Receive(reinterpret_cast<const std::uint8_t*>(command.data()), command.size());
        Packets packets;
        DemoFirmware::Packet packet;
        while (firmware.NextPacket(packet))
            packets.emplace_back(packet.begin(), packet.end());
        return packets;
    };
    EXPECT_EQ(echo(std::string(62, 'a')), Packets{std::string(62, 'a') + "\r\n"});
    EXPECT_EQ(echo(std::string(63, 'a')), (Packets{std::string(63, 'a'), "\r\n"}));
    EXPECT_EQ(echo(std::string(130, 'b')), (Packets{std::string(64, 'b'), std::string(64, 'b'), "bb\r\n"}));
    // A double-byte character is never cut in two.
    EXPECT_EQ(echo(std::string(63, 'a') + "\x82\xA0"), (Packets{std::string(63, 'a'), "\x82\xA0\r\n"}));
}

TEST_F(Demo, KanaAnswersInCodePage932)
{
    auto kana = Ask("KANA");
    ASSERT_EQ(kana.size(), 2u);
    EXPECT_EQ(kana[0].substr(0, 2), "\xC3\xDE"); // half-width katakana, one byte each
    EXPECT_EQ(kana[1].substr(0, 2), "\x82\xB1"); // a double-byte character
}

TEST_F(Demo, UnplugAndFailedWritesLeaveTheirCodes)
{
    auto packet = CommandPacket("LED ON");
    device.FailNextWrite(ErrorCode::Busy);
    EXPECT_EQ(device.MPUSBWrite(out, packet.data(), 20, nullptr, 1000), 0);
    EXPECT_EQ(device.GetLastError(), ErrorCode::Busy);
    EXPECT_EQ(device.MPUSBWrite(out, packet.data(), 20, nullptr, 1000), 1);

    device.Unplug();
    EXPECT_EQ(device.MPUSBGetDeviceCount("demo"), 0);
    EXPECT_EQ(device.MPUSBWrite(out, packet.data(), 20, nullptr, 1000), 0);
    EXPECT_EQ(device.GetLastError(), ErrorCode::DeviceNotConnected);
    std::uint8_t buffer[65];
    std::int32_t length = 0;
    EXPECT_EQ(device.MPUSBRead(in, buffer, 65, &length, 0), 0);
    EXPECT_EQ(device.GetLastError(), ErrorCode::DeviceNotConnected);
    EXPECT_EQ(device.MPUSBOpen(0, "demo", "\\MCHP_EP1", DIRECTION_READ, 0), INVALID_PIPE);
    device.MPUSBClose(out);
    device.MPUSBClose(in);
    EXPECT_EQ(device.OpenPipeCount(), 0);
}
