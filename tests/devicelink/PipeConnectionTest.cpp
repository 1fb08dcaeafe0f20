#include <gtest/gtest.h>

#include <limits>

#include "devicelink/DeviceLink.h"
#include "tests/support/FakeLibrary.h"

namespace {

using Strings = std::vector<std::string>;

struct Connection : ::testing::Test {
    FakeLibrary library;
    RecordedMessages messages;
    DeviceLink link{library, messages};

    Connection() { link.State.DeviceId = "vid_04d8&pid_0011"; }

    void Open(PipeHandle out, PipeHandle in)
    {
        library.openResults[0] = out;
        library.openResults[1] = in;
        link.OpenPipes();
    }
};

} // namespace

TEST(NumberTextOf, SignOrSpaceBeforeTheDigits)
{
    EXPECT_EQ(NumberText(0), " 0");
    EXPECT_EQ(NumberText(121), " 121");
    EXPECT_EQ(NumberText(-1), "-1");
    EXPECT_EQ(NumberText(std::numeric_limits<std::int32_t>::min()), "-2147483648");
}

TEST_F(Connection, OpensWritePipeThenReadPipe)
{
    Open(3, 4);
    EXPECT_EQ(library.calls, (Strings{"MPUSBGetDeviceCount(vid_04d8&pid_0011)",
                                      "MPUSBOpen(0,vid_04d8&pid_0011,\\MCHP_EP1,0,0)",
                                      "MPUSBOpen(0,vid_04d8&pid_0011,\\MCHP_EP1,1,0)"}));
    EXPECT_TRUE(link.State.PipesOpen);
    EXPECT_EQ(link.State.OutPipe, 3);
    EXPECT_EQ(link.State.InPipe, 4);
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(Connection, NoDeviceMeansNoOpenAndAMessage)
{
    library.deviceCount = 0;
    link.OpenPipes();
    EXPECT_EQ(library.calls, Strings{"MPUSBGetDeviceCount(vid_04d8&pid_0011)"});
    EXPECT_EQ(messages.shown, Strings{"Peripheral device is not connected"});
    EXPECT_FALSE(link.State.PipesOpen);
    EXPECT_EQ(link.State.OutPipe, INVALID_PIPE);

    library.deviceCount = -5;
    link.OpenPipes();
    EXPECT_EQ(messages.shown.size(), 2u);
}

TEST_F(Connection, FailedOpenNamesBothHandlesAndClosesThePipeThatOpened)
{
    Open(INVALID_PIPE, 120);
    EXPECT_EQ(messages.shown, Strings{"-1  120 When open pipes, error occurs"});
    EXPECT_EQ(library.calls.back(), "MPUSBClose(120)");
    EXPECT_EQ(link.State.OutPipe, INVALID_PIPE);
    EXPECT_EQ(link.State.InPipe, INVALID_PIPE);
    EXPECT_FALSE(link.State.PipesOpen);

    library.calls.clear();
    Open(0, INVALID_PIPE);
    EXPECT_EQ(messages.shown.back(), " 0 -1 When open pipes, error occurs");
    EXPECT_EQ(library.calls.back(), "MPUSBClose(0)");

    library.calls.clear();
    Open(INVALID_PIPE, INVALID_PIPE);
    EXPECT_EQ(messages.shown.back(), "-1 -1 When open pipes, error occurs");
    EXPECT_EQ(library.calls.size(), 3u); // the count and both opens, no close
}

TEST_F(Connection, CloseClosesWriteThenReadAndNothingWhenClosed)
{
    link.ClosePipes();
    EXPECT_TRUE(library.calls.empty());
    EXPECT_FALSE(link.State.PipesOpen);

    Open(3, 4);
    library.calls.clear();
    link.ClosePipes();
    EXPECT_EQ(library.calls, (Strings{"MPUSBClose(3)", "MPUSBClose(4)"}));
    EXPECT_FALSE(link.State.PipesOpen);
    EXPECT_EQ(link.State.OutPipe, INVALID_PIPE);
    EXPECT_EQ(link.State.InPipe, INVALID_PIPE);
}

TEST_F(Connection, InvalidHandleClosesSilentlyOtherErrorsAreShown)
{
    Open(3, 4);
    library.calls.clear();
    // The code that was tested is the code shown, even if it changes meanwhile.
    library.lastErrors = {121, 31};
    link.ReportLastError();
    EXPECT_EQ(messages.shown, Strings{"Error code:  121"});
    EXPECT_TRUE(link.State.PipesOpen);
    // The code is a signed 32-bit number.
    library.lastErrors = {0xFFFFFFFF};
    link.ReportLastError();
    EXPECT_EQ(messages.shown.back(), "Error code: -1");

    library.lastErrors = {ErrorCode::InvalidHandle};
    library.calls.clear();
    link.ReportLastError();
    EXPECT_EQ(messages.shown.size(), 2u);
    EXPECT_EQ(library.calls, (Strings{"GetLastError", "MPUSBClose(3)", "MPUSBClose(4)"}));
    EXPECT_FALSE(link.State.PipesOpen);
}
