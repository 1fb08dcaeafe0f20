#include <gtest/gtest.h>

#include "devicelink/DeviceLink.h"
#include "devicelink/LibraryRouter.h"
#include "devicelink/backends/DemoDevice.h"
#include "session/ScriptRun.h"
#include "session/SessionFiles.h"
#include "tests/support/FakeLibrary.h"

namespace {

// The reports of a script run on a device of the library.
std::vector<TestReport> RunOn(UsbLibrary& library, const std::string& deviceId, const char* script)
{
    RecordedMessages messages;
    DeviceLink link(library, messages);
    link.State.DeviceId = deviceId;
    link.OpenPipes();
    SessionFiles files({}, {}, messages);
    const std::atomic<bool> interrupted = false;
    std::vector<TestReport> reports;
    ScriptRun run(link, files, interrupted);
    run.reported = [&reports](const TestReport& report) { reports.push_back(report); };
    run.Run({std::get<Script>(ParseScript("t", script))});
    return reports;
}

std::vector<TestReport> RunOnDemo(const char* script)
{
    LibraryRouter router;
    router.AddBackend(std::make_unique<DemoDevice>());
    return RunOn(router, "demo", script);
}

} // namespace

TEST(ScriptRun, ReadsThatTimeOutWithoutWaitingDoNotSpin)
{
    FakeLibrary library; // its reads time out at once
    library.lastErrors = {ErrorCode::Timeout};
    RunOn(library, "vid_04d8&pid_0011", "test wait\nwait 50ms\n");
    EXPECT_LE(library.readCalls.size(), 60u);
}

TEST(ScriptRun, ALineBegunWhenTheDeviceLeftIsKeptInTheReportAsCut)
{
    FakeLibrary library;
    library.QueueRead("half a li");
    library.lastErrors = {ErrorCode::DeviceNotConnected}; // then it is gone, and back at once
    const TestReport report = RunOn(library, "vid_04d8&pid_0011", "test t\nreopen within 1s\n")[0];
    EXPECT_TRUE(report.passed) << report.reason;
    EXPECT_EQ(report.transcript.Lines().front(), "(cut) half a li");
}

TEST(ScriptRun, ReopenWaitsForTheDeviceToLeaveAndReturn)
{
    // The departure is seen inside the reopen step; then a device that stays.
    const auto reports = RunOnDemo("test reset\nsend RESET\nexpect OK\nreopen within 3s\nsend ECHO back\n"
                                   "expect back\ntest stays\nreopen within 100ms\n");
    EXPECT_TRUE(reports[0].passed) << reports[0].reason;
    EXPECT_EQ(reports[1].reason, "the device did not leave and return within 100ms");
    // A test that ends before its reopen step: the next one waits for the device.
    EXPECT_TRUE(
        RunOnDemo("test a\nsend RESET\nexpect NO within 99ms\nreopen\ntest b\nsend LED ON\nexpect OK\n")[1]
            .passed);
    // Without a reopen step, a write after it left says that it went away.
    EXPECT_EQ(RunOnDemo("test gone\nsend RESET\nexpect OK\nsend LED ON\n")[0].reason, "the device went away");
}

TEST(ScriptRun, AFailedStepShowsTheLastLinesThatArrivedWhileItWaited)
{
    const auto reports = RunOnDemo(
        "test consumed\nsend COUNT 3\nexpect LINE 3\nexpect LINE 1 within 100ms\n"
        "test flood\nsend COUNT 1500\nexpect READY within 300ms\n"
        "test early\nsend COUNT 100\nexpect NO within 0ms\ntest next\nsend ECHO x\nexpect NO within 50ms\n");
    ASSERT_EQ(reports.size(), 4u);
    EXPECT_TRUE(reports[0].got.Empty());
    EXPECT_TRUE(reports[1].got.Earlier() == 1480 && reports[1].got.Lines().back() == u"LINE 1500");
    EXPECT_TRUE(reports[1].transcript.Earlier() == 501 &&
                reports[1].transcript.Lines().size() == TestReport::TRANSCRIPT_KEPT);
    // What the test before left coming belongs to no step of this one.
    EXPECT_EQ(reports[3].got.Lines(), std::deque<std::u16string>{u"x"});
}

TEST(ScriptRun, ASetUpsNeverHoldsInEveryTestAndATestsOnlyInItself)
{
    EXPECT_EQ(RunOnDemo("never /^x$/\ntest a\nsend ECHO x\nexpect x\n")[0].matched, u"x");
    EXPECT_TRUE(RunOnDemo("test a\nnever /^x$/\ntest b\nsend ECHO x\nexpect x\n")[1].passed);
}

TEST(ScriptRun, APatternThatNeedsTooMuchWorkFailsItsStep)
{
    EXPECT_EQ(RunOnDemo("test never\nnever /^(\\w*\\s*)*(\\w*\\s*)*(\\w*\\s*)*(\\w*\\s*)*(?!)/\n"
                        "send ECHO abcdefghijk\nwait 1s\n")[0]
                  .reason,
              "the pattern needed more work than allowed on line \"abcdefghijk\"");
}
