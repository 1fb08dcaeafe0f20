#include <gtest/gtest.h>

#include "DeviceLink.h"
#include "FakeLibrary.h"
#include "ScriptRun.h"
#include "SessionFiles.h"

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
