#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>

namespace {

struct Outcome {
    int status;
    QString out;
    QString err;
};

// pellmark-run on a script, with --junit into the folder; interrupted with
// SIGTERM once its plan is out when asked.
Outcome RunScript(const QTemporaryDir& folder, const QByteArray& script, QStringList arguments = {},
                  bool interrupt = false)
{
    QFile file(folder.filePath("t.script"));
    file.open(QIODevice::WriteOnly);
    file.write(script);
    file.close();
    QProcess runner;
    runner.start(PELLMARK_RUN_BINARY,
                 QStringList{"--junit", folder.filePath("t.xml")} + arguments + QStringList{file.fileName()});
    if (interrupt) {
        runner.waitForReadyRead(5000);
        QThread::msleep(100);
        runner.terminate();
    }
    runner.waitForFinished(20000);
    return {runner.exitCode(), QString::fromUtf8(runner.readAllStandardOutput()),
            QString::fromUtf8(runner.readAllStandardError())};
}

bool ValidXml(const QString& path)
{
    return QProcess::execute("xmllint", {"--noout", path}) == 0;
}

} // namespace

TEST(Runner, ScriptsReachEveryStepAndEveryExitStatus)
{
    QTemporaryDir folder;
    // Every step, passing.
    Outcome run =
        RunScript(folder, "\xEF\xBB\xBF# set-up\r\ndevice demo\r\ntimeout 2s\r\n\r\ntest answers\r\n"
                          "send LED ON\r\nexpect OK\r\nnever /^ERR/\r\nsend ECHO a/b \x1B#\r\n"
                          "expect /^a\\/b #$/ within 500ms\r\nwait 20ms\r\n");
    EXPECT_EQ(run.status, 0) << run.err.toStdString();
    EXPECT_EQ(run.out, "TAP version 13\n1..1\nok 1 - answers\n");
    run =
        RunScript(folder, "device demo\ntest a\ntest b\n", {folder.filePath("t.script")}); // the plan of both
    EXPECT_TRUE(run.out.startsWith("TAP version 13\n1..4\n")) << run.out.toStdString();
    EXPECT_TRUE(ValidXml(folder.filePath("t.xml")));

    // A time-out and a never, each failing its test only; a device line of
    // another test's script is overridden by --device.
    run = RunScript(folder,
                    "device vid_1234&pid_5678\ntest late\nsend LED ON\nexpect NO within 50ms\n"
                    "test never\nnever /ERR/\nsend \x1B[2J\nwait 100ms\ntest last\nsend LED OFF\nexpect OK\n",
                    {"--device", "demo"});
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(run.out.contains("not ok 1 - late\n  ---\n  script: ")) << run.out.toStdString();
    EXPECT_TRUE(run.out.contains("  step: \"expect NO within 50ms\"\n  line: 4\n  expected: \"NO\"\n  got:\n"
                                 "    - \"OK\"\n  waited: "));
    EXPECT_TRUE(run.out.contains("not ok 2 - never\n")) << run.out.toStdString();
    EXPECT_TRUE(run.out.contains("  matched: \"ERR unknown command, try HELP\"\n"));
    EXPECT_TRUE(run.out.endsWith("ok 3 - last\n"));
    EXPECT_TRUE(ValidXml(folder.filePath("t.xml")));

    // A script error, before anything is sent; a device that is not there.
    run = RunScript(folder, "device demo\ntest x\nsend 日本\n");
    EXPECT_EQ(run.status, 2);
    EXPECT_TRUE(run.err.startsWith(folder.filePath("t.script") + ":3: ")) << run.err.toStdString();
    run = RunScript(folder, "test x\nsend A\n", {"--device", "vid_1234&pid_5678"});
    EXPECT_EQ(run.status, 3);
    EXPECT_EQ(run.err, "pellmark-run: the device vid_1234&pid_5678 is not connected\n");
    EXPECT_TRUE(run.out.contains("reason: \"not run: the device vid_1234&pid_5678 is not connected\""));
    EXPECT_TRUE(ValidXml(folder.filePath("t.xml")));

    // The reset recipe, and the log's marks.
    run = RunScript(folder, "device demo\ntest t\nsend RESET\nexpect OK\nreopen within 3s\n",
                    {"--log", folder.filePath("t.log")});
    EXPECT_EQ(run.status, 0) << run.out.toStdString();
    QFile log(folder.filePath("t.log"));
    log.open(QIODevice::ReadOnly);
    const QByteArray marks = log.readAll();
    for (const char* mark : {"\tstart\tpellmark-run ", "\topen\tdemo\n", "\tsent\tRESET\n", "\tleft\t",
                             "\tback\t", "\tclose\tdemo at exit\n"})
        EXPECT_TRUE(marks.contains(mark)) << mark;

    // The device leaves after RESET: the next send ends the run.
    run = RunScript(folder,
                    "device demo\ntest reset\nsend RESET\nexpect OK\nsend LED ON\ntest after\nsend A\n");
    EXPECT_EQ(run.status, 4);
    EXPECT_TRUE(run.out.contains("not ok 2 - after\n  ---\n  script: ")) << run.out.toStdString();

    // Interrupted: the tests not run are reported, the JUnit file written.
    run = RunScript(folder, "device demo\ntest long\nwait 10s\ntest later\nsend A\n", {}, true);
    EXPECT_EQ(run.status, 130);
    EXPECT_TRUE(run.out.contains("reason: \"not run: the run was interrupted\"")) << run.out.toStdString();
    EXPECT_TRUE(ValidXml(folder.filePath("t.xml")));
    EXPECT_EQ(RunScript(folder, "test x\n", {"--junit", folder.filePath("no/such/t.xml")}).status, 2);
}

TEST(Runner, ListsDevicesWaitsForOneThatNeverComesAndTellsAFailedReport)
{
    QProcess list;
    list.start(PELLMARK_RUN_BINARY, {"--list"});
    list.waitForFinished(10000);
    EXPECT_EQ(list.exitCode(), 0);
    EXPECT_EQ(QString::fromUtf8(list.readAllStandardOutput()),
              "demo                 \"Pellmark\" \"Demo device\"  can be opened\n"
              "No USB device with endpoint 1 OUT and IN on interface 0 is attached.\n");

    QTemporaryDir folder;
    Outcome run = RunScript(folder, "device vid_1234&pid_9999\nsend X\n", {"--wait-device", "100ms"});
    EXPECT_EQ(run.status, 3);
    EXPECT_EQ(run.err, "pellmark-run: the device vid_1234&pid_9999 is not connected\n");
    run = RunScript(folder, "device vid_1234&pid_9999\nsend X\n", {"--wait-device", "10s"}, true);
    EXPECT_EQ(run.status, 130);
    EXPECT_TRUE(run.out.contains("not run: the run was interrupted while it waited for the device vid_1234"));

    // A script that is a folder; a report that cannot be written.
    const QByteArray led = "device demo\ntest t\nsend LED ON\nexpect OK\n";
    EXPECT_EQ(RunScript(folder, led, {folder.path()}).status, 2);
    EXPECT_EQ(RunScript(folder, led, {"--junit", "/dev/full"}).status, 2);
    QProcess full; // standard output on a full disk
    full.setStandardOutputFile("/dev/full");
    full.start(PELLMARK_RUN_BINARY, {"--junit", folder.filePath("t.xml"), folder.filePath("t.script")});
    full.waitForFinished(20000);
    EXPECT_EQ(full.exitCode(), 2);
    EXPECT_TRUE(ValidXml(folder.filePath("t.xml")));
}
