#include <gtest/gtest.h>

#include "DeviceLink.h"
#include "FakeLibrary.h"
#include "LibraryRouter.h"
#include "ScriptRun.h"
#include "SessionFiles.h"
#include "backends/DemoDevice.h"

namespace {

// Scripts run one after another on one demo device, and their reports.
struct DemoRun {
    LibraryRouter router;
    RecordedMessages messages;
    DeviceLink link{router, messages};
    SessionFiles files{{}, {}, messages};
    const std::atomic<bool> interrupted = false;
    std::vector<TestReport> reports;

    DemoRun()
    {
        router.AddBackend(std::make_unique<DemoDevice>());
        link.State.DeviceId = "demo";
        link.OpenPipes();
    }
    RunEnd Run(const char* script)
    {
        ScriptRun run(link, files, interrupted);
        run.reported = [this](const TestReport& report) { reports.push_back(report); };
        return run.Run({std::get<Script>(ParseScript("t", script))});
    }
};

} // namespace

TEST(ScriptRun, ReadsThatTimeOutWithoutWaitingDoNotSpin)
{
    FakeLibrary library; // its reads time out at once
    library.lastErrors = {ErrorCode::Timeout};
    RecordedMessages messages;
    DeviceLink link(library, messages);
    link.State.DeviceId = "vid_04d8&pid_0011";
    link.OpenPipes();
    SessionFiles files({}, {}, messages);
    const std::atomic<bool> interrupted = false;
    ScriptRun run(link, files, interrupted);
    run.Run({std::get<Script>(ParseScript("spin", "test wait\nwait 50ms\n"))});
    EXPECT_LE(library.readCalls.size(), 60u);
}

TEST(ScriptRun, ReopenWaitsForTheDeviceToLeaveAndReturn)
{
    DemoRun demo;
    // The departure is seen inside the reopen step.
    EXPECT_EQ(demo.Run("test reset\nsend RESET\nexpect OK\nreopen within 3s\nsend ECHO back\nexpect back\n"),
              RunEnd::Completed);
    EXPECT_TRUE(demo.reports.back().passed) << demo.reports.back().reason;
    // A device that stays: the step fails and the run ends.
    EXPECT_EQ(demo.Run("test stays\nreopen within 100ms\n"), RunEnd::DeviceGone);
    EXPECT_EQ(demo.reports.back().reason, "the device did not leave and return within 100ms");
    // Without a reopen step, a write after it left says that it went away.
    EXPECT_EQ(demo.Run("test gone\nsend RESET\nexpect OK\nsend LED ON\n"), RunEnd::DeviceGone);
    EXPECT_EQ(demo.reports.back().reason, "the device went away");
    EXPECT_TRUE(demo.messages.shown.empty());
}

TEST(ScriptRun, AFailedStepShowsTheLastLinesThatArrivedWhileItWaited)
{
    DemoRun demo;
    demo.Run("test consumed\nsend COUNT 3\nexpect LINE 3\nexpect LINE 1 within 100ms\n"
             "test flood\nsend COUNT 1500\nexpect READY within 300ms\n"
             "test early\nsend COUNT 100\nexpect NO within 0ms\ntest next\nsend ECHO x\nexpect NO within 50ms\n");
    ASSERT_EQ(demo.reports.size(), 4u);
    EXPECT_TRUE(demo.reports[0].got.Empty());
    const TestReport& flood = demo.reports[1];
    EXPECT_EQ(flood.got.Earlier(), 1480u);
    EXPECT_EQ(flood.got.Lines().back(), u"LINE 1500");
    EXPECT_EQ(flood.transcript.Lines().size() + flood.transcript.Earlier(), 1501u);
    EXPECT_EQ(flood.transcript.Lines().size(), TestReport::TRANSCRIPT_KEPT);
    // What the test before left coming belongs to no step of this one.
    EXPECT_EQ(demo.reports[3].got.Lines(), std::deque<std::u16string>{u"x"});
}

TEST(ScriptRun, APatternThatNeedsTooMuchWorkFailsItsStep)
{
    DemoRun demo;
    demo.Run("test never\nnever /^(\\w*\\s*)*(\\w*\\s*)*(\\w*\\s*)*(\\w*\\s*)*(?!)/\nsend ECHO abcdefghijk\nwait 1s\n");
    EXPECT_EQ(demo.reports[0].reason, "the pattern needed more work than allowed on line \"abcdefghijk\"");
    EXPECT_LT(demo.reports[0].seconds, 0.5);
}
