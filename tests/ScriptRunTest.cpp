#include <gtest/gtest.h>

#include "DeviceLink.h"
#include "FakeLibrary.h"
#include "LibraryRouter.h"
#include "ScriptRun.h"
#include "SessionFiles.h"
#include "backends/DemoDevice.h"

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
    LibraryRouter router;
    router.AddBackend(std::make_unique<DemoDevice>());
    RecordedMessages messages;
    DeviceLink link(router, messages);
    link.State.DeviceId = "demo";
    link.OpenPipes();
    SessionFiles files({}, {}, messages);
    const std::atomic<bool> interrupted = false;
    std::vector<TestReport> reports;
    auto run = [&](const char* script) {
        ScriptRun scriptRun(link, files, interrupted);
        scriptRun.reported = [&reports](const TestReport& report) { reports.push_back(report); };
        return scriptRun.Run({std::get<Script>(ParseScript("reopen", script))});
    };
    EXPECT_EQ(run("test reset\nsend RESET\nexpect OK\nwait 20ms\nreopen within 3s\n"
                  "send ECHO back\nexpect back\n"),
              RunEnd::Completed);
    EXPECT_TRUE(reports.back().passed) << reports.back().reason;
    // A device that stays: the step fails and the run ends.
    EXPECT_EQ(run("test stays\nreopen within 100ms\n"), RunEnd::DeviceGone);
    EXPECT_EQ(reports.back().reason, "the device did not leave and return within 100ms");
    EXPECT_TRUE(messages.shown.empty());
}
