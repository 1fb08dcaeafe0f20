#include <gtest/gtest.h>

#include "devicelink/DeviceLink.h"
#include "tests/support/FakeLibrary.h"

namespace {

using Bytes = std::vector<std::uint8_t>;
using Strings = std::vector<std::string>;

Bytes Packet(const std::string& bytes)
{
    Bytes packet(bytes.begin(), bytes.end());
    packet.resize(20, 0);
    return packet;
}

struct Transmission : ::testing::Test {
    FakeLibrary library;
    RecordedMessages messages;
    DeviceLink link{library, messages};

    Transmission() { link.State = {"demo", 3, 4, true}; }
};

} // namespace

TEST_F(Transmission, PacketCarriesTheLineItsCrAndWhatEarlierLinesLeft)
{
    EXPECT_TRUE(link.SendLine(u"HELLOWORLD"));
    EXPECT_TRUE(link.SendLine(u"ABC"));
    EXPECT_EQ(library.written.back(), Packet(std::string("ABC\rOWORLD\r")));
    EXPECT_EQ(library.calls.back(), "MPUSBWrite(3,20,1000)");

    EXPECT_TRUE(link.SendLine(u""));
    EXPECT_EQ(library.written.back(), Packet(std::string("\rBC\rOWORLD\r")));
}

TEST_F(Transmission, LongLinesAreCutToTheirFirstTwentyCharacters)
{
    link.SendLine(u"1234567890123456789");
    EXPECT_EQ(library.written.back(), Packet("1234567890123456789\r"));
    for (std::size_t length : {20u, 25u, 64u, 65u, 10000u}) {
        std::u16string line(length, u'x');
        line[0] = u'A';
        EXPECT_TRUE(link.SendLine(line));
        EXPECT_EQ(library.written.back(), Packet("A" + std::string(19, 'x'))) << length;
    }
    // What went past the packet never shows up in a later one.
    link.SendLine(u"B");
    EXPECT_EQ(library.written.back(), Packet("B\r" + std::string(18, 'x')));
}

TEST_F(Transmission, ControlCharactersAndKatakanaGoOutAsOneByteEach)
{
    link.SendLine(std::u16string(u"\0\t\x1B\x7F\uFF71", 5));
    EXPECT_EQ(library.written.back(), Packet(std::string("\0\t\x1B\x7F\xB1\r", 6)));
}

TEST_F(Transmission, LineWithoutOneByteCodesIsRefusedAndTheBufferKept)
{
    link.SendLine(u"HELLO");
    EXPECT_FALSE(link.SendLine(u"Aあ"));
    EXPECT_FALSE(link.SendLine(u"\U0001F600"));
    EXPECT_EQ(library.written.size(), 1u);
    EXPECT_EQ(messages.shown.size(), 2u);
    EXPECT_EQ(messages.shown[0], "The line was not sent: it holds a character that has no one-byte code");
    link.SendLine(u"");
    EXPECT_EQ(library.written.back(), Packet("\rELLO\r"));
}

TEST_F(Transmission, ClosedPipesSendNothingAndSayNothing)
{
    link.State.InPipe = INVALID_PIPE;
    EXPECT_FALSE(link.SendLine(u"LED ON"));
    link.State = {"demo", INVALID_PIPE, 4, false};
    EXPECT_FALSE(link.SendLine(u"Aあ"));
    EXPECT_EQ(link.SendPacket(nullptr, 20, 1000), 0);
    EXPECT_TRUE(library.calls.empty());
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(Transmission, FailedWriteShowsTheCodeThenFailedToSend)
{
    library.writeResult = 0;
    library.lastErrors = {ErrorCode::Timeout};
    EXPECT_FALSE(link.SendLine(u"LED ON"));
    EXPECT_EQ(messages.shown, (Strings{"Error code:  121", "Failed to send data"}));
    EXPECT_TRUE(link.State.PipesOpen);

    // A result other than exactly 1 is a failure too.
    library.writeResult = 2;
    EXPECT_FALSE(link.SendLine(u"LED ON"));
    EXPECT_EQ(messages.shown.size(), 4u);

    // A caller that tells of it itself gets the code, and nothing is shown.
    link.QuietWrites = true;
    library.lastErrors = {ErrorCode::DeviceNotConnected};
    EXPECT_FALSE(link.SendPacketOf("\x03"));
    EXPECT_EQ(link.LastWriteError, ErrorCode::DeviceNotConnected);
    EXPECT_EQ(messages.shown.size(), 4u);
}

TEST_F(Transmission, InvalidHandleClosesThePipesBeforeFailedToSend)
{
    library.writeResult = 0;
    library.lastErrors = {ErrorCode::InvalidHandle};
    EXPECT_FALSE(link.SendLine(u"LED ON"));
    EXPECT_EQ(messages.shown, Strings{"Failed to send data"});
    EXPECT_FALSE(link.State.PipesOpen);
    EXPECT_EQ(library.calls.back(), "MPUSBClose(4)");

    // The next line is dropped silently.
    EXPECT_FALSE(link.SendLine(u"LED ON"));
    EXPECT_EQ(messages.shown.size(), 1u);
}
