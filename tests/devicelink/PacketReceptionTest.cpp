#include <gtest/gtest.h>

#include "devicelink/DeviceLink.h"
#include "tests/support/FakeLibrary.h"

namespace {

struct Reception : ::testing::Test {
    FakeLibrary library;
    RecordedMessages messages;
    DeviceLink link{library, messages};

    Reception() { link.State.InPipe = 4; }
};

} // namespace

TEST_F(Reception, TextIsCutAfterTheFirstCr)
{
    library.QueueRead("OK\r\n");
    library.QueueRead("A\rB\r");
    library.QueueRead("A\nB\r");
    EXPECT_EQ(link.ReceiveLine(10), u"OK\r");
    EXPECT_EQ(link.ReceiveLine(10), u"A\r");
    EXPECT_EQ(link.ReceiveLine(10), u"A\nB\r");
    EXPECT_EQ(library.readCalls.front(), "4,65,10");
}

TEST_F(Reception, OnlyTheReceivedBytesAreConverted)
{
    library.QueueRead("HELLO\r");
    library.QueueRead("HI");
    EXPECT_EQ(link.ReceiveLine(10), u"HELLO\r");
    // Nothing of HELLO reaches the screen again.
    EXPECT_EQ(link.ReceiveLine(10), u"HI");

    library.QueueRead("");
    EXPECT_EQ(link.ReceiveLine(10), u"");

    // A full 64-byte packet without CR is all text.
    library.QueueRead(std::string(64, 'z'));
    EXPECT_EQ(link.ReceiveLine(10), std::u16string(64, u'z'));
}

TEST_F(Reception, FailedReadsGiveNothing)
{
    EXPECT_EQ(link.ReceiveLine(10), u""); // time-out

    library.reads.push_back({0, {'X', '\r'}, 2});
    EXPECT_EQ(link.ReceiveLine(10), u"");

    // A success that stores no length does not show the previous packet again.
    library.QueueRead("PREVIOUS\r");
    EXPECT_EQ(link.ReceiveLine(10), u"PREVIOUS\r");
    library.reads.push_back({1, {}, std::nullopt});
    EXPECT_EQ(link.ReceiveLine(10), u"");

    link.State.InPipe = INVALID_PIPE;
    EXPECT_EQ(link.ReceiveLine(10), u"");
    EXPECT_EQ(library.readCalls.back(), "-1,65,10");
}

TEST_F(Reception, ReportedLengthsOutsideTheBufferAreClamped)
{
    library.reads.push_back({1, {'A', 'B'}, 1000});
    std::u16string text = link.ReceiveLine(10);
    EXPECT_EQ(text.size(), DeviceLink::BUFFER_SIZE);
    EXPECT_EQ(text.substr(0, 2), u"AB");

    library.reads.push_back({1, {'A'}, -5});
    EXPECT_EQ(link.ReceiveLine(10), u"");
}

TEST_F(Reception, DoubleByteCharacterSplitOverTwoPacketsIsJoined)
{
    library.QueueRead("\x82\xA0\x82");
    library.QueueRead("\xA2\r");
    EXPECT_EQ(link.ReceiveLine(10), u"あ");
    EXPECT_EQ(link.ReceiveLine(10), u"い\r");

    // A lead byte after the CR is cut off with the rest of the packet.
    library.QueueRead("A\r\x82");
    library.QueueRead("\xA0");
    EXPECT_EQ(link.ReceiveLine(10), u"A\r");
    EXPECT_EQ(link.ReceiveLine(10), u"\uFFFD");

    // Opening the pipes again forgets half a character from before, also
    // when a device that returned is opened again without a word.
    library.QueueRead("X\x82");
    EXPECT_EQ(link.ReceiveLine(10), u"X");
    link.OpenPipesQuietly();
    library.QueueRead("AB\r");
    EXPECT_EQ(link.ReceiveLine(10), u"AB\r");

    // Double-byte characters convert to fewer characters than bytes received.
    library.QueueRead("\x82\xA0\x82\xA2\rXYZ");
    EXPECT_EQ(link.ReceiveLine(10), u"あい\r");
}

TEST_F(Reception, HostilePacketsNeverCrash)
{
    library.QueueRead(std::string(65, '\0'));
    EXPECT_EQ(link.ReceiveLine(10), std::u16string(65, u'\0'));
    library.QueueRead(std::string(64, '\x81')); // lead bytes only
    library.QueueRead(std::string(65, '\xFF'));
    EXPECT_EQ(link.ReceiveLine(10).size(), 32u);
    EXPECT_EQ(link.ReceiveLine(10), std::u16string(65, u'\uFFFD'));
}
